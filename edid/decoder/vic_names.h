// The name a video identification code carries in the box's timing table.
#pragma once

#include <string>

namespace vantrel::edid {

// "1920x1080p60" for the codes the table names (1 to 107); empty for the rest,
// which the reports show by number only.
std::string vicName(unsigned vic);

} // namespace vantrel::edid
