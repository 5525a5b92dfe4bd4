// SPDX-License-Identifier: GPL-3.0-or-later
// The status area: the one status read, then the labels in order.
#pragma once

#include "page_context.h"
#include "status_decoder.h"
#include "status_facts.h"

#include <functional>

class StatusArea {
public:
    explicit StatusArea(const PageContext &context) : c_(context) {}

    void RefreshStatus();

    // Told each time all four records were read.
    std::function<void(const vantrel::status::StatusTexts &, const vantrel::status::StatusFacts &)> read;

private:
    PageContext c_;
};
