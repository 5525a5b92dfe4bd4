// SPDX-License-Identifier: GPL-3.0-or-later
// The CTA-861 vendor blocks: HDMI, HDMI Forum, Dolby Vision, HDR10+ and
// Dolby audio, picked by their OUI.
#include "cta_blocks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vantrel::edid::detail {
namespace {

constexpr uint32_t kOuiHdmi = 0x000C03;
constexpr uint32_t kOuiHdmiForum = 0xC45DD8;

std::string ouiText(uint32_t oui)
{
    char text[12];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X", (oui >> 16) & 0xFF, (oui >> 8) & 0xFF, oui & 0xFF);
    return text;
}

void decodeHdmi(BlockCursor &c)
{
    if (!c.needs(5))
        return;
    HdmiVsdb h;
    h.physA = c.at(3) >> 4;
    h.physB = c.at(3) & 0x0F;
    h.physC = c.at(4) >> 4;
    h.physD = c.at(4) & 0x0F;
    if (c.db.length >= 6) {
        const uint8_t f = c.at(5);
        h.supportsAI = f & 0x80;
        h.dc48 = f & 0x40;
        h.dc36 = f & 0x20;
        h.dc30 = f & 0x10;
        h.dcY444 = f & 0x08;
        h.dviDual = f & 0x01;
        if (h.dcY444 && !(h.dc30 || h.dc36 || h.dc48))
            c.error("DC_Y444 is set without any deep colour depth");
    }
    if (c.db.length >= 7) {
        h.maxTmdsMHz = c.at(6) * 5u;
        if (h.maxTmdsMHz > 340)
            c.error("maximum TMDS clock " + std::to_string(h.maxTmdsMHz) + " MHz is above 340 MHz");
    }
    if (c.db.length >= 8) {
        const uint8_t f = c.at(7);
        h.contentGraphics = f & 0x01;
        h.contentPhoto = f & 0x02;
        h.contentCinema = f & 0x04;
        h.contentGame = f & 0x08;
    }
    if (c.db.length >= 8 && (c.at(7) & 0x80)) {
        if (c.db.length >= 10) {
            h.videoLatency = c.at(8);
            h.audioLatency = c.at(9);
        } else {
            c.error("latency fields are announced but missing");
        }
    }
    // The interlaced pair only follows the progressive one.
    if (c.db.length >= 8 && (c.at(7) & 0xC0) == 0xC0 && c.db.length >= 12) {
        h.interlacedVideoLatency = c.at(10);
        h.interlacedAudioLatency = c.at(11);
    }
    if (c.db.length >= 8 && (c.at(7) & 0x20)) {
        const unsigned i = 8 + ((c.at(7) & 0x80) ? 2 : 0) + ((c.at(7) & 0x40) ? 2 : 0);
        h.present3d = i < c.db.length && (c.at(i) & 0x80);
    }
    // After the latencies: the HDMI video byte, then the lengths of the
    // HDMI VIC and 3D lists, then the HDMI VICs.
    if (c.db.length >= 8 && (c.at(7) & 0x20)) {
        unsigned i = 8 + ((c.at(7) & 0x80) ? 2 : 0) + ((c.at(7) & 0x40) ? 2 : 0);
        if (i + 2 <= c.db.length) {
            const unsigned count = c.at(i + 1) >> 5;
            i += 2;
            for (unsigned k = 0; k < count && i + k < c.db.length; ++k)
                h.hdmiVics.push_back(c.at(i + k));
            if (i + count > c.db.length)
                c.error("the HDMI VIC list runs past the end of the block");
        }
    }
    c.db.hdmi = h;
}

constexpr uint32_t kOuiDolby = 0x00D046;
constexpr uint32_t kOuiHdr10Plus = 0x90848B;

// SMPTE ST 2084: a 12-bit PQ code as cd/m^2.
double pqToNits(unsigned code)
{
    const double m1 = 0.1593017578125, m2 = 78.84375, c1 = 0.8359375, c2 = 18.8515625, c3 = 18.6875;
    const double e = std::pow(code / 4095.0, 1 / m2);
    return 10000 * std::pow(std::max(e - c1, 0.0) / (c2 - c3 * e), 1 / m1);
}

// Dolby Vision: the version in the top three bits of the first byte after
// the OUI; each version packs the display's range differently.
void decodeDolbyVision(BlockCursor &c)
{
    if (!c.needs(5))
        return;
    DolbyVision d;
    const uint8_t b = c.at(4);
    d.version = b >> 5;
    if (d.version == 0) {
        if (c.needs(21)) {
            d.dmVersion = c.at(20) >> 4;
            d.minLuminance = pqToNits((unsigned(c.at(18)) << 4) | (c.at(17) >> 4));
            d.maxLuminance = pqToNits((unsigned(c.at(19)) << 4) | (c.at(17) & 0x0F));
        }
    } else if (d.version <= 2) {
        d.dmVersion = ((b >> 2) & 7) + 2;
        if (c.needs(7)) {
            if (d.version == 1) {
                const double m = (c.at(6) >> 1) / 127.0;
                d.minLuminance = m * m;
                d.maxLuminance = 100 + 50 * (c.at(5) >> 1);
                d.lowLatency = c.db.length >= 8 && (c.at(7) & 1);
            } else {
                d.interfaceType = c.at(6) & 3;
                d.lowLatency = true;
                d.minLuminance = pqToNits(20 * (c.at(5) >> 3));
                d.maxLuminance = pqToNits(2055 + 65 * (c.at(6) >> 3));
            }
        }
    } else {
        c.warning("unknown Dolby Vision version " + std::to_string(d.version));
    }
    c.db.dolbyVision = d;
}

} // namespace

