// SPDX-License-Identifier: GPL-3.0-or-later
// One simulated box: its settings block, EDID store and transfer buffer, CEC
// and infoframe stores, and the answer it gives to each request frame.
#pragma once

#include "sim_config.h"
#include "sim_edid.h"
#include "sim_status.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::sim {

constexpr int kBlockSize = 40;
using Block = std::array<uint8_t, kBlockSize>;

// Status byte bits besides bit 0 (busy).
constexpr uint8_t kStatusBusy = 0x01;
constexpr uint8_t kStatusRefused = 0x02; // value out of range, not permitted, frame too short
constexpr uint8_t kStatusUnknown = 0x80; // sub-code or item the box does not know

struct CecMessage {
    std::vector<uint8_t> bytes; // header block, opcode, operands, as on the bus
    bool sent = true;           // false: CEC processing was off, nothing went out
};

Block factoryBlock(const SimConfig &config);

class BoxModel {
public:
    BoxModel(const SimConfig &config, std::string serial, std::string statePath);

    // Answers one request frame at time `now` (ms). An empty reply means the
    // box ignores the frame (fewer than 3 bytes, or an unknown direction).
    std::vector<uint8_t> handle(const uint8_t *request, size_t length, uint32_t now);

    const std::string &serial() const { return serial_; }
    const Block &block() const { return block_; }
    void setBlock(const Block &b) { block_ = b; }
    bool busy(uint32_t now) const { return static_cast<int32_t>(busyUntil_ - now) > 0; }
    void setBusy(uint32_t now, uint32_t ms);

    // Messages activated so far, oldest first; with a state file the last
    // ones survive a restart too.
    const std::vector<CecMessage> &cecLog() const { return cecLog_; }
    // slot 1 = SP (E3), 2 = LP (E4): the text as stored, "CEC ..." and its CR.
    std::string storedCommand(int slot) const { return slot == 1 ? sp_ : lp_; }
    const std::vector<uint8_t> &storedHdr() const { return hdr_; } // 31 bytes
    const std::vector<uint8_t> &storedAvi() const { return avi_; } // 13 bytes

    const EdidTable &transferBuffer() const { return transfer_; }
    const EdidTable &customTable() const { return custom_; }
    bool customUploaded() const { return customUploaded_; }
    // The table the box presents to its source now (mode, preset, options).
    EdidTable presentedTable() const;
    // The display's own table; null when no display is attached there.
    const EdidTable *displayTable(bool txB) const;
    MixOptions mixOptions() const;

    const Signal &signal() const { return signal_; }
    void setSignal(const Signal &s) { signal_ = s; }
    // Byte 5 of the video record: which transmitters carry the signal.
    uint8_t activeOutputs() const;

private:
    std::vector<uint8_t> ask(uint8_t code, uint8_t length, const uint8_t *operands, size_t count, uint8_t status);
    uint8_t send(uint8_t code, const uint8_t *operands, size_t count, uint32_t now);
    std::vector<uint8_t> item(uint8_t number);
    void followSignalFile();
    uint8_t writeRegister(uint8_t reg, uint8_t value, uint32_t now);
    void factoryReset(bool edid, bool settings, uint32_t now);
    uint8_t activate(uint8_t operand);
    void load();
    void save() const;

    SimConfig config_;
    std::string serial_;
    std::string statePath_;
    Block block_{};
    uint32_t busyUntil_ = 0;

    EdidTable topTable_{}, bottomTable_{}, custom_{}, transfer_{};
    bool customUploaded_ = false;

    Signal signal_;
    std::string signalText_; // the signal file as last read
    std::vector<CecMessage> cecLog_;
    std::vector<uint8_t> pendingCec_, pendingHdr_, pendingAvi_;
    std::string sp_, lp_;
    std::vector<uint8_t> hdr_, avi_;
};

} // namespace vantrel::sim
