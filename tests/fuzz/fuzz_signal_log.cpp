// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: any bytes as a signal log file and as an MQTT command.
// A line read back is written out and read again to the same change; a
// command taken has a known topic and a bounded, trimmed value.
#include "control_command.h"
#include "fuzz_check.h"
#include "setting_values.h"
#include "signal_log_reader.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace vantrel::service;
using vantrel::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);

    LogRead read;
    readLogText(text, {}, read);
    for (const Change &c : read.changes) {
        const std::optional<Change> again = parseLogLine(vantrel::report::compactText(changeJson(c)));
        require(again && again->time == c.time && again->field == c.field && again->oldValue == c.oldValue &&
                    again->newValue == c.newValue,
                "a change does not read back as written");
    }
    require(parseSince(text, 0).has_value() || !parseTime(text).has_value(), "a time --since refuses");

    // First line: the topic; the rest: the payload.
    const size_t newline = text.find('\n');
    const std::string topic = text.substr(0, newline);
    const std::string payload = newline == std::string::npos ? std::string() : text.substr(newline + 1);
    const ControlCommand c = parseControl(topic, payload, "2023");
    if (c.kind == ControlCommand::Kind::Invalid) {
        require(!c.error.empty(), "a refused command without a reason");
        return 0;
    }
    require(!c.value.empty() && c.value.size() <= kMaxCommandPayload, "a command value out of bounds");
    require(c.value.front() != ' ' && c.value.back() != ' ', "a command value not trimmed");
    if (c.kind == ControlCommand::Kind::Set)
        if (const vantrel::config::Setting *s = vantrel::config::findSetting(c.name))
            (void)vantrel::config::parseSettingValue(*s, c.value);
    return 0;
}
