// SPDX-License-Identifier: GPL-3.0-or-later
// The whole profile checked up front, so an apply never stops half-way on
// something the file itself got wrong.
#include "profile.h"

#include "hex_text.h"
#include "setting_values.h"
#include "settings_table.h"

namespace vantrel::profile {

std::vector<std::string> profileProblems(const Profile &p)
{
    std::vector<std::string> problems;
    for (const auto &[name, value] : p.settings) {
        const config::Setting *s = config::findSetting(name);
        if (!s)
            continue; // kept aside as unknown on reading
        const config::ParsedValue parsed = config::parseSettingValue(*s, value);
        if (!parsed.ok)
            problems.push_back("settings." + name + ": " + parsed.error);
    }
    if (p.customEdid)
        if (const std::string problem = customTableProblem(*p.customEdid); !problem.empty())
            problems.push_back("edid.custom: " + problem);
    const struct {
        const char *where;
        const std::optional<std::string> &text;
        hex::FrameKind kind;
    } frames[] = {{"infoframes.hdr", p.hdrInfoframe, hex::FrameKind::Hdr},
                  {"infoframes.avi", p.aviInfoframe, hex::FrameKind::Avi},
                  {"cec.sp", p.cecSp, hex::FrameKind::Cec},
                  {"cec.lp", p.cecLp, hex::FrameKind::Cec}};
    for (const auto &f : frames)
        if (f.text)
            if (const std::string problem = hex::frameTextProblem(f.kind, *f.text); !problem.empty())
                problems.push_back(std::string(f.where) + ": " + problem);
    return problems;
}

} // namespace vantrel::profile
