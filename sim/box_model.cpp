// SPDX-License-Identifier: GPL-3.0-or-later
#include "box_model.h"

#include "box_state.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace vantrel::sim {

namespace {

// Settings registers: where each lands in the block, the values it takes,
// the block position that must be 1 for it to be changed, and whether it
// makes the box rebuild its EDID.
struct Register {
    uint8_t reg;
    int pos;
    uint8_t lo, hi;
    int permission;
    bool edid;
};

const Register kRegisters[] = {
    {0, 0, 1, 4, -1, false},   {1, 6, 0, 1, -1, false},   {2, 1, 1, 3, 11, false},  {3, 3, 1, 3, 10, false},
    {4, 4, 0, 1, -1, false},   {5, 2, 1, 3, 9, true},     {8, 13, 0, 1, -1, false}, {9, 14, 0, 1, -1, false},
    {10, 15, 0, 1, -1, false}, {11, 16, 0, 1, -1, false}, {12, 17, 0, 1, -1, false}, {13, 18, 0, 1, -1, false},
    {14, 19, 1, 25, -1, true}, {16, 21, 0, 1, -1, false}, {17, 22, 0, 1, -1, false}, {19, 24, 0, 1, -1, false},
    {22, 26, 0, 1, -1, false}, {23, 27, 0, 1, -1, false}, {24, 28, 0, 1, -1, false}, {26, 29, 0, 1, -1, false},
    {27, 5, 0, 1, -1, false},  {28, 30, 0, 1, -1, false}, {29, 31, 0, 1, -1, false}, {32, 32, 0, 3, -1, false},
    {33, 33, 0, 1, -1, false},
};

constexpr uint8_t kFactoryReset = 25;

// Block positions that belong to the EDID side of a factory reset.
bool edidPosition(int pos)
{
    return pos == 2 || (pos >= 13 && pos <= 17) || pos == 19 || pos == 28 || pos == 29 || pos == 32;
}

// The box's own permission flags: a block write leaves them alone.
bool firmwarePosition(int pos) { return pos >= 9 && pos <= 11; }

std::vector<uint8_t> defaultHdr()
{
    // Type 0x87, version 1, length 26, checksum, HDR10 payload on P3 primaries.
    std::vector<uint8_t> f{0x87, 0x01, 0x1A, 0x00, 0x02, 0x00};
    for (uint16_t v : {13250, 34500, 7500, 3000, 34000, 16000, 15635, 16450, 1000, 50, 1000, 400}) {
        f.push_back(v & 0xFF);
        f.push_back(v >> 8);
    }
    uint8_t sum = 0;
    for (uint8_t b : f)
        sum = static_cast<uint8_t>(sum + b);
    f[3] = static_cast<uint8_t>(0x100 - sum);
    f.resize(31, 0);
    return f;
}

std::vector<uint8_t> defaultAvi()
{
    // YCbCr 4:2:0, extended colorimetry BT.2020, 3840x2160p60.
    std::vector<uint8_t> a{0x60, 0xC8, 0x60, 0x61, 0x00};
    a.resize(13, 0);
    return a;
}

std::vector<uint8_t> sized(const std::vector<uint8_t> &v, size_t n)
{
    std::vector<uint8_t> out(v.begin(), v.begin() + static_cast<long>(std::min(v.size(), n)));
    out.resize(n, 0);
    return out;
}

} // namespace

Block factoryBlock(const SimConfig &config)
{
    Block b{};
    b[0] = 1;  // PORT A [TOP]
    b[1] = 1;  // HDMI audio
    b[2] = 1;  // automix
    b[3] = 2;  // HDCP 1.4
    b[5] = 1;  // CEC on
    b[9] = b[10] = b[11] = 1; // EDID mode, HDCP and audio may be changed
    b[19] = 1; // custom/default preset
    b[26] = 1; // green LED
    b[27] = 1; // blue LEDs
    b[32] = 1; // max audio, min video
    for (const auto &[pos, value] : config.factory)
        b[pos] = value;
    return b;
}

