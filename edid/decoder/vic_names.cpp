#include "vic_names.h"

#include "timing_table.h"

namespace vantrel::edid {

// The table is the box's own naming, which differs from the standard for a
// few codes on purpose; the reports follow the box.
std::string vicName(unsigned vic)
{
    if (vic == 0 || vic > status::kLastTimingCode)
        return std::string();
    return status::timingLongName(vic);
}

} // namespace vantrel::edid