// The vendor form and the sink capability form put the same fields at the
// same offsets: three OUI bytes, or the extended tag and two reserved bytes.
void decodeHdmiForum(BlockCursor &c, bool sinkCapability)
{
    if (!c.needs(sinkCapability ? 7 : 6))
        return;
    HdmiForumVsdb h;
    h.sinkCapabilityBlock = sinkCapability;
    if (sinkCapability && (c.at(1) || c.at(2)))
        c.warning("reserved bytes are not 0");
    h.version = c.at(3);
    if (h.version != 1)
        c.warning("version " + std::to_string(h.version) + " (1 expected)");
    h.maxTmdsCharRateMHz = c.at(4) * 5u;
    if (h.maxTmdsCharRateMHz && (h.maxTmdsCharRateMHz <= 340 || h.maxTmdsCharRateMHz > 600))
        c.error("maximum TMDS character rate " + std::to_string(h.maxTmdsCharRateMHz) +
                " MHz is neither 0 nor above 340 and at most 600 MHz");
    const uint8_t f = c.at(5);
    h.scdcPresent = f & 0x80;
    h.rrCapable = f & 0x40;
    h.lte340Scramble = f & 0x08;
    h.independentView = f & 0x04;
    h.dualView = f & 0x02;
    h.osdDisparity = f & 0x01;
    if (h.rrCapable && !h.scdcPresent)
        c.error("read requests are announced without SCDC");
    if (c.db.length >= 7) {
        const uint8_t g = c.at(6);
        h.maxFrlRate = g >> 4;
        h.dc48_420 = g & 0x04;
        h.dc36_420 = g & 0x02;
        h.dc30_420 = g & 0x01;
        if (h.maxFrlRate > 6)
            c.error("reserved maximum FRL rate " + std::to_string(h.maxFrlRate));
        // FRL needs the TMDS rates below it: 3 Gbps lanes 300 MHz, faster 600 MHz.
        if (h.maxFrlRate == 1 && h.maxTmdsCharRateMHz < 300)
            c.error("FRL at 3 Gbps, but a maximum TMDS character rate below 300 MHz");
        else if (h.maxFrlRate >= 2 && h.maxTmdsCharRateMHz < 600)
            c.error("FRL above 3 Gbps, but a maximum TMDS character rate below 600 MHz");
    }
    if (c.db.length >= 8) {
        const uint8_t g = c.at(7);
        h.qmsTfrMax = g & 0x80;
        h.qms = g & 0x40;
        h.mDelta = g & 0x20;
        h.cinemaVrr = g & 0x10;
        h.cnmVrr = g & 0x08;
        h.fva = g & 0x04;
        h.allm = g & 0x02;
        h.qmsTfrMin = g & 0x01;
    }
    if (c.db.length >= 10) {
        h.vrrMinHz = c.at(8) & 0x3F;
        h.vrrMaxHz = ((c.at(8) & 0xC0) << 2) | c.at(9);
        if (h.vrrMaxHz && h.vrrMaxHz < h.vrrMinHz)
            c.error("VRRmax " + std::to_string(h.vrrMaxHz) + " Hz is below VRRmin " + std::to_string(h.vrrMinHz) + " Hz");
    }
    if (c.db.length >= 13) {
        const uint8_t d = c.at(10);
        h.dsc = d & 0x80;
        h.dscNative420 = d & 0x40;
        h.dscAllBpp = d & 0x08;
        h.dsc12bpc = d & 0x02;
        h.dsc10bpc = d & 0x01;
        h.dscMaxFrlRate = c.at(11) >> 4;
        static const unsigned slices[8] = {0, 1, 2, 4, 8, 8, 12, 16};
        h.dscMaxSlices = slices[c.at(11) & 7];
        h.dscTotalChunkKBytes = h.dsc ? ((c.at(12) & 0x3F) + 1u) : 0u;
    }
    c.db.hdmiForum = h;
}

