// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: any bytes as the chain's tables (the box's, TX A's and
// TX B's: a length byte in 128-byte blocks, then the table) and the box's
// settings block. The plan is made whatever they hold; every fix it offers
// that edits a table comes with the edited table.
#include "chain_plan.h"
#include "fuzz_check.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

using namespace vantrel::chain;
using vantrel::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Chain chain;
    size_t at = 0;
    for (std::optional<Table> *slot : {&chain.box, &chain.top, &chain.bottom}) {
        if (at >= size)
            break;
        const size_t length = std::min<size_t>(size_t(data[at] % 5) * 128, size - at - 1);
        ++at;
        *slot = tableOf("fuzz", std::vector<uint8_t>(data + at, data + at + length));
        at += length;
    }
    if (size - at >= 40)
        chain.settings = settingsFromBlock(data + at, 40);

    const Plan plan = makePlan(chain);
    for (const Row &r : plan.rows)
        require(std::isfinite(r.rateMHz) && r.rateMHz >= 0, "a row's TMDS rate is not a rate");
    for (const Loss &l : plan.losses)
        for (const Fix &f : l.fixes)
            require(f.kind != FixKind::EdidEdit || !f.result.empty(), "a table edit offered without its table");
    return 0;
}
