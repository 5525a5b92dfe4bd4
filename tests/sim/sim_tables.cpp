// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim_tables.h"

#include <QRandomGenerator>

using namespace vantrel;
using sim::EdidTable;

std::vector<std::pair<QString, EdidTable>> everySimulatedTable()
{
    std::vector<std::pair<QString, EdidTable>> tables;
    tables.push_back({"TX A", sim::buildEdid(sim::topDisplayCaps())});
    tables.push_back({"TX B", sim::buildEdid(sim::bottomDisplayCaps())});
    tables.push_back({"fixed", sim::fixedTable()});
    tables.push_back({"custom default", sim::defaultCustomTable()});
    for (int p = sim::kFirstPreset; p <= sim::kLastPreset; ++p)
        tables.push_back({QString("preset %1").arg(p), sim::presetTable(p)});
    const EdidTable a = tables[0].second, b = tables[1].second;
    for (int algorithm = 0; algorithm < 4; ++algorithm) {
        for (int bits = 0; bits < 128; ++bits) {
            // Every option alone and in pairs, and all of them.
            if (__builtin_popcount(bits) > 2 && bits != 127)
                continue;
            sim::MixOptions o;
            o.algorithm = algorithm;
            o.stereoOnly = bits & 1;
            o.cap51 = bits & 2;
            o.no3d = bits & 4;
            o.hdr = bits & 8;
            o.fullAudio = bits & 16;
            o.bt2020 = bits & 32;
            o.ycbcr = bits & 64;
            tables.push_back({QString("automix %1 options %2").arg(algorithm).arg(bits), sim::automixTable(&a, &b, o)});
        }
        sim::MixOptions o;
        o.algorithm = algorithm;
        tables.push_back({QString("automix %1 TX A only").arg(algorithm), sim::automixTable(&a, nullptr, o)});
        tables.push_back({QString("automix %1 TX B only").arg(algorithm), sim::automixTable(nullptr, &b, o)});
    }
    tables.push_back({"automix no displays", sim::automixTable(nullptr, nullptr, sim::MixOptions{})});
    // Display files with damaged content still give a conforming mix.
    QRandomGenerator rng(7);
    for (int i = 0; i < 40; ++i) {
        EdidTable damaged = a;
        for (int k = 0; k < (i < 20 ? 8 : 256); ++k)
            damaged[rng.bounded(256)] = static_cast<uint8_t>(rng.bounded(256));
        sim::MixOptions o;
        o.algorithm = i % 4;
        tables.push_back({QString("automix %1 damaged TX A %2").arg(o.algorithm).arg(i), sim::automixTable(&damaged, &b, o)});
    }

    return tables;
}
