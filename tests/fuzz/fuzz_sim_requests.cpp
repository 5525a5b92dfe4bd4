// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: any sequence of frames, reads, queue queries and flushes
// sent to the simulated box through its ten library calls. The box must keep
// its replies the size the protocol gives, its own permission flags, and
// correct tables, whatever it is sent.
#include "edid_report.h"
#include "edid_text.h"
#include "fuzz_check.h"
#include "fuzz_clock.h"
#include "sim_api.h"
#include "sim_edid.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace vantrel;
using vantrel::fuzz::FuzzClock;
using vantrel::fuzz::require;

namespace {

const char *const kConfigs[] = {
    "",
    "busy_fetch_ms=0;busy_store_ms=0;busy_edid_ms=0;txb_edid=none",
    "p9=0;p10=0;p11=0;source=off;serials=2023,2024",
    "vic=16;hdmi=0;clock=none;colour=rgb;colorimetry=709;hdr=hlg;3d=tb;hdmi_vic=2;txa_edid=none",
};

// Fault plans: with one, the queue model is off and only safety is checked.
const char *const kFaults[] = {
    "fault=*:short:3@2,B0:noreply:2,E1:busy:4",
    "fault=*:wrongcode:5,11E0:queuefail:3,10E2:writefail:1",
    "latency=7;fault=B0:latency:20@1,*:gone:9",
    "fault=*:noreply@4,*:short,*:busy:1000",
};

struct Input {
    const uint8_t *p, *end;
    bool empty() const { return p >= end; }
    uint8_t byte() { return p < end ? *p++ : 0; }
};

// The reply a frame gets from a box without faults: how many bytes.
size_t replySize(const std::vector<uint8_t> &f)
{
    if (f.size() < 3)
        return 0;
    if (f[0] == 0x10)
        return 2;
    if (f[0] != 0x11)
        return 0;
    return std::clamp<size_t>(f[1], f[2] == 0xB0 ? 1 : 2, 64);
}

struct Link {
    const UsbApi *api;
    bool strict = true; // no faults planned: every count and status is known
    HANDLE h = nullptr;
    size_t queued = 0;  // delivered, not yet read
    size_t pending = 0; // on its way: delivered by the next query or read

