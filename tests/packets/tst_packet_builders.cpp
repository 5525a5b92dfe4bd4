// SPDX-License-Identifier: GPL-3.0-or-later
// Packets built from named fields read back, through the decoders, as the
// fields given; out-of-range fields are refused by name.
#include "avi_builder.h"
#include "cec_builder.h"
#include "cec_message.h"
#include "cec_recipes.h"
#include "hdr_builder.h"

#include <QtTest>

#include <array>

using namespace vantrel::packets;

namespace {

// What a decoded HDR frame should say; gamut and white as the decoder names them.
struct HdrWant {
    unsigned eotf;
    std::string gamut, white;
    std::array<unsigned, 4> light; // max, min code, MaxCLL, MaxFALL
};

HdrRequest hdrRequest(const std::array<std::string, 8> &f)
{
    return {f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]};
}

} // namespace

class PacketBuildersTest : public QObject {
    Q_OBJECT

private slots:
    // Every template, and over it a grid of EOTFs, gamuts and luminances
    // (the first row of each: not given, the template's values stay).
    void hdrRoundTrip()
    {
        const std::vector<std::pair<std::string, HdrWant>> templates = {
            {"", {0, "", "", {0, 0, 0, 0}}},
            {"hdr10-1000", {2, "DCI-P3", "D65", {1000, 1, 1000, 400}}},
            {"hdr10-4000", {2, "DCI-P3", "D65", {4000, 50, 4000, 1000}}},
            {"hlg", {3, "ITU-R BT.2020", "D65", {0, 0, 0, 0}}},
            {"sdr", {0, "", "", {0, 0, 0, 0}}},
        };
        const std::vector<std::pair<std::string, unsigned>> eotfs = {{"", 0}, {"pq", 2}, {"HLG", 3}, {"hdr", 1}};
        const std::vector<std::array<std::string, 4>> gamuts = {
            {"", "", "", ""},
            {"bt2020", "", "ITU-R BT.2020", "D65"},
            {"bt709", "", "ITU-R BT.709", "D65"},
            {"dci-p3", "", "DCI-P3", "DCI"},
            {"p3-d65", "dci", "DCI-P3", "DCI"},
            {"0.68,0.32 0.265,0.69 0.15,0.06", "0.3127,0.329", "DCI-P3", "D65"}, // red first, sorted into place
        };
        const std::vector<std::pair<std::array<std::string, 4>, std::array<unsigned, 4>>> lights = {
            {{"", "", "", ""}, {}},
            {{"1000", "0.005", "1000", "400"}, {1000, 50, 1000, 400}},
            {{"65535", "6.5534", "65535", "65535"}, {65535, 65534, 65535, 65535}},
            {{"0", "0", "0", "0"}, {0, 0, 0, 0}},
        };
        for (const auto &[name, base] : templates)
            for (const auto &[eotf, eotfCode] : eotfs)
                for (const auto &g : gamuts)
                    for (const auto &[light, lightWant] : lights) {
                        HdrWant want = base;
                        want.eotf = eotf.empty() ? want.eotf : eotfCode;
                        if (!g[0].empty())
                            want.gamut = g[2], want.white = g[3];
                        want.light = light[0].empty() ? want.light : lightWant;
                        const HdrBuilt built = buildHdrInfoframe(
                            hdrRequest({name, eotf, g[0], g[1], light[0], light[1], light[2], light[3]}));
                        QVERIFY2(built.ok, built.error.c_str());
                        QCOMPARE(built.bytes.size(), kHdrFrameBytes);
                        const HdrInfoframe f = decodeHdrInfoframe(built.bytes.data(), built.bytes.size());
                        QVERIFY(f.notes.empty() && f.checksumOk && f.version == 1 && f.length == 26);
                        QCOMPARE(*f.eotf, uint8_t(want.eotf));
                        QCOMPARE(gamutName(f), want.gamut);
                        QCOMPARE(whitePointName(*f.whitePoint), want.white);
                        if (!want.gamut.empty()) // the standard's order
                            QCOMPARE(QString(primaryColours(f)[0]) + primaryColours(f)[1] + primaryColours(f)[2],
                                     QString("greenbluered"));
                        const std::array<unsigned, 4> got = {*f.maxMasteringLuminance, *f.minMasteringCode, *f.maxCll,
                                                             *f.maxFall};
                        QCOMPARE(got, want.light);
                    }
        // The frame a common player sends for the same fields, byte for byte.
        QCOMPARE(
            vantrel::hex::colonHexText(buildHdrInfoframe(hdrRequest({"", "pq", "p3-d65", "", "1000", "0.005", "1000", "400"})).bytes),
            std::string("87:01:1a:74:02:00:c2:33:c4:86:4c:1d:b8:0b:d0:84:80:3e:13:3d:42:40:e8:03:32:00:e8:03:90:01"));
    }

