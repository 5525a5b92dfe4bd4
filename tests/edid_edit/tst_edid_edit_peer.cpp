// SPDX-License-Identifier: GPL-3.0-or-later
// Every edit held to an independent decoder: over the corpus of real tables,
// each edit applied to each table it applies to must leave a table the
// installed edid-decode finds no new failure in, whose facts changed as
// asked and nowhere else.
#include "edid_edit.h"
#include "edid_report.h"
#include "peer_compare.h"

#include <QDir>
#include <QRegularExpression>
#include <QtTest>

#include <functional>

using namespace edidtest;
using namespace vantrel::edid;
using namespace vantrel::edid::edit;

namespace {

QByteArray toBytes(const Bytes &b)
{
    return QByteArray(reinterpret_cast<const char *>(b.data()), int(b.size()));
}

// The peer's failures, without block numbers and descriptor counts that an
// edit may shift.
QStringList peerFailures(const QString &output)
{
    QStringList out;
    static const QRegularExpression number(QStringLiteral("\\d+(\\.\\d+)?"));
    const int from = output.indexOf(QStringLiteral("\nFailures:\n"));
    if (from < 0)
        return out;
    for (QString line : output.mid(from + 11).split('\n'))
        if (line.startsWith(QStringLiteral("  ")))
            out << line.replace(number, QStringLiteral("#")).trimmed();
    out.sort();
    return out;
}

QStringList added(QStringList after, const QStringList &before)
{
    for (const QString &line : before)
        after.removeOne(line);
    return after;
}

struct Peer {
    FactSheet facts;
    QStringList failures;
    QString output;
};

Peer runOn(const Bytes &table)
{
    QString error;
    const QString output = runPeer(toBytes(table), &error, true);
    return {peerFacts(output), peerFailures(output), output};
}

bool hasFact(const FactSheet &f, const char *category, const QString &prefix)
{
    for (const QString &v : f.value(QString::fromLatin1(category)))
        if (v.startsWith(prefix))
            return true;
    return false;
}

// One edit: whether it applies to a table (and with which values), the
// fact categories it may change, and what must hold afterwards.
struct EditCase {
    const char *name;
    std::function<bool(const EdidReport &, const FactSheet &, EditList &)> applies;
    QStringList mayChange;
    std::function<QString(const FactSheet &before, const FactSheet &after)> holds;
    std::function<QString(const QString &peerOutput)> says = [](const QString &) { return QString(); };
};

unsigned lastDroppableVic(const EdidReport &r)
{
    unsigned pick = 0;
    for (const Vic &v : r.allVics())
        if (v.vic != 1 && !v.native)
            pick = v.vic;
    return pick;
}

Bytes corpusTable(const char *name)
{
    QFile file(QStringLiteral(EDID_CORPUS_DIR "/") + QLatin1String(name));
    file.open(QIODevice::ReadOnly);
    const QByteArray b = file.readAll();
    return Bytes(b.begin(), b.end());
}

Bytes avrTable()
{
    return corpusTable("avr_denon_DON0052_0ade711f.bin");
}

// The peer's text holds every line asked for.
QString saysAll(const QString &output, const QStringList &lines)
{
    for (const QString &line : lines)
        if (!output.contains(line))
            return "missing: " + line;
    return QString();
}

// Detailed timings that only went to make room: each one gone is a mode a
// VIC still lists, and none came or changed.
bool dtdsOnlyMadeRoom(const FactSheet &before, const FactSheet &after)
{
    QStringList gone = before.value("dtd");
    for (const QString &d : after.value("dtd"))
        if (!gone.removeOne(d))
            return false;
    for (const QString &d : gone) {
        const QString mode = d.section(' ', 0, 0) + ' ', clock = ' ' + d.section(' ', 1, 1);
        const QStringList formats = after.value("vicFormat");
        if (std::none_of(formats.begin(), formats.end(),
                         [&](const QString &f) { return f.startsWith(mode) && f.endsWith(clock); }))
            return false;
    }
    return true;
}

double factNumber(const FactSheet &f, const char *category, const QString &prefix)
{
    for (const QString &v : f.value(QString::fromLatin1(category)))
        if (v.startsWith(prefix))
            return v.mid(prefix.size()).toDouble();
    return -1;
}

const QStringList kVideo{"vic", "vicFormat", "y420vic", "y420map", "hdmiVic", "dtd"};
const QStringList kAudio{"audio", "audioRates", "audioBitrate", "speakers", "atmos"};

std::vector<EditCase> editCases()
{
    static const Bytes avr = avrTable();
    static const FactSheet avrFacts = runOn(avr).facts;
    std::vector<EditCase> cases;
    cases.push_back({"drop-vic",
                     [](const EdidReport &r, const FactSheet &, EditList &e) {
                         const unsigned v = lastDroppableVic(r);
                         e.dropVics = {v};
                         return v != 0;
                     },
                     kVideo,
                     [](const FactSheet &, const FactSheet &) {
                         return QString(); // checked below with the VIC known
                     }});
    cases.push_back({"preferred 1080p60",
                     [](const EdidReport &r, const FactSheet &, EditList &e) {
                         e.preferred = "16";
                         const auto vics = r.allVics();
                         return std::any_of(vics.begin(), vics.end(), [](const Vic &v) { return v.vic == 16; });
                     },
                     kVideo,
                     [](const FactSheet &, const FactSheet &after) {
                         return after.value("dtd").value(0).startsWith("1920x1080 148")
                                    ? QString()
                                    : "first DTD " + after.value("dtd").value(0);
                     }});
    cases.push_back({"hdr off",
                     [](const EdidReport &, const FactSheet &f, EditList &e) {
                         e.hdrOff = true;
                         return f.contains("eotf");
                     },
                     {"eotf", "luminance"},
                     [](const FactSheet &, const FactSheet &after) {
                         return after.contains("eotf") ? QStringLiteral("eotf left") : QString();
                     }});
    cases.push_back(
        {"hdr-eotf sdr,pq",
         [](const EdidReport &, const FactSheet &f, EditList &e) {
             e.hdrEotfs = 0x05;
             return f.contains("vic");
         },
         {"eotf", "luminance"},
         [](const FactSheet &, const FactSheet &after) {
             return after.value("eotf") == QStringList{"0", "2"} ? QString() : after.value("eotf").join(' ');
         }});
    cases.push_back({"drop-dolby-vision",
                     [](const EdidReport &, const FactSheet &f, EditList &e) {
                         e.dropDolbyVision = true;
                         return f.contains("dolbyVision");
                     },
                     {"dolbyVision"},
                     [](const FactSheet &, const FactSheet &after) {
                         return after.contains("dolbyVision") ? QStringLiteral("Dolby Vision left") : QString();
                     }});
    cases.push_back({"drop-hdr10plus",
                     [](const EdidReport &, const FactSheet &f, EditList &e) {
                         e.dropHdr10Plus = true;
                         return f.contains("hdr10plus");
                     },
                     {"hdr10plus"},
                     [](const FactSheet &, const FactSheet &after) {
                         return after.contains("hdr10plus") ? QStringLiteral("HDR10+ left") : QString();
                     }});
    cases.push_back({"max-tmds 300",
                     [](const EdidReport &, const FactSheet &f, EditList &e) {
                         e.maxTmdsMHz = 300;
                         return f.contains("physical");
                     },
                     kVideo + QStringList{"tmds", "hfTmds", "frl", "hfFlags"},
                     [](const FactSheet &, const FactSheet &after) {
                         if (after.value("tmds") != QStringList{"300"})
                             return "tmds " + after.value("tmds").join(' ');
                         for (const QString &v : after.value("vicFormat"))
                             if (v.section(' ', -1).toUInt() > 300000)
                                 return "left: " + v;
                         return after.contains("frl") ? QStringLiteral("FRL left") : QString();
                     }});
    cases.push_back({"no-420",
                     [](const EdidReport &, const FactSheet &f, EditList &e) {
                         e.no420 = true;
                         return f.contains("y420vic") || f.contains("y420map");
                     },
                     {"y420vic", "y420map", "hfFlags"},
                     [](const FactSheet &, const FactSheet &after) {
                         return after.contains("y420vic") || after.contains("y420map") ? QStringLiteral("4:2:0 left")
                                                                                       : QString();
                     }});
    cases.push_back({"no-deep-colour",
                     [](const EdidReport &, const FactSheet &f, EditList &e) {
                         e.noDeepColour = true;
                         return hasFact(f, "hdmiFlags", "DC_");
                     },
                     {"hdmiFlags", "hfFlags"},
                     [](const FactSheet &, const FactSheet &after) {
                         return hasFact(after, "hdmiFlags", "DC_") ? QStringLiteral("deep colour left") : QString();
                     }});
    cases.push_back({"no-3d",
                     [](const EdidReport &, const FactSheet &f, EditList &e) {
                         e.no3d = true;
                         return f.contains("physical");
                     },
                     {"hfFlags"},
                     [](const FactSheet &, const FactSheet &) { return QString(); }});
    cases.push_back({"audio-from AVR",
                     [](const EdidReport &r, const FactSheet &, EditList &e) {
                         e.audioFrom = avr;
                         return !r.allVics().empty();
                     },
                     kAudio,
                     [](const FactSheet &, const FactSheet &after) {
                         for (const QString &c : kAudio)
                             if (after.value(c) != avrFacts.value(c))
                                 return c + ": " + after.value(c).join(' ');
                         return QString();
                     }});
    cases.push_back({"drop-audio ac3,dts",
                     [](const EdidReport &, const FactSheet &f, EditList &e) {
                         e.dropAudio = {2, 7};
                         return hasFact(f, "audio", "AC-3/") || hasFact(f, "audio", "DTS/");
                     },
                     kAudio,
                     [](const FactSheet &, const FactSheet &after) {
                         return hasFact(after, "audio", "AC-3/") || hasFact(after, "audio", "DTS/")
                                    ? QStringLiteral("left: ") + after.value("audio").join(' ')
                                    : QString();
                     }});
    cases.push_back({"speakers 5.1",
                     [](const EdidReport &, const FactSheet &f, EditList &e) {
                         e.speakers = 0x0F;
                         return f.contains("audio");
                     },
                     {"speakers"},
                     [](const FactSheet &, const FactSheet &after) {
                         const QStringList want{"FL/FR", "LFE1", "FC", "BL/BR"};
                         return after.value("speakers") == want ? QString() : after.value("speakers").join(' ');
                     }});
    cases.push_back({"name and serial",
                     [](const EdidReport &, const FactSheet &, EditList &e) {
                         e.name = "LIVING ROOM";
                         e.serial = 4242;
                         return true;
                     },
                     {"name", "serial"},
                     [](const FactSheet &, const FactSheet &after) {
                         return after.value("name") == QStringList{"LIVING ROOM"} &&
                                        after.value("serial").count("4242") == after.value("serial").size()
                                    ? QString()
                                    : after.value("name").join(' ') + " " + after.value("serial").join(' ');
                     }});
    static const Bytes hdrTv = corpusTable("tv_philips_PHL04C3_9665659f.bin");
    static const FactSheet hdrTvFacts = runOn(hdrTv).facts;
    const QStringList kForum{"hfVersion", "hfTmds", "scdc", "hfFlags", "frl", "vrr"};
    cases.push_back({"add-vic 97:420",
                     [](const EdidReport &, const FactSheet &f, EditList &e) {
                         e.addVics = {{97, true}};
                         return f.contains("vic") && !f.value("vic").contains("97");
                     },
                     kVideo,
                     [](const FactSheet &, const FactSheet &after) {
                         return after.value("vic").contains("97") &&
                                        (after.value("y420map").contains("97") || after.value("y420map") == QStringList{"all"})
                                    ? QString()
                                    : "vic " + after.value("vic").join(' ') + " map " + after.value("y420map").join(' ');
                     }});
    cases.push_back({"add-timing 1280x800@60 (v1, 71.00 MHz)",
                     [](const EdidReport &, const FactSheet &, EditList &e) {
                         e.addTiming = TimingRequest{1280, 800, 60, false, false};
                         return true;
                     },
                     {"dtd"},
                     [](const FactSheet &before, const FactSheet &after) {
                         return after.value("dtd").count("1280x800 71000") == before.value("dtd").count("1280x800 71000") + 1
                                    ? QString()
                                    : "dtd " + after.value("dtd").join(", ");
                     }});
    cases.push_back({"add-timing 1920x1200@60,rb2,first (148.20 MHz)",
                     [](const EdidReport &, const FactSheet &, EditList &e) {
                         e.addTiming = TimingRequest{1920, 1200, 60, true, true};
                         return true;
                     },
                     {"dtd"},
                     [](const FactSheet &, const FactSheet &after) {
                         return after.value("dtd").value(0) == "1920x1200 148200" ? QString()
                                                                                    : "dtd " + after.value("dtd").join(", ");
                     }});
    cases.push_back({"hdr-from TV",
                     [](const EdidReport &, const FactSheet &f, EditList &e) {
                         e.hdrFrom = hdrTv;
                         return f.contains("vic");
                     },
                     {"eotf", "luminance"},
                     [](const FactSheet &, const FactSheet &after) {
                         return after.value("eotf") == hdrTvFacts.value("eotf") ? QString()
                                                                                : "eotf " + after.value("eotf").join(' ');
                     }});
    cases.push_back({"dolby-vision-from TV",
                     [](const EdidReport &, const FactSheet &f, EditList &e) {
                         e.dolbyVisionFrom = hdrTv;
                         return f.contains("vic");
                     },
                     {"dolbyVision"},
                     [](const FactSheet &, const FactSheet &after) {
                         return after.value("dolbyVision") == QStringList{"2"} ? QString()
                                                                               : "DV " + after.value("dolbyVision").join(' ');
                     }});
    cases.push_back({"hdr10plus-from TV",
                     [](const EdidReport &, const FactSheet &f, EditList &e) {
                         e.hdr10PlusFrom = hdrTv;
                         return f.contains("vic");
                     },
                     {"hdr10plus"},
                     [](const FactSheet &, const FactSheet &after) {
                         return after.contains("hdr10plus") ? QString() : QStringLiteral("no HDR10+");
                     }});
    cases.push_back({"hdr-luminance 1000,400,0.05",
                     [](const EdidReport &, const FactSheet &f, EditList &e) {
                         e.hdrLuminance = Luminance{1000, 400, 0.05};
                         return f.contains("eotf");
                     },
                     {"luminance"},
                     [](const FactSheet &, const FactSheet &after) {
                         const double max = factNumber(after, "luminance", "max "),
                                      avg = factNumber(after, "luminance", "average "),
                                      min = factNumber(after, "luminance", "min ");
                         return std::abs(max - 1000) < 25 && std::abs(avg - 400) < 10 && std::abs(min - 0.05) < 0.003
                                    ? QString()
                                    : after.value("luminance").join(", ");
                     }});
    cases.push_back({"dolby-vision-lldv",
                     [](const EdidReport &, const FactSheet &f, EditList &e) {
                         e.dolbyVisionLldv = true;
                         return f.contains("luminance") && !f.contains("dolbyVision");
                     },
                     {"dolbyVision"},
                     [](const FactSheet &, const FactSheet &after) {
                         return after.value("dolbyVision") == QStringList{"2"} ? QString()
                                                                               : "DV " + after.value("dolbyVision").join(' ');
                     },
                     [](const QString &out) { return saysAll(out, {"Interface: Low-Latency\n"}); }});
    cases.push_back({"range-limits 24-144,15-255,1200",
                     [](const EdidReport &, const FactSheet &, EditList &e) {
                         e.rangeLimits = edit::RangeLimits{24, 144, 15, 255, 1200};
                         return true;
                     },
                     {"rangeLimits", "range"},
                     [](const FactSheet &, const FactSheet &) { return QString(); },
                     [](const QString &out) { return saysAll(out, {"24-144 Hz V, 15-255 kHz H, max dotclock 1200 MHz"}); }});
    cases.push_back({"freesync 48-120", nullptr, {"amd"}, [](const FactSheet &, const FactSheet &) { return QString(); },
                     [](const QString &out) {
                         return saysAll(out, {"Minimum Refresh Rate: 48 Hz", "Maximum Refresh Rate: 120 Hz"});
                     }});
    cases.back().applies = [](const EdidReport &, const FactSheet &f, EditList &e) {
        e.freeSync = RateRange{48, 120};
        return f.contains("vic");
    };
    cases.push_back({"hf-vrr 48-120",
                     [](const EdidReport &, const FactSheet &f, EditList &e) {
                         e.hfVrr = RateRange{48, 120};
                         return f.contains("physical");
                     },
                     kForum,
                     [](const FactSheet &, const FactSheet &after) {
                         return after.value("vrr") == QStringList{"min 48", "max 120"} ? QString()
                                                                                       : after.value("vrr").join(' ');
                     }});
    cases.push_back({"hf-allm on",
                     [](const EdidReport &, const FactSheet &f, EditList &e) {
                         e.hfAllm = true;
                         return f.contains("physical");
                     },
                     kForum,
                     [](const FactSheet &, const FactSheet &after) {
                         return after.value("hfFlags").contains("ALLM") ? QString() : QStringLiteral("no ALLM");
                     }});
    cases.push_back({"max-frl 18",
                     [](const EdidReport &, const FactSheet &f, EditList &e) {
                         e.maxFrl = 2;
                         return f.contains("physical");
                     },
                     kForum,
                     [](const FactSheet &, const FactSheet &after) {
                         return after.value("frl") == QStringList{"2"} ? QString() : "frl " + after.value("frl").join(' ');
                     }});
    cases.push_back({"fit lifts DisplayID's CTA-861 blocks",
                     [](const EdidReport &r, const FactSheet &, EditList &e) {
                         e.fit = true;
                         bool cta = false, lifted = false;
                         for (const ExtensionBlock &x : r.extensions) {
                             cta = cta || x.cta;
                             if (x.displayId)
                                 for (const DisplayIdBlock &b : x.displayId->blocks)
                                     lifted = lifted || !b.cta.empty();
                         }
                         return lifted && !cta;
                     },
                     {},
                     [](const FactSheet &before, const FactSheet &after) {
                         for (const char *k : {"eotf", "luminance", "colorimetry", "audio", "speakers"})
                             if (before.value(k) != after.value(k))
                                 return QString::fromLatin1(k) + ": " + after.value(k).join(' ');
                         return QString();
                     }});
    cases.push_back({"fit",
                     [](const EdidReport &r, const FactSheet &, EditList &e) {
                         e.fit = true;
                         return r.size > 256;
                     },
                     {},
                     [](const FactSheet &, const FactSheet &) { return QString(); }});
    return cases;
}

} // namespace

class EdidEditPeerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!peerAvailable())
            QSKIP("edid-decode is not installed");
    }

    // One row per edit, each within the test watchdog; the peer's view of
    // each table before is taken once.
    void everyEditOverTheCorpus_data()
    {
        QTest::addColumn<int>("which");
        const std::vector<EditCase> cases = editCases();
        for (size_t i = 0; i < cases.size(); ++i)
            QTest::newRow(cases[i].name) << int(i);
    }

    void everyEditOverTheCorpus()
    {
        QFETCH(int, which);
        struct Table {
            QString name;
            Bytes bytes;
            EdidReport report;
            Peer before;
        };
        static std::vector<Table> tables;
        if (tables.empty()) {
            const QDir dir(QStringLiteral(EDID_CORPUS_DIR));
            for (const QString &name : dir.entryList({QStringLiteral("*.bin")}, QDir::Files, QDir::Name)) {
                QFile file(dir.filePath(name));
                QVERIFY(file.open(QIODevice::ReadOnly));
                const QByteArray raw = file.readAll();
                const Bytes table(raw.begin(), raw.end());
                tables.push_back({name, table, decodeEdid(table), runOn(table)});
            }
        }
        QVERIFY(tables.size() >= 250);
        static const std::vector<EditCase> cases = editCases();
        const EditCase &c = cases[size_t(which)];
        int made = 0, refused = 0;
        QStringList faults;
        for (const Table &t : tables) {
            const Peer &before = t.before;
            EditList edits;
            if (!c.applies(t.report, before.facts, edits))
                continue;
            const EditResult r = applyEdits(t.bytes, edits, false);
            if (!r.ok) {
                if (qEnvironmentVariableIsSet("SHOW_REFUSED"))
                    qInfo("%s: %s: %s", qPrintable(t.name), c.name, r.refused.c_str());
                ++refused;
                continue;
            }
            ++made;
            const Peer after = runOn(r.bytes);
            const QString where = t.name + ": " + c.name + ": ";
            for (const QString &f : added(after.failures, before.failures))
                faults << where + "new peer failure: " + f;
            // Facts of a block with a bad checksum are no ground to judge by.
            const bool corrupt = before.facts.value("checksum").contains("bad");
            for (const QString &key : before.facts.keys() + after.facts.keys())
                if (before.facts.value(key) != after.facts.value(key) && !c.mayChange.contains(key) &&
                    !c.mayChange.isEmpty() && !corrupt && !(key == "dtd" && dtdsOnlyMadeRoom(before.facts, after.facts)))
                    faults << where + key + " changed: " + after.facts.value(key).join(' ');
            QString broken = c.holds(before.facts, after.facts);
            if (broken.isEmpty())
                broken = c.says(after.output);
            if (!edits.dropVics.empty()) {
                const QString v = QString::number(edits.dropVics[0]);
                for (const char *k : {"vic", "y420vic", "y420map"})
                    if (after.facts.value(k).contains(v) || after.facts.value(k).contains(v + "*"))
                        broken = QStringLiteral("VIC %1 left in %2").arg(v, k);
            }
            if (edits.fit && r.bytes.size() > 256)
                broken = QStringLiteral("%1 bytes").arg(r.bytes.size());
            if (!broken.isEmpty())
                faults << where + broken;
        }
        qInfo("%s: %d made, %d refused", c.name, made, refused);
        for (const QString &f : faults.mid(0, 40))
            qWarning("%s", qPrintable(f));
        QVERIFY2(made > 0, c.name);
        QVERIFY2(faults.isEmpty(), qPrintable(QString::number(faults.size()) + " faults"));
    }
};

QTEST_GUILESS_MAIN(EdidEditPeerTest)
#include "tst_edid_edit_peer.moc"