    void open()
    {
        require(api->Open(0, &h) == SI_SUCCESS || !strict, "open failed");
        queued = pending = 0;
    }
    void deliver()
    {
        queued += pending;
        pending = 0;
    }
    DWORD waiting()
    {
        DWORD bytes = 99999, status = 99;
        const SI_STATUS st = api->CheckRXQueue(h, &bytes, &status);
        deliver();
        if (!strict)
            return st == SI_SUCCESS ? bytes : 0;
        require(st == SI_SUCCESS, "queue query failed");
        require(bytes == queued, "the queue holds another number of bytes than was replied");
        require(status == (bytes ? SI_RX_READY : SI_RX_EMPTY), "queue status disagrees with its bytes");
        return bytes;
    }
    std::vector<uint8_t> read(DWORD n)
    {
        std::vector<uint8_t> buf(n + 1, 0xA5);
        DWORD got = 99999;
        const SI_STATUS st = api->Read(h, buf.data(), n, &got, nullptr);
        deliver();
        require(buf[n] == 0xA5 && got <= n, "a read wrote past its buffer");
        if (!strict) {
            buf.resize(got);
            return buf;
        }
        const DWORD expected = DWORD(std::min<size_t>(n, queued));
        require(got == expected, "a read returned another number of bytes than were queued");
        require(st == (got > 0 || n == 0 ? SI_SUCCESS : SI_READ_TIMED_OUT), "read status");
        require(buf[n] == 0xA5, "a read wrote past its buffer");
        queued -= got;
        buf.resize(got);
        return buf;
    }
    void write(const std::vector<uint8_t> &f)
    {
        DWORD put = 99999;
        std::vector<uint8_t> copy = f;
        copy.reserve(1); // an empty frame still has a buffer
        const SI_STATUS st = api->Write(h, copy.data(), DWORD(f.size()), &put, nullptr);
        if (!strict)
            return;
        require(st == SI_SUCCESS, "write failed");
        require(put == f.size(), "write took fewer bytes");
        // A reply not yet delivered is replaced by the next one.
        if (const size_t n = replySize(f))
            pending = n;
    }
};

// A frame's reply, read straight after it, against what the box holds.
void checkReply(const std::vector<uint8_t> &f, const std::vector<uint8_t> &reply)
{
    const size_t n = replySize(f);
    require(reply.size() == n, "reply of the wrong size");
    if (!n)
        return;
    sim::BoxModel &box = sim::box();
    if (f[0] == 0x11 && f[2] == 0xB0) {
        const size_t off = f.size() > 3 ? f[3] : 0;
        for (size_t i = 0; i < n; ++i)
            require(reply[i] == (off + i < 256 ? box.transferBuffer()[off + i] : 0), "chunk read of other bytes");
        return;
    }
    require(reply[0] == f[2], "reply does not echo the sub-code");
    require((reply[1] & ~(sim::kStatusBusy | sim::kStatusRefused | sim::kStatusUnknown)) == 0, "unknown status bit");
    if (f[0] == 0x11 && f[2] == 0xE1 && n >= 42)
        require(std::equal(box.block().begin(), box.block().end(), reply.begin() + 2), "block read of other bytes");
}

void checkTables(const sim::BoxModel &box)
{
    const sim::Block &b = box.block();
    const bool customShown = b[2] == 3 && !(b[19] >= sim::kFirstPreset && b[19] <= sim::kLastPreset);
    if (customShown && box.customUploaded())
        return; // an uploaded table is whatever was sent
    const sim::EdidTable t = box.presentedTable();
    edid::EdidImage image;
    std::copy(t.begin(), t.end(), image.begin());
    require(edid::checkChecksums(image).ok(), "the box presents a table with a wrong checksum");
    const edid::EdidReport report = edid::decodeEdid(t.data(), t.size());
    require(report.conforms(), "the box presents a table that does not conform");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static FuzzClock clock;
    if (size < 1)
        return 0;
    Input in{data, data + size};
    const uint8_t setup = in.byte();
    const bool faults = setup & 8;
    std::string config = kConfigs[setup & 3];
    if (faults)
        config += std::string(";") + kFaults[(setup >> 4) & 3];
    require(sim::reset(config).empty(), "a fuzz configuration was not understood");
    clock.t = (setup & 4) ? 0xFFFFF000u : 0; // near the wrap of the tick, or not
    sim::setClock(&clock);

    Link link{sim::simulatorApi(), !faults};
    link.open();
    const sim::Block before = sim::box().block();

    while (!in.empty()) {
        const uint8_t op = in.byte();
        switch (op & 7) {
        case 0:   // a frame, its reply read at once
        case 1:   // a frame, its reply left queued
        case 2: {
            const size_t n = std::min<size_t>(in.byte(), size_t(in.end - in.p));
            std::vector<uint8_t> f(in.p, in.p + n);
            in.p += n;
            link.write(f);
            if ((op & 7) == 0 && link.strict) {
                const std::vector<uint8_t> all = link.read(link.waiting());
                const size_t fresh = replySize(f);
                if (fresh && all.size() >= fresh)
                    checkReply(f, std::vector<uint8_t>(all.end() - long(fresh), all.end()));
            }
            break;
        }
        case 3:
            link.read(in.byte());
            break;
        case 4:
            link.waiting();
            break;
        case 5: {
            const bool rx = op & 8;
            require(link.api->FlushBuffers(link.h, 1, rx) == SI_SUCCESS || !link.strict, "flush failed");
            if (rx)
                link.queued = link.pending = 0;
            break;
        }
        case 6: {
            require(link.api->Close(link.h) == SI_SUCCESS || !link.strict, "close failed");
            DWORD got = 0;
            uint8_t b[4];
            require(link.api->Read(link.h, b, 4, &got, nullptr) != SI_SUCCESS && got == 0,
                    "a closed handle still reads");
            link.open();
            break;
        }
        case 7: {
            clock.t += uint32_t(in.byte()) * 16;
            char text[SI_MAX_DEVICE_STRLEN];
            const DWORD index = op >> 6, flags = (op >> 3) & 7;
            if (link.api->GetProductString(index, text, flags) == SI_SUCCESS)
                require(std::find(text, text + sizeof text, '\0') != text + sizeof text, "product string not ended");
            DWORD r = 0, w = 0;
            link.api->SetTimeouts(op, op * 3u);
            require(link.api->GetTimeouts(&r, &w) == SI_SUCCESS && r == op && w == op * 3u, "timeouts not kept");
            break;
        }
        }
    }

    const sim::BoxModel &box = sim::box();
    for (int pos = 9; pos <= 11; ++pos)
        require(box.block()[pos] == before[pos], "the box's own permission flags changed");
    checkTables(box);
    link.api->Close(link.h);
    sim::setClock(nullptr);
    return 0;
}
