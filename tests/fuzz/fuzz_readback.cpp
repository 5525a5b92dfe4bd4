// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: any block reply (any length) through the readback verdict
// and the control updates, plus the value words vantrelctl takes and shows
// for each setting.
#include "form_binding.h"
#include "fuzz_check.h"
#include "readback.h"
#include "setting_values.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace vantrel::config;
using vantrel::fuzz::printable;
using vantrel::fuzz::require;

namespace {

void checkVerdict(const uint8_t *reply, size_t length, bool blockRead, bool statusRead)
{
    const ReadbackVerdict v = readbackVerdict(reply, length, blockRead, statusRead);
    const bool busy = length > 1 && (reply[1] & kBusyBit);
    require((v == ReadbackVerdict::Busy) == busy, "busy verdict without the busy bit, or the other way round");
    if (v == ReadbackVerdict::Accept)
        require(blockRead && statusRead && length >= kBlockReplyLength && reply[0] == kBlockEcho,
                "a reply taken that is not a whole block echo");
}

// One position's updates: known objects, values in range, and a radio group
// showing at most one button, the one its value names.
void checkUpdates(const Setting &s, uint8_t value)
{
    std::vector<ControlUpdate> out;
    appendUpdates(s, value, out);
    int checked = 0;
    for (const ControlUpdate &u : out) {
        require(!u.object.empty(), "an update without a widget");
        if (u.kind == ControlUpdate::Index) {
            require(s.kind == Kind::Selector, "an index update for a setting without a list");
            const int size = int(s.list->size());
            require(u.value >= -1 && u.value < size, "a list index outside the list");
            require(u.value == -1 || u.value + s.listBase == value, "a list index for another value");
        } else {
            require(u.value == 0 || u.value == 1, "a check or enable update that is neither 0 nor 1");
        }
        if (u.kind == ControlUpdate::Checked && u.value == 1)
            ++checked;
    }
    switch (s.kind) {
    case Kind::BoolPair:
        require(checked == 1, "a pair that does not show exactly one button");
        break;
    case Kind::RadioValues:
    case Kind::EdidMode:
        require(checked == (s.optionFor(value) ? 1 : 0), "a radio group showing the wrong number of buttons");
        break;
    default:
        break;
    }
}

// vantrelctl prints a value in words that can be typed back, and takes any
// text without harm.
void checkWords(const Setting &s, uint8_t value, std::string_view typed)
{
    const std::string shown = describeValue(s, value);
    require(!shown.empty() && printable(shown), "a value shown as an empty or unprintable text");
    if (s.writable() && parseSettingValue(s, std::to_string(value)).ok) {
        const ParsedValue back = parseSettingValue(s, shown);
        require(back.ok && back.value == value, "a value shown in words that do not type back");
    }
    const ParsedValue p = parseSettingValue(s, typed);
    require(p.ok != !p.error.empty(), "a typed value neither taken nor refused with a reason");
    if (p.ok)
        require(parseSettingValue(s, std::to_string(p.value)).ok, "a typed value taken that its number is not");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    // First byte: the two read results; then the reply area; past the block
    // reply, a value text as typed on the command line.
    const bool blockRead = data[0] & 1, statusRead = data[0] & 2;
    const uint8_t *reply = data + 1;
    const size_t length = size - 1;
    checkVerdict(reply, length, blockRead, statusRead);
    checkVerdict(nullptr, 0, blockRead, statusRead);

    uint8_t settings[kBlockSize] = {};
    for (size_t i = 0; i < size_t(kBlockSize) && 2 + i < length; ++i)
        settings[i] = reply[2 + i];
    const std::vector<ControlUpdate> all = readbackUpdates(settings);
    require(all == readbackUpdates(settings), "the same block gave different updates");

    const std::string_view typed =
        length > kBlockReplyLength
            ? std::string_view(reinterpret_cast<const char *>(reply + kBlockReplyLength), length - kBlockReplyLength)
            : std::string_view();
    for (const Setting &s : settingsTable()) {
        checkUpdates(s, settings[s.position]);
        checkWords(s, settings[s.position], typed);
    }
    return 0;
}
