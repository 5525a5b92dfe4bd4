// SPDX-License-Identifier: GPL-3.0-or-later
// How the simulated box is set up: parsed from VANTREL_SIM (compact
// "key=value;key=value" text, or the path of a file with one key=value per
// line) or from the same text handed over by a test.
#pragma once

#include "edid_caps.h"
#include "fault_plan.h"
#include "sim_status.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::sim {

struct SimConfig {
    std::vector<std::string> serials{"2023"};
    std::string product = "VANTREL HDMI Processor";
    std::array<uint8_t, 4> firmware{1, 7, 3, 0};
    std::string statePath; // empty: nothing kept across restarts
    std::string wireLogPath; // every request frame appended as a hex line
    // A file of signal keys, read again before each status read when it
    // changed: the source changes while a program watches.
    std::string signalFile;

    std::map<int, uint8_t> factory; // settings positions overriding the defaults

    // Display tables: unset = the built-in television; present false = no display.
    std::optional<EdidTable> topEdid, bottomEdid, customDefault;
    bool topPresent = true, bottomPresent = true;

    Signal signal = defaultSignal();
    std::optional<std::vector<uint8_t>> storedHdr, storedAvi; // factory infoframes

    uint32_t busyFetchMs = 150;
    uint32_t busyStoreMs = 400;
    uint32_t busyEdidMs = 1200;
    uint32_t latencyMs = 0;
    std::vector<FaultRule> faults;

    // One line per key or value that was not understood.
    std::vector<std::string> errors;
};

// text: the compact form, a file path, or empty for the defaults.
SimConfig parseConfig(const std::string &text);

// The most any file the box reads as text may hold (configuration, signal
// keys, state): far more than any real one, and an endless file is not read on.
constexpr size_t kMaxKeyFileBytes = 64 * 1024;

// Reads the whole of path into text, at most limit bytes; false with error
// ("PATH: why") when it cannot be read or holds more.
bool readBoundedFile(const std::string &path, size_t limit, std::string &text, std::string &error);

// "VANTREL_SIM: text" on standard error, each distinct text once a run.
void reportSimProblem(const std::string &text);

// Colon or plain hex ("87:01:1a" or "87011a"); false on anything else.
bool parseHexBytes(const std::string &text, std::vector<uint8_t> &out);

} // namespace vantrel::sim