BoxModel::BoxModel(const SimConfig &config, std::string serial, std::string statePath)
    : config_(config), serial_(std::move(serial)), statePath_(std::move(statePath))
{
    block_ = factoryBlock(config_);
    topTable_ = config_.topEdid ? *config_.topEdid : buildEdid(topDisplayCaps());
    bottomTable_ = config_.bottomEdid ? *config_.bottomEdid : buildEdid(bottomDisplayCaps());
    custom_ = config_.customDefault ? *config_.customDefault : defaultCustomTable();
    signal_ = config_.signal;
    sp_ = "CEC 40:04\r";
    lp_ = "CEC 40:36\r";
    hdr_ = sized(config_.storedHdr ? *config_.storedHdr : defaultHdr(), 31);
    avi_ = sized(config_.storedAvi ? *config_.storedAvi : defaultAvi(), 13);
    load();
}

void BoxModel::setBusy(uint32_t now, uint32_t ms)
{
    uint32_t until = now + ms;
    if (!busy(now) || static_cast<int32_t>(until - busyUntil_) > 0)
        busyUntil_ = until;
}

std::vector<uint8_t> BoxModel::handle(const uint8_t *request, size_t length, uint32_t now)
{
    if (length < 3)
        return {};
    const uint8_t direction = request[0], lengthByte = request[1], code = request[2];
    const uint8_t *operands = request + 3;
    const size_t count = length - 3;
    if (direction == 0x11) {
        uint8_t status = busy(now) ? kStatusBusy : 0;
        return ask(code, lengthByte, operands, count, status);
    }
    if (direction != 0x10)
        return {};
    uint8_t flags = send(code, operands, count, now);
    return {code, static_cast<uint8_t>(flags | (busy(now) ? kStatusBusy : 0))};
}

std::vector<uint8_t> BoxModel::ask(uint8_t code, uint8_t length, const uint8_t *operands, size_t count, uint8_t status)
{
    const size_t n = std::clamp<size_t>(length, 2, 64);
    if (code == 0xB0) {
        // EDID chunk read: raw bytes of the transfer buffer, no echo.
        size_t off = count >= 1 ? operands[0] : 0;
        std::vector<uint8_t> raw(std::clamp<size_t>(length, 1, 64), 0);
        for (size_t i = 0; i < raw.size() && off + i < transfer_.size(); ++i)
            raw[i] = transfer_[off + i];
        return raw;
    }
    std::vector<uint8_t> reply(64, 0);
    if (code == 0xE1) {
        std::copy(block_.begin(), block_.end(), reply.begin() + 2);
    } else if (code == 0xE0 && count >= 1) {
        reply = item(operands[0]);
        if (reply.empty()) {
            reply.assign(64, 0);
            status |= kStatusUnknown;
        }
    } else {
        status |= code == 0xE0 ? kStatusRefused : kStatusUnknown;
    }
    reply[0] = code;
    reply[1] = status;
    reply.resize(n);
    return reply;
}

void BoxModel::followSignalFile()
{
    if (config_.signalFile.empty())
        return;
    std::string text, error;
    if (!readBoundedFile(config_.signalFile, kMaxKeyFileBytes, text, error)) {
        reportSimProblem("signal_file " + error + "; the signal stays as it was");
        return;
    }
    if (text == signalText_)
        return;
    signalText_ = text;
    // The keys describe the whole signal, starting from the default one.
    signal_ = parseConfig(signalText_ + "\n").signal;
}

std::vector<uint8_t> BoxModel::item(uint8_t number)
{
    if (number == 6 || number == 21 || number == 30 || number == 31)
        followSignalFile();
    std::vector<uint8_t> r;
    switch (number) {
    case 6: return videoRecord(signal_, activeOutputs());
    case 21: return sourceRecord(signal_);
    case 30: return hdrRecord(signal_, block_[22] == 1 ? &hdr_ : nullptr);
    case 31: return aviRecord(signal_);
    case 7:
        r.assign(64, 0);
        std::copy(config_.firmware.begin(), config_.firmware.end(), r.begin() + 2);
        return r;
    case 35:
        r.assign(64, 0);
        std::copy(hdr_.begin(), hdr_.end(), r.begin() + 2);
        return r;
    case 36:
        r.assign(64, 0);
        std::copy(avi_.begin(), avi_.end(), r.begin() + 2);
        return r;
    }
    return r;
}

