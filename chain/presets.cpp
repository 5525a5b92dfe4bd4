// SPDX-License-Identifier: GPL-3.0-or-later
// The box's fixed presets as the tables their names state: the largest mode,
// its format and depth, the clock, HDR, and all sound or stereo.
#include "chain_plan.h"

#include "settings_table.h"

namespace vantrel::chain {

namespace {

struct Stated {
    unsigned number;
    std::vector<unsigned> vics, only420;
    unsigned limitMHz;
    bool ycbcr444, ycbcr422, deep, deep420, hdr, allSound;
};

// Each preset lists its largest mode and the common ones below it.
const std::vector<unsigned> k1080{16, 31, 4, 19, 3, 18, 2, 17, 1};
const std::vector<unsigned> k4k60{97, 96, 95, 94, 93, 16, 31, 4, 19, 3, 18, 2, 17, 1};
const std::vector<unsigned> k4k50{96, 95, 94, 93, 16, 31, 4, 19, 3, 18, 2, 17, 1};
const std::vector<unsigned> k4k30{95, 94, 93, 16, 31, 4, 19, 3, 18, 2, 17, 1};
const std::vector<unsigned> k4k24{93, 16, 31, 4, 19, 3, 18, 2, 17, 1};

const Stated kStated[] = {
    {2, k4k60, {}, 600, true, true, false, false, true, true},
    {3, k4k60, {}, 600, true, true, false, false, true, false},
    {4, k4k60, {}, 600, true, true, false, false, false, true},
    {5, k4k60, {}, 600, true, true, false, false, false, false},
    {6, k4k50, {}, 600, true, true, false, false, true, true},
    {7, k4k50, {}, 600, true, true, false, false, true, false},
    {8, k4k30, {97, 96}, 450, true, true, true, true, true, true},
    {9, k4k30, {97, 96}, 450, true, true, true, true, true, false},
    {10, k4k30, {97, 96}, 450, true, true, true, true, false, true},
    {11, k4k30, {97, 96}, 450, true, true, true, true, false, false},
    {12, k4k30, {97, 96}, 300, true, true, false, false, false, true},
    {13, k4k30, {97, 96}, 300, true, true, false, false, false, false},
    {14, k4k30, {}, 300, true, true, false, false, false, true},
    {15, k4k30, {}, 300, true, true, false, false, false, false},
    {16, k4k30, {}, 300, false, false, false, false, false, true},
    {17, k4k30, {}, 300, false, false, false, false, false, false},
    {18, k4k24, {}, 300, false, true, false, false, false, true},
    {19, k4k24, {}, 300, false, true, false, false, false, false},
    {20, k1080, {}, 165, true, true, false, false, false, true},
    {21, k1080, {}, 165, true, true, false, false, true, false},
    {22, {32, 4, 19, 3, 18, 2, 17, 1}, {}, 165, true, true, false, false, false, true},
    {23, {32, 4, 19, 3, 18, 2, 17, 1}, {}, 165, true, true, false, false, false, false},
    {24, {5, 20, 4, 19, 3, 18, 2, 17, 1}, {}, 165, true, true, false, false, false, true},
    {25, {5, 20, 4, 19, 3, 18, 2, 17, 1}, {}, 165, true, true, false, false, false, false},
};

SinkFacts factsOf(const Stated &p)
{
    SinkFacts s;
    s.cta = s.hdmi = true;
    s.hdmiForum = p.limitMHz > 340;
    s.scdc = s.hdmiForum;
    s.product = "preset " + std::to_string(p.number);
    s.limitMHz = p.limitMHz;
    s.limitFrom = s.hdmiForum ? "HDMI Forum block" : "HDMI block";
    s.ycbcr444 = p.ycbcr444;
    s.ycbcr422 = p.ycbcr422;
    s.dc30 = s.dc36 = s.dcY444 = p.deep;
    s.dc30_420 = s.dc36_420 = p.deep420;
    if (p.hdr)
        s.eotfs = 0x01 | 0x04 | 0x08;
    s.hdrBlock = p.hdr;
    for (unsigned v : p.only420)
        s.vics.push_back({v, true, false});
    for (unsigned v : p.vics)
        s.vics.push_back({v, false, false});
    s.audio.push_back({1, 0, 2, false, {}});
    if (p.allSound) {
        s.audio = {{1, 0, 8, false, {}}, {2, 0, 6, false, {}},  {7, 0, 6, false, {}},
                   {10, 0, 8, false, {}}, {11, 0, 8, false, {}}, {12, 0, 8, false, {}}};
    }
    for (AudioFormat &a : s.audio)
        a.name = audioName(a);
    return s;
}

} // namespace

const std::vector<Preset> &presets()
{
    static const std::vector<Preset> all = [] {
        std::vector<Preset> v;
        const auto &names = config::edidPresetList();
        for (const Stated &p : kStated)
            v.push_back({p.number, p.number - 1 < names.size() ? names[p.number - 1] : "", factsOf(p)});
        return v;
    }();
    return all;
}

} // namespace vantrel::chain