    void refusals()
    {
        // HDR fields over the hdr10-1000 template, AVI fields over nothing; by position in the request.
        struct Field {
            bool hdr;
            size_t at;
            const char *value, *error;
        };
        const std::vector<Field> fields = {
            {true, 4, "65536", "max-luminance: 65536 is out of range (0 to 65535 cd/m2)"},
            {true, 5, "6.6", "min-luminance: 6.6 is out of range (0.0000 to 6.5535 cd/m2)"},
            {true, 6, "-1", "max-cll: -1 is out of range (0 to 65535 cd/m2)"},
            {true, 7, "1e3", "max-fall: \"1e3\" is not a number"},
            {true, 2, "0.68,1.2 0.265,0.69 0.15,0.06", "primaries: 1.2 is out of range (0.00000 to 1.00000)"},
            {true, 2, "p3", "primaries: \"p3\" is not one of bt2020, p3-d65, bt709 or dci-p3 or x,y pairs"},
            {true, 3, "0.3", "white-point: \"0.3\" is not an x,y pair"},
            {true, 1, "dolby", "eotf: \"dolby\" is not one of sdr, hdr, pq or hlg"},
            {true, 0, "hdr10", "template: \"hdr10\" is not one of hdr10-1000, hdr10-4000, hlg or sdr"},
            {true, 7, "1001", "max-fall: 1001 cd/m2 is above max-cll 1000 cd/m2"},
            {false, 1, "DCI-P3",
             "colorimetry: dci-p3 needs data byte 14 (additional colorimetry), which the box's "
             "13-byte AVI infoframe does not carry"},
            {false, 3, "128", "vic: 128 is not a video format code CTA-861 defines"},
            {false, 3, "256", "vic: 256 is out of range (0 to 255)"},
            {false, 7, "game", "content-type: needs it-content on"}, // with it-content off
            {false, 0, "yuv", "colour: \"yuv\" is not one of rgb, yuv422, yuv444 or yuv420"},
        };
        for (const Field &f : fields) {
            std::array<std::string, 8> r{f.hdr ? "hdr10-1000" : "", "", "", "", "", "", f.hdr ? "" : "off", ""};
            r[f.at] = f.value;
            const AviRequest avi{r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7]};
            QCOMPARE(f.hdr ? buildHdrInfoframe(hdrRequest(r)).error : buildAviInfoframe(avi).error,
                     std::string(f.error));
        }
        QCOMPARE(buildHdrInfoframe(hdrRequest({"", "", "", "", "1", "1", "", ""})).error,
                 std::string("min-luminance: 1.0000 cd/m2 is not below max-luminance 1 cd/m2"));
        const std::string operand = "not a physical address (1.0.0.0), vendor id (00-E0-91), byte (0x6d, 109), "
                                    "colon hex (6d:01)";
        QCOMPARE(buildCecMessage(4, 0, "image-view-off", {}).error,
                 std::string("opcode \"image-view-off\": not a CEC opcode (names as cec decode prints them, "
                             "image-view-on, or 0xNN)"));
        QCOMPARE(buildCecMessage(4, 0, "user-control-pressed", {"power-up"}).error,
                 "operand \"power-up\": " + operand + " or a name this operand takes");
        QCOMPARE(buildCecRecipe("switch-here", {}, 4).error, std::string("switch-here takes PHYS"));
        QCOMPARE(buildCecRecipe("switch-here", {"1.0.0"}, 4).error, "switch-here: operand \"1.0.0\": " + operand);
    }

    void aviRoundTrip()
    {
        // word -> what the decoder calls it
        const std::vector<std::pair<const char *, const char *>> colours = {
            {"rgb", "RGB"}, {"yuv422", "YCbCr 4:2:2"}, {"yuv444", "YCbCr 4:4:4"}, {"yuv420", "YCbCr 4:2:0"}};
        const std::vector<std::pair<const char *, const char *>> colorimetries = {
            {"", "no data"},
            {"bt601", "SMPTE 170M"},
            {"bt709", "ITU-R BT.709"},
            {"xvycc601", "xvYCC601"},
            {"xvycc709", "xvYCC709"},
            {"srgb-ycc", "sYCC601"},
            {"adobe-ycc", "AdobeYCC601"},
            {"adobe-rgb", "AdobeRGB"},
            {"bt2020-cycc", "ITU-R BT.2020 YcCbcCrc"},
            {"bt2020-ycc", "ITU-R BT.2020"},
            {"bt2020-rgb", "ITU-R BT.2020"}};
        const std::vector<std::pair<const char *, unsigned>> vics = {
            {"", 0}, {"16", 16}, {"2", 2}, {"97", 97}, {"102", 102}};
        const char *const ranges[] = {"", "default", "limited", "full"};
        const char *const contents[] = {"", "graphics", "game"};
        for (const auto &[colour, colourName] : colours)
            for (const auto &[colorimetry, cName] : colorimetries)
                for (const char *range : ranges)
                    for (const auto &[vicText, vic] : vics)
                        for (const char *content : contents) {
                            AviRequest r{colour, colorimetry, range, vicText, "", vic == 2 ? "16:9" : "", "", content};
                            const Built built = buildAviInfoframe(r);
                            QVERIFY2(built.ok, built.error.c_str());
                            QCOMPARE(built.bytes.size(), kAviDataBytes);
                            const AviInfoframe f = decodeAviInfoframe(built.bytes.data(), built.bytes.size());
                            QVERIFY2(f.notes.empty(), f.notes.empty() ? "" : f.notes[0].message.c_str());
                            // Compose starts from the box's bytes: its words build them again.
                            QCOMPARE(buildAviInfoframe(aviRequestOf(f)).bytes, built.bytes);
                            QCOMPARE(colourFormatName(*f.colourFormat), std::string(colourName));
                            const std::string c = *f.colorimetry == 3 ? extendedColorimetryName(*f.extendedColorimetry)
                                                                      : colorimetryName(*f.colorimetry);
                            QCOMPARE(c, std::string(cName));
                            const bool ycc = std::string(colour) != "rgb";
                            const std::string wantRange = *range ? range : "default";
                            QCOMPARE(ycc ? yccQuantizationName(*f.yccQuantization)
                                         : rgbQuantizationName(*f.rgbQuantization),
                                     ycc && wantRange == "default" ? std::string("limited") : wantRange);
                            QCOMPARE(ycc ? *f.rgbQuantization : *f.yccQuantization, 0u);
                            QCOMPARE(*f.vic, vic);
                            // The VIC's own aspect; 64:27 formats carry none.
                            QCOMPARE(pictureAspectName(*f.pictureAspect), std::string(vic == 16 || vic == 97 ? "16:9"
                                                                                      : vic == 2             ? "4:3"
                                                                                                 : "no data"));
                            QCOMPARE(*f.activeFormatPresent, vic == 2);
                            if (vic == 2)
                                QCOMPARE(activeFormatName(*f.activeFormat), std::string("16:9 (centre)"));
                            QCOMPARE(*f.itContent, *content != 0);
                            if (*content)
                                QCOMPARE(contentTypeName(*f.contentType), std::string(content));
                        }
    }

    void cecByName()
    {
        // "from to opcode operands...", the bytes, then the decoder's summary or the reason a send refuses it.
        // clang-format off
        const std::vector<std::array<std::string, 3>> cases = {
            {"4 0 image-view-on", "40:04", "Playback Device 1 to TV: Image View On"},
            {"5 0 Standby", "50:36", "Audio System to TV: Standby"},
            {"4 15 active-source 1.0.0.0", "4f:82:10:00", "Playback Device 1 to Broadcast: Active Source (1.0.0.0)"},
            {"4 5 user-control-pressed power-on-function", "45:44:6d",
             "Playback Device 1 to Audio System: User Control Pressed (Power On Function)"},
            {"4 0 set-osd-name Blu-ray Player", "40:47:42:6c:75:2d:72:61:79:20:50:6c:61:79:65:72",
             "Playback Device 1 to TV: Set OSD Name (Blu-ray Player)"},
            {"0 4 feature-abort give-osd-name refused", "04:00:46:04",
             "TV to Playback Device 1: Feature Abort (0x46 Give OSD Name, Refused)"},
            {"4 15 device-vendor-id 00-E0-91", "4f:87:00:e0:91",
             "Playback Device 1 to Broadcast: Device Vendor ID (00-E0-91 (LG))"},
            {"4 0 report-power-status standby", "40:90:01", "Playback Device 1 to TV: Report Power Status (Standby)"},
            {"4 0 0x89 0x12 34:56 7", "40:89:12:34:56:07", "Playback Device 1 to TV: Vendor Command (12:34:56:07)"},
            {"4 15 image-view-on", "4f:04", "Image View On is directly addressed: followers ignore it when broadcast"},
            {"4 0 active-source 1.0.0.0", "40:82:10:00", "Active Source is broadcast: followers ignore it when sent to TV"},
            {"4 15 active-source", "4f:82", "Active Source needs 2 operand bytes, has 0"},
            {"4 0 standby 0x01", "40:36:01", "Standby takes 0 operand bytes; followers ignore the rest"},
        };
        // clang-format on
        for (const auto &[line, hex, said] : cases) {
            const QStringList w = QString::fromStdString(line).split(' ');
            std::vector<std::string> operands;
            for (qsizetype i = 3; i < w.size(); ++i)
                operands.push_back(w[i].toStdString());
            const Built b = buildCecMessage(w[0].toUInt(), w[1].toUInt(), w[2].toStdString(), operands);
            QVERIFY2(b.ok, b.error.c_str());
            QCOMPARE(vantrel::hex::colonHexText(b.bytes), hex);
            const std::vector<std::string> problems = cecSendProblems(b.bytes);
            QCOMPARE(problems.empty() ? cecSummary(decodeCecMessage(b.bytes.data(), b.bytes.size())) : problems[0],
                     said);
        }
        // Every opcode by its word, with the operand bytes it needs, to where it goes.
        for (const CecOpcode &op : cecOpcodes()) {
            const unsigned to = op.addressing == CecAddressing::Broadcast ? 15 : 0;
            // One word: text where the operands are text, colon hex elsewhere.
            const bool text = op.code == 0x32 || op.code == 0x47 || op.code == 0x67;
            std::string word = text ? std::string(op.minOperands, 'A') : std::string();
            for (unsigned i = 0; !text && i < op.minOperands; ++i)
                word += i ? ":41" : "41";
            const Built b = buildCecMessage(4, to, cecOpcodeWord(op),
                                            op.minOperands ? std::vector{word} : std::vector<std::string>{});
            QVERIFY2(b.ok, b.error.c_str());
            const CecMessage m = decodeCecMessage(b.bytes.data(), b.bytes.size());
            QCOMPARE(m.opcodeName(), std::string(op.name));
            QCOMPARE(m.operandBytes.size(), size_t(op.minOperands));
        }
        std::vector<std::string> recipes;
        for (const CecRecipe &r : cecRecipes()) {
            const Built built = buildCecRecipe(
                r.name, *r.arguments ? std::vector<std::string>{"2.1.0.0"} : std::vector<std::string>{}, 4);
            QVERIFY2(built.ok, built.error.c_str());
            for (const std::vector<uint8_t> &m : built.messages) {
                QVERIFY(cecSendProblems(m).empty());
                recipes.push_back(vantrel::hex::colonHexText(m));
            }
        }
        QCOMPARE(recipes, (std::vector<std::string>{"40:04", "40:04", "4f:82:21:00", "4f:36", "45:44:6d", "45:45"}));
    }
};

QTEST_GUILESS_MAIN(PacketBuildersTest)
#include "tst_packet_builders.moc"
