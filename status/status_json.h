// SPDX-License-Identifier: GPL-3.0-or-later
// The status as one JSON object: the window's texts as they are, and the
// facts behind them, null where the box says nothing.
#pragma once

#include "json_support.h"
#include "status_decoder.h"
#include "status_facts.h"

namespace vantrel::status {

report::Json statusJson(const StatusTexts &texts, const StatusFacts &facts);

} // namespace vantrel::status
