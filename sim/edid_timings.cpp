// SPDX-License-Identifier: GPL-3.0-or-later
#include "edid_timings.h"

namespace vantrel::sim {

namespace {

// Listed best first; vicRank is the position in this list.
const VicTiming kTimings[] = {
    {97, 594000, 3840, 560, 176, 88, 2160, 90, 8, 10, false, true, 60},
    {96, 594000, 3840, 1440, 1056, 88, 2160, 90, 8, 10, false, true, 50},
    {95, 297000, 3840, 560, 176, 88, 2160, 90, 8, 10, false, true, 30},
    {94, 297000, 3840, 1440, 1056, 88, 2160, 90, 8, 10, false, true, 25},
    {98, 297000, 4096, 1404, 1020, 88, 2160, 90, 8, 10, false, true, 24},
    {93, 297000, 3840, 1660, 1276, 88, 2160, 90, 8, 10, false, true, 24},
    {16, 148500, 1920, 280, 88, 44, 1080, 45, 4, 5, false, true, 60},
    {31, 148500, 1920, 720, 528, 44, 1080, 45, 4, 5, false, true, 50},
    {34, 74250, 1920, 280, 88, 44, 1080, 45, 4, 5, false, true, 30},
    {33, 74250, 1920, 720, 528, 44, 1080, 45, 4, 5, false, true, 25},
    {32, 74250, 1920, 830, 638, 44, 1080, 45, 4, 5, false, true, 24},
    {5, 74250, 1920, 280, 88, 44, 540, 22, 2, 5, true, true, 60},
    {20, 74250, 1920, 720, 528, 44, 540, 22, 2, 5, true, true, 50},
    {4, 74250, 1280, 370, 110, 40, 720, 30, 5, 5, false, true, 60},
    {19, 74250, 1280, 700, 440, 40, 720, 30, 5, 5, false, true, 50},
    {3, 27000, 720, 138, 16, 62, 480, 45, 9, 6, false, false, 60},
    {2, 27000, 720, 138, 16, 62, 480, 45, 9, 6, false, false, 60},
    {18, 27000, 720, 144, 12, 64, 576, 49, 5, 5, false, false, 50},
    {17, 27000, 720, 144, 12, 64, 576, 49, 5, 5, false, false, 50},
    {1, 25175, 640, 160, 16, 96, 480, 45, 10, 2, false, false, 60},
};

} // namespace

const VicTiming *vicTiming(uint8_t vic)
{
    for (const VicTiming &t : kTimings)
        if (t.vic == vic)
            return &t;
    return nullptr;
}

int vicRank(uint8_t vic)
{
    int i = 0;
    for (const VicTiming &t : kTimings) {
        if (t.vic == vic)
            return i;
        ++i;
    }
    return i;
}

} // namespace vantrel::sim