void decodeVendor(BlockCursor &c)
{
    if (!c.needs(3)) {
        c.db.name = "Vendor-Specific Data Block";
        return;
    }
    c.db.oui = (uint32_t(c.at(2)) << 16) | (uint32_t(c.at(1)) << 8) | c.at(0);
    if (c.db.oui == kOuiHdmi) {
        c.db.name = "Vendor-Specific Data Block (HDMI), OUI " + ouiText(c.db.oui);
        decodeHdmi(c);
    } else if (c.db.oui == kOuiHdmiForum) {
        c.db.name = "Vendor-Specific Data Block (HDMI Forum), OUI " + ouiText(c.db.oui);
        decodeHdmiForum(c, false);
    } else {
        c.db.name = "Vendor-Specific Data Block, OUI " + ouiText(c.db.oui);
    }
}

void decodeVendorPayload(BlockCursor &c)
{
    if (c.db.length < 4)
        return;
    if (c.db.kind == BlockKind::VendorVideo && c.db.oui == kOuiDolby) {
        c.db.name = "Vendor-Specific Video Data Block (Dolby Vision), OUI 00-D0-46";
        decodeDolbyVision(c);
    } else if (c.db.kind == BlockKind::VendorVideo && c.db.oui == kOuiHdr10Plus) {
        c.db.name = "Vendor-Specific Video Data Block (HDR10+), OUI 90-84-8B";
        if (c.needs(5))
            c.db.hdr10Plus = Hdr10Plus{c.at(4) & 3u};
    } else if (c.db.kind == BlockKind::VendorAudio && c.db.oui == kOuiDolby) {
        c.db.name = "Vendor-Specific Audio Data Block (Dolby), OUI 00-D0-46";
        if (c.needs(5)) {
            DolbyAudio d;
            d.version = 1 + (c.at(4) & 7u);
            d.headphoneOnly = c.at(4) & 0x80;
            d.heightZone = c.at(4) & 0x40;
            d.surroundZone = c.at(4) & 0x20;
            d.centreZone = c.at(4) & 0x10;
            d.matPcm48Only = c.db.length >= 6 && (c.at(5) & 1);
            c.db.dolbyAudio = d;
        }
    }
}

} // namespace vantrel::edid::detail
