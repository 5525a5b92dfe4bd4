// SPDX-License-Identifier: GPL-3.0-or-later
#include "readback.h"

#include <cstring>

namespace vantrel::config {

ReadbackVerdict readbackVerdict(const uint8_t *reply, std::size_t length, bool blockRead,
                                bool statusRead)
{
    auto at = [&](std::size_t i) -> uint8_t { return reply && i < length ? reply[i] : 0; };
    if (at(1) & kBusyBit)
        return ReadbackVerdict::Busy;
    if (!statusRead)
        return ReadbackVerdict::StatusReadFailed;
    if (!blockRead || at(0) != kBlockEcho || length < kBlockReplyLength)
        return ReadbackVerdict::NoEcho;
    return ReadbackVerdict::Accept;
}

ReadbackVerdict readSettingsBlock(BoxRequests &box, uint8_t settings[kBlockSize])
{
    uint8_t block[UsbLink::kMaxReply];
    uint8_t status[UsbLink::kMaxReply];
    const bool blockRead = box.ReadBlock(block, frame::kSettingsBlockLength);
    // A box found silent would only fail this too, and its message would hide why.
    const bool statusRead = !box.link().silent() && box.ReadRegister(6, status, 14);
    const ReadbackVerdict verdict = readbackVerdict(block, kBlockReplyLength, blockRead, statusRead);
    if (verdict == ReadbackVerdict::Accept)
        std::memcpy(settings, block + 2, kBlockSize);
    return verdict;
}

namespace {

void push(std::vector<ControlUpdate> &out, ControlUpdate::Kind kind, const char *object, int value)
{
    out.push_back({kind, object, value});
}

void appendChoice(const Setting &s, int value, std::vector<ControlUpdate> &out)
{
    const Option *chosen = s.optionFor(value);
    if (!chosen && value != s.neitherValue)
        return; // a value the group does not know leaves it as it is
    for (const char *button : s.readbackOrder) {
        const bool checked = chosen && std::string_view(chosen->object) == button;
        push(out, ControlUpdate::Checked, button, checked ? 1 : 0);
    }
    for (const char *widget : s.dependents)
        push(out, ControlUpdate::Enabled, widget, value == s.enabledAt ? 1 : 0);
}

} // namespace

void appendUpdates(const Setting &s, uint8_t value, std::vector<ControlUpdate> &out)
{
    switch (s.kind) {
    case Kind::Selector: {
        const int index = value - s.listBase;
        const int size = static_cast<int>(s.list->size());
        push(out, ControlUpdate::Index, s.objects[0], index >= 0 && index < size ? index : -1);
        break;
    }
    case Kind::CheckBox:
        push(out, ControlUpdate::Checked, s.objects[0], value == 1 ? 1 : 0);
        break;
    case Kind::BoolPair:
        push(out, ControlUpdate::Checked, s.readbackOrder[0], value == 1 ? 1 : 0);
        push(out, ControlUpdate::Checked, s.readbackOrder[1], value == 1 ? 0 : 1);
        break;
    case Kind::RadioValues:
    case Kind::EdidMode:
        appendChoice(s, value, out);
        break;
    case Kind::EnableFlag:
        for (const char *widget : s.objects)
            push(out, ControlUpdate::Enabled, widget, value == 1 ? 1 : 0);
        break;
    case Kind::Unused:
        break;
    }
}

std::vector<ControlUpdate> readbackUpdates(const uint8_t settings[kBlockSize])
{
    std::vector<ControlUpdate> out;
    for (int position : readbackOrder())
        appendUpdates(settingAt(position), settings[position], out);
    return out;
}

} // namespace vantrel::config
