// SPDX-License-Identifier: GPL-3.0-or-later
#include "setting_commands.h"

#include "setting_values.h"

namespace vantrel::config {

std::optional<RegisterWrite> writeFor(const Setting &s, int value)
{
    if (!s.writable())
        return std::nullopt;
    bool known = false;
    switch (s.kind) {
    case Kind::Selector:
        known = value >= s.listBase && value < s.listBase + static_cast<int>(s.list->size());
        break;
    case Kind::CheckBox:
        known = value == 0 || value == 1;
        break;
    case Kind::BoolPair:
    case Kind::RadioValues:
    case Kind::EdidMode:
        known = s.optionFor(value) != nullptr;
        break;
    case Kind::EnableFlag:
    case Kind::Unused:
        break;
    }
    if (!known)
        return std::nullopt;
    return RegisterWrite{static_cast<uint8_t>(s.reg), static_cast<uint8_t>(value), s.imagePosition};
}

std::optional<RegisterWrite> selectorWrite(const Setting &s, int index)
{
    if (s.kind != Kind::Selector || index < 0)
        return std::nullopt;
    return writeFor(s, index + s.listBase);
}

std::optional<std::string> lockReason(const Setting &s, const uint8_t block[kBlockSize])
{
    if (s.gate != kNone && block[s.gate] != 1)
        return std::string("the box does not allow it (\"") + settingAt(s.gate).caption + "\" is no)";
    if (s.onlyWhile != kNone && block[s.onlyWhile] != s.onlyWhileValue) {
        const Setting &other = settingAt(s.onlyWhile);
        return std::string("it applies only while ") + other.cliName + " is " +
               describeValue(other, static_cast<uint8_t>(s.onlyWhileValue));
    }
    return std::nullopt;
}

std::optional<uint8_t> factoryResetValue(bool clearSettings, bool clearEdid)
{
    if (clearSettings && clearEdid)
        return 3;
    if (clearSettings)
        return 2;
    if (clearEdid)
        return 1;
    return std::nullopt;
}

} // namespace vantrel::config
