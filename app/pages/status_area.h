// SPDX-License-Identifier: GPL-3.0-or-later
// The status area: four reads, the decoder, then the labels in order.
#pragma once

#include "page_context.h"

class StatusArea {
public:
    explicit StatusArea(const PageContext &context) : c_(context) {}

    void RefreshStatus();

private:
    PageContext c_;
};
