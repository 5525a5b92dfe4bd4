// SPDX-License-Identifier: GPL-3.0-or-later
// The planner's answers as lines of text and as JSON documents, the same
// words for the tool and the window. Plain C++, no Qt.
#pragma once

#include "chain_plan.h"
#include "json_support.h"

#include <string>
#include <vector>

namespace vantrel::chain {

using report::Json;

// One line of what a link carries: "up to 600 MHz (HDMI Forum block), SCDC,
// HDR PQ/HLG, Dolby Vision, audio LPCM 7.1, ...".
std::string linkLimitsText(const Chain &chain, LinkId link);
// "4:2:0 output off, AVR test mode off, HDCP 1.4 (factory)"
std::string settingsText(const BoxSettings &s);

std::vector<std::string> checkText(const Chain &chain, const ModeCheck &check, const std::vector<Fix> &fixes);
Json checkJson(const ModeCheck &check, const std::vector<Fix> &fixes);

std::vector<std::string> planText(const Chain &chain, const Plan &plan);
Json planJson(const Chain &chain, const Plan &plan);

Json fixJson(const Fix &f);
Json modeJson(const Mode &m);

} // namespace vantrel::chain
