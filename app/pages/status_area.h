// SPDX-License-Identifier: GPL-3.0-or-later
// The status area: the one status read, then the labels in order.
#pragma once

#include "page_context.h"
#include "status_decoder.h"
#include "status_facts.h"

#include <QLabel>
#include <QStringList>

#include <functional>

class StatusArea {
public:
    explicit StatusArea(const PageContext &context);

    void RefreshStatus();
    // No box: the lines show what they showed at start, not the last signal.
    void clear();

    // Told each time all four records were read.
    std::function<void(const vantrel::status::StatusTexts &, const vantrel::status::StatusFacts &)> read;

private:
    QList<QLabel *> lines() const;

    PageContext c_;
    QStringList initial_;
};
