// SPDX-License-Identifier: GPL-3.0-or-later
// The timings a base block names by bit or by standard timing code, for
// the checks that need their rates.
#include "legacy_timings.h"

#include <cmath>
#include <cstdlib>

namespace vantrel::edid {
namespace {

struct Established {
    unsigned byte, bit;            // byte 0x23 + byte, bit 7 first
    unsigned hActive, vActive;
    bool interlaced;
    double refreshHz, hFreqKHz;
    unsigned pixelClockKHz;
};

const Established kEstablished[] = {
    {0, 7,  720,  400, false,  70.081663,  31.467,  28320},
    {0, 6,  720,  400, false,  87.849542,  39.444,  35500},
    {0, 5,  640,  480, false,  59.940476,  31.469,  25175},
    {0, 4,  640,  480, false,  66.666667,  35.000,  30240},
    {0, 3,  640,  480, false,  72.808802,  37.861,  31500},
    {0, 2,  640,  480, false,  75.000000,  37.500,  31500},
    {0, 1,  800,  600, false,  56.250000,  35.156,  36000},
    {0, 0,  800,  600, false,  60.316541,  37.879,  40000},
    {1, 7,  800,  600, false,  72.187572,  48.077,  50000},
    {1, 6,  800,  600, false,  75.000000,  46.875,  49500},
    {1, 5,  832,  624, false,  74.551266,  49.726,  57284},
    {1, 4, 1024,  768, true ,  86.957532,  35.522,  44900},
    {1, 3, 1024,  768, false,  60.003840,  48.363,  65000},
    {1, 2, 1024,  768, false,  70.069359,  56.476,  75000},
    {1, 1, 1024,  768, false,  75.028582,  60.023,  78750},
    {1, 0, 1280, 1024, false,  75.024675,  79.976, 135000},
    {2, 7, 1152,  870, false,  75.061550,  68.681, 100000},
};

struct DmtCode {
    unsigned code;                 // the two standard timing bytes
    unsigned hActive, vActive;
    double refreshHz, hFreqKHz;
    unsigned pixelClockKHz;
};

// Standard timing codes that name a VESA DMT timing.
const DmtCode kDmt[] = {
    {0x3140,  640,  480,  59.940476,  31.469,  25175},
    {0x314C,  640,  480,  72.808802,  37.861,  31500},
    {0x314F,  640,  480,  75.000000,  37.500,  31500},
    {0x3159,  640,  480,  85.008312,  43.269,  36000},
    {0x4540,  800,  600,  60.316541,  37.879,  40000},
    {0x454C,  800,  600,  72.187572,  48.077,  50000},
    {0x454F,  800,  600,  75.000000,  46.875,  49500},
    {0x4559,  800,  600,  85.061274,  53.674,  56250},
    {0x6140, 1024,  768,  60.003840,  48.363,  65000},
    {0x614C, 1024,  768,  70.069359,  56.476,  75000},
    {0x614F, 1024,  768,  75.028582,  60.023,  78750},
    {0x6159, 1024,  768,  84.996690,  68.677,  94500},
    {0x714F, 1152,  864,  75.000000,  67.500, 108000},
    {0x8100, 1280,  800,  59.810326,  49.702,  83500},
    {0x810F, 1280,  800,  74.934142,  62.795, 106500},
    {0x8119, 1280,  800,  84.879879,  71.554, 122500},
    {0x8140, 1280,  960,  60.000000,  60.000, 108000},
    {0x8159, 1280,  960,  85.002473,  85.938, 148500},
    {0x8180, 1280, 1024,  60.019740,  63.981, 108000},
    {0x818F, 1280, 1024,  75.024675,  79.976, 135000},
    {0x8199, 1280, 1024,  85.024098,  91.146, 157500},
    {0x81C0, 1280,  720,  60.000000,  45.000,  74250},
    {0x9040, 1400, 1050,  59.978442,  65.317, 121750},
    {0x904F, 1400, 1050,  74.866680,  82.278, 156000},
    {0x9059, 1400, 1050,  84.959958,  93.881, 179500},
    {0x9500, 1440,  900,  59.887445,  55.935, 106500},
    {0x950F, 1440,  900,  74.984427,  70.635, 136750},
    {0x9519, 1440,  900,  84.842118,  80.430, 157000},
    {0xA940, 1600, 1200,  60.000000,  75.000, 162000},
    {0xA945, 1600, 1200,  65.000000,  81.250, 175500},
    {0xA94A, 1600, 1200,  70.000000,  87.500, 189000},
    {0xA94F, 1600, 1200,  75.000000,  93.750, 202500},
    {0xA959, 1600, 1200,  85.000000, 106.250, 229500},
    {0xA9C0, 1600,  900,  60.000000,  60.000, 108000},
    {0xB300, 1680, 1050,  59.954250,  65.290, 146250},
    {0xB30F, 1680, 1050,  74.892027,  82.306, 187000},
    {0xB319, 1680, 1050,  84.940512,  93.859, 214750},
    {0xC140, 1792, 1344,  59.999789,  83.640, 204750},
    {0xC14F, 1792, 1344,  74.996724, 106.270, 261000},
    {0xC940, 1856, 1392,  59.995184,  86.333, 218250},
    {0xC94F, 1856, 1392,  75.000000, 112.500, 288000},
    {0xD100, 1920, 1200,  59.884600,  74.556, 193250},
    {0xD10F, 1920, 1200,  74.930340,  94.038, 245250},
    {0xD119, 1920, 1200,  84.931608, 107.184, 281250},
    {0xD140, 1920, 1440,  60.000000,  90.000, 234000},
    {0xD14F, 1920, 1440,  75.000000, 112.500, 297000},
    {0xD1C0, 1920, 1080,  60.000000,  67.500, 148500},
    {0xE1C0, 2048, 1152,  60.000000,  72.000, 162000},
};


// The DMT list in id order: width, height, frame rate (0.001 Hz); the
// interlaced 1024x768 at 43 Hz (id 0x0F) is marked by its negative rate.
const int kDmtById[][3] = {
    {640, 350, 85080},   {640, 400, 85080},   {720, 400, 85039},   {640, 480, 59940},
    {640, 480, 72809},   {640, 480, 75000},   {640, 480, 85008},   {800, 600, 56250},
    {800, 600, 60317},   {800, 600, 72188},   {800, 600, 75000},   {800, 600, 85061},
    {800, 600, 119972},  {848, 480, 60000},   {1024, 768, -43479}, {1024, 768, 60004},
    {1024, 768, 70069},  {1024, 768, 75029},  {1024, 768, 84997},  {1024, 768, 119989},
    {1152, 864, 75000},  {1280, 768, 59995},  {1280, 768, 59870},  {1280, 768, 74893},
    {1280, 768, 84837},  {1280, 768, 119798}, {1280, 800, 59910},  {1280, 800, 59810},
    {1280, 800, 74934},  {1280, 800, 84880},  {1280, 800, 119909}, {1280, 960, 60000},
    {1280, 960, 85002},  {1280, 960, 119838}, {1280, 1024, 60020}, {1280, 1024, 75025},
    {1280, 1024, 85024}, {1280, 1024, 119958},{1360, 768, 60015},  {1360, 768, 119967},
    {1400, 1050, 59948}, {1400, 1050, 59978}, {1400, 1050, 74867}, {1400, 1050, 84960},
    {1400, 1050, 119904},{1440, 900, 59901},  {1440, 900, 59887},  {1440, 900, 74984},
    {1440, 900, 84842},  {1440, 900, 119852}, {1600, 1200, 60000}, {1600, 1200, 65000},
    {1600, 1200, 70000}, {1600, 1200, 75000}, {1600, 1200, 85000}, {1600, 1200, 119917},
    {1680, 1050, 59883}, {1680, 1050, 59954}, {1680, 1050, 74892}, {1680, 1050, 84941},
    {1680, 1050, 119986},{1792, 1344, 60000}, {1792, 1344, 74997}, {1792, 1344, 119974},
    {1856, 1392, 59995}, {1856, 1392, 75000}, {1856, 1392, 119970},{1920, 1200, 59950},
    {1920, 1200, 59885}, {1920, 1200, 74930}, {1920, 1200, 84932}, {1920, 1200, 119909},
    {1920, 1440, 60000}, {1920, 1440, 75000}, {1920, 1440, 119956},{2560, 1600, 59972},
    {2560, 1600, 59987}, {2560, 1600, 74972}, {2560, 1600, 84951}, {2560, 1600, 119963},
    {1366, 768, 59790},  {1920, 1080, 60000}, {1600, 900, 60000},  {2048, 1152, 60000},
    {1280, 720, 60000},  {1366, 768, 60000},  {4096, 2160, 60000}, {4096, 2160, 59940},
};

// GTF with its default curve (C 40, M 600, K 128, J 20): the line rate and
// the pixel clock of a mode given by its active area and frame rate.
LegacyTiming gtfTiming(unsigned hActive, unsigned vActive, double refreshHz)
{
    const double minVsyncBpUs = 550.0, minPorch = 1.0, cellGran = 8.0;
    const double cPrime = 30.0, mPrime = 300.0;
    const double hPeriodEst = (1.0 / refreshHz - minVsyncBpUs / 1e6) / (vActive + minPorch) * 1e6;
    const double vSyncBp = std::round(minVsyncBpUs / hPeriodEst);
    const double totalLines = vActive + vSyncBp + minPorch;
    const double vFieldRateEst = 1.0 / hPeriodEst / totalLines * 1e6;
    const double hPeriod = hPeriodEst / (refreshHz / vFieldRateEst);
    const double idealDuty = cPrime - mPrime * hPeriod / 1000.0;
    const double hBlank = std::round(hActive * idealDuty / (100.0 - idealDuty) / (2 * cellGran)) * 2 * cellGran;
    LegacyTiming t;
    t.hActive = hActive;
    t.vActive = vActive;
    t.refreshHz = refreshHz;
    t.hFreqKHz = 1000.0 / hPeriod;
    t.pixelClockKHz = unsigned(std::lround((hActive + hBlank) / hPeriod * 1000.0));
    return t;
}

} // namespace

std::vector<LegacyTiming> establishedTimings(const uint8_t bytes[3])
{
    std::vector<LegacyTiming> out;
    for (const Established &e : kEstablished)
        if (bytes[e.byte] & (1u << e.bit))
            out.push_back({e.hActive, e.vActive, e.interlaced, e.refreshHz, e.hFreqKHz, e.pixelClockKHz});
    return out;
}

std::optional<LegacyTiming> standardTiming(uint8_t first, uint8_t second, unsigned edidRevision)
{
    if (first <= 0x01)
        return std::nullopt; // unused
    const unsigned code = (unsigned(first) << 8) | second;
    for (const DmtCode &d : kDmt)
        if (d.code == code)
            return LegacyTiming{d.hActive, d.vActive, false, d.refreshHz, d.hFreqKHz, d.pixelClockKHz};
    const unsigned hActive = (first + 31u) * 8u;
    unsigned vActive = 0;
    switch (second >> 6) {
    case 0: vActive = edidRevision < 3 ? hActive : hActive * 10 / 16; break;
    case 1: vActive = hActive * 3 / 4; break;
    case 2: vActive = hActive * 4 / 5; break;
    default: vActive = hActive * 9 / 16; break;
    }
    return gtfTiming(hActive, vActive, 60.0 + (second & 0x3F));
}

std::optional<LegacyTiming> dmtTiming(unsigned id)
{
    if (id == 0 || id > sizeof kDmtById / sizeof kDmtById[0])
        return std::nullopt;
    const int *d = kDmtById[id - 1];
    LegacyTiming t;
    t.hActive = unsigned(d[0]);
    t.vActive = unsigned(d[1]);
    t.interlaced = d[2] < 0;
    t.refreshHz = std::abs(d[2]) / 1000.0;
    return t;
}

} // namespace vantrel::edid