uint8_t BoxModel::activeOutputs() const
{
    if (!signal_.connected)
        return 0;
    uint8_t out = 0;
    switch (block_[0]) {
    case 1: out = 0x20; break;
    case 2: out = 0x40; break;
    case 3:
    case 4: out = 0x60; break;
    }
    if (!config_.topPresent)
        out &= static_cast<uint8_t>(~0x20);
    if (!config_.bottomPresent)
        out &= static_cast<uint8_t>(~0x40);
    return out;
}

uint8_t BoxModel::send(uint8_t code, const uint8_t *op, size_t count, uint32_t now)
{
    switch (code) {
    case 0xE0:
        return count >= 2 ? writeRegister(op[0], op[1], now) : kStatusRefused;
    case 0xE2: {
        if (count < kBlockSize)
            return kStatusRefused;
        Block before = block_;
        for (int i = 0; i < kBlockSize; ++i)
            if (!firmwarePosition(i))
                block_[i] = op[i];
        if (before[2] != block_[2] || before[19] != block_[19])
            setBusy(now, config_.busyEdidMs);
        save();
        return 0;
    }
    case 0xB0: {
        if (count < 1)
            return kStatusRefused;
        size_t off = op[0];
        for (size_t i = 0; i + 1 < count && i < 8 && off + i < transfer_.size(); ++i)
            transfer_[off + i] = op[1 + i];
        return 0;
    }
    case 0xB1:
        custom_ = transfer_;
        customUploaded_ = true;
        setBusy(now, config_.busyStoreMs);
        save();
        return 0;
    case 0xB4:
    case 0xB5:
    case 0xB6: {
        if (code == 0xB4) {
            transfer_ = presentedTable();
        } else {
            const EdidTable *t = displayTable(code == 0xB6);
            transfer_ = t ? *t : EdidTable{};
        }
        setBusy(now, config_.busyFetchMs);
        return 0;
    }
    case 0xB2:
        pendingCec_.assign(op, op + count);
        return 0;
    case 0xB3:
        return count >= 1 ? activate(op[0]) : kStatusRefused;
    case 0xE3:
    case 0xE4:
        (code == 0xE3 ? sp_ : lp_) = std::string(op, op + count);
        save();
        return 0;
    case 0xE5:
        pendingHdr_.assign(op, op + std::min<size_t>(count, 31));
        return count > 31 ? kStatusRefused : 0;
    case 0xE6:
        pendingAvi_.assign(op, op + std::min<size_t>(count, 13));
        return count > 13 ? kStatusRefused : 0;
    }
    return kStatusUnknown;
}

uint8_t BoxModel::activate(uint8_t operand)
{
    switch (operand) {
    case 0x10: {
        if (pendingCec_.size() < 2)
            return kStatusRefused;
        // Loaded as header, count of the bytes after it, opcode and operands.
        CecMessage m;
        m.bytes.push_back(pendingCec_[0]);
        size_t n = std::min<size_t>(pendingCec_[1], pendingCec_.size() - 2);
        m.bytes.insert(m.bytes.end(), pendingCec_.begin() + 2, pendingCec_.begin() + 2 + static_cast<long>(n));
        m.sent = block_[5] == 1;
        cecLog_.push_back(m);
        if (cecLog_.size() > 4 * kKeptCecMessages)
            cecLog_.erase(cecLog_.begin(), cecLog_.end() - kKeptCecMessages);
        pendingCec_.clear();
        save();
        return 0;
    }
    case 0x20:
        if (pendingHdr_.empty())
            return kStatusRefused;
        hdr_ = sized(pendingHdr_, 31);
        pendingHdr_.clear();
        save();
        return 0;
    case 0x80:
        if (pendingAvi_.empty())
            return kStatusRefused;
        avi_ = sized(pendingAvi_, 13);
        pendingAvi_.clear();
        save();
        return 0;
    }
    return kStatusRefused;
}

