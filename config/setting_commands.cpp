// SPDX-License-Identifier: GPL-3.0-or-later
#include "setting_commands.h"

namespace vantrel::config {

namespace {

std::optional<RegisterWrite> write(const Setting &s, int value)
{
    return RegisterWrite{static_cast<uint8_t>(s.reg), static_cast<uint8_t>(value),
                         s.imagePosition};
}

} // namespace

std::optional<RegisterWrite> commandWrite(const Setting &s, const IsChecked &isChecked)
{
    if (!s.writable())
        return std::nullopt;
    switch (s.kind) {
    case Kind::CheckBox:
        return write(s, isChecked(s.objects[0]) ? 1 : 0);
    case Kind::BoolPair:
    case Kind::RadioValues:
    case Kind::EdidMode:
        for (const Option &o : s.options)
            if (isChecked(o.object))
                return write(s, o.value);
        if (s.fallbackValue == kNone)
            return std::nullopt;
        return write(s, s.fallbackValue);
    case Kind::Selector:
    case Kind::EnableFlag:
    case Kind::Unused:
        break;
    }
    return std::nullopt;
}

std::optional<RegisterWrite> selectorWrite(const Setting &s, int index)
{
    if (s.kind != Kind::Selector || !s.writable())
        return std::nullopt;
    if (index < 0 || index >= static_cast<int>(s.list->size()))
        return std::nullopt;
    return write(s, index + s.listBase);
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