uint8_t BoxModel::writeRegister(uint8_t reg, uint8_t value, uint32_t now)
{
    if (reg == kFactoryReset) {
        if (value < 1 || value > 3)
            return kStatusRefused;
        factoryReset(value & 1, value & 2, now);
        return 0;
    }
    const Register *r = nullptr;
    for (const Register &x : kRegisters)
        if (x.reg == reg)
            r = &x;
    if (!r || value < r->lo || value > r->hi)
        return kStatusRefused;
    if (r->permission >= 0 && block_[r->permission] != 1)
        return kStatusRefused;
    block_[r->pos] = value;
    if (r->edid)
        setBusy(now, config_.busyEdidMs);
    save();
    return 0;
}

void BoxModel::factoryReset(bool edid, bool settings, uint32_t now)
{
    Block factory = factoryBlock(config_);
    for (int i = 0; i < kBlockSize; ++i)
        if (edidPosition(i) ? edid : settings)
            block_[i] = factory[i];
    if (edid) {
        custom_ = config_.customDefault ? *config_.customDefault : defaultCustomTable();
        customUploaded_ = false;
        setBusy(now, config_.busyEdidMs);
    }
    if (settings) {
        sp_ = "CEC 40:04\r";
        lp_ = "CEC 40:36\r";
        hdr_ = sized(config_.storedHdr ? *config_.storedHdr : defaultHdr(), 31);
        avi_ = sized(config_.storedAvi ? *config_.storedAvi : defaultAvi(), 13);
    }
    save();
}

MixOptions BoxModel::mixOptions() const
{
    MixOptions o;
    o.algorithm = block_[32] <= 3 ? block_[32] : 1;
    o.stereoOnly = block_[13] == 1;
    o.cap51 = block_[14] == 1;
    o.no3d = block_[15] == 1;
    o.hdr = block_[16] == 1;
    o.fullAudio = block_[17] == 1;
    o.bt2020 = block_[28] == 1;
    o.ycbcr = block_[29] == 1;
    return o;
}

const EdidTable *BoxModel::displayTable(bool txB) const
{
    if (txB)
        return config_.bottomPresent ? &bottomTable_ : nullptr;
    return config_.topPresent ? &topTable_ : nullptr;
}

EdidTable BoxModel::presentedTable() const
{
    switch (block_[2]) {
    case 1: return automixTable(displayTable(false), displayTable(true), mixOptions());
    case 3:
        if (block_[19] >= kFirstPreset && block_[19] <= kLastPreset)
            return presetTable(block_[19]);
        return custom_;
    }
    return fixedTable();
}

void BoxModel::load()
{
    BoxState s;
    if (statePath_.empty() || !readBoxState(statePath_, s))
        return;
    if (s.block) {
        for (int i = 0; i < kBlockSize; ++i)
            if (!firmwarePosition(i))
                block_[i] = (*s.block)[i];
    }
    if (s.custom) {
        custom_ = *s.custom;
        customUploaded_ = true;
    }
    if (s.sp)
        sp_ = *s.sp;
    if (s.lp)
        lp_ = *s.lp;
    if (s.hdr)
        hdr_ = sized(*s.hdr, 31);
    if (s.avi)
        avi_ = sized(*s.avi, 13);
    for (auto &[sent, bytes] : s.cec)
        cecLog_.push_back(CecMessage{bytes, sent});
}

void BoxModel::save() const
{
    if (statePath_.empty())
        return;
    BoxState s;
    s.block = block_;
    if (customUploaded_)
        s.custom = custom_;
    s.sp = sp_;
    s.lp = lp_;
    s.hdr = hdr_;
    s.avi = avi_;
    for (const CecMessage &m : cecLog_)
        s.cec.emplace_back(m.sent, m.bytes);
    if (!writeBoxState(statePath_, s))
        reportSimProblem("state file " + statePath_ + " cannot be written; changes are not kept");
}

} // namespace vantrel::sim
