// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: a box (or USB library) that answers anything. The fuzz
// bytes script every library call: statuses, queue counts, reply bytes, how
// much time passes. The program's own operations run against it: device
// search, register and block reads, the status and readback decoding, EDID
// reads and uploads, CEC and infoframe sends.
#include "box.h"
#include "edid_transfer.h"
#include "form_binding.h"
#include "fuzz_check.h"
#include "fuzz_clock.h"
#include "injection.h"
#include "readback.h"
#include "status_decoder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

using namespace vantrel;
using vantrel::fuzz::FuzzClock;
using vantrel::fuzz::printable;
using vantrel::fuzz::require;

namespace {

// The script: library answers and operations share one stream of bytes.
// Once it runs dry every call fails and time moves fast, so every wait ends.
struct Script {
    const uint8_t *p = nullptr, *end = nullptr;
    FuzzClock clock;
    HANDLE handle = reinterpret_cast<HANDLE>(0x5000);
    DWORD readTimeout = 0, writeTimeout = 0;

    bool dry() const { return p >= end; }
    uint8_t byte() { return p < end ? *p++ : 0xFF; }
};
Script g;

SI_STATUS fail(uint8_t b) { return (b & 0x80) ? SI_DEVICE_IO_FAILED : SI_SUCCESS; }

SI_STATUS numDevices(DWORD *count)
{
    const uint8_t b = g.byte();
    *count = b & 3;
    return fail(b);
}

SI_STATUS productString(DWORD, void *buffer, DWORD)
{
    auto *out = static_cast<char *>(buffer);
    const uint8_t b = g.byte();
    switch (b & 3) {
    case 0: std::memcpy(out, "2023", 5); break;
    case 1: std::memset(out, 'X', SI_MAX_DEVICE_STRLEN); break; // no terminator
    case 2: std::memcpy(out, "2023", 4); std::memset(out + 4, '3', SI_MAX_DEVICE_STRLEN - 4); break;
    default: {
        const size_t n = std::min<size_t>(g.byte() % (SI_MAX_DEVICE_STRLEN + 1), size_t(g.end - g.p));
        std::memcpy(out, g.p, n);
        g.p += n;
        break;
    }
    }
    return fail(b);
}

SI_STATUS openDevice(DWORD, HANDLE *h)
{
    *h = g.handle;
    return fail(g.byte());
}

SI_STATUS closeDevice(HANDLE h)
{
    require(h == g.handle, "close of a handle the library never gave");
    return fail(g.byte());
}

SI_STATUS readData(HANDLE h, void *buffer, DWORD count, DWORD *got, void *)
{
    require(h == g.handle, "read on a handle the library never gave");
    const uint8_t b = g.byte();
    const size_t n = std::min<size_t>({size_t(g.byte()), size_t(count), size_t(g.end - g.p)});
    std::memcpy(buffer, g.p, n);
    g.p += n;
    // A library that lies about how much it handed over.
    *got = (b & 0x40) ? DWORD(n) + g.byte() : DWORD(n);
    return fail(b);
}

SI_STATUS writeData(HANDLE h, void *, DWORD count, DWORD *put, void *)
{
    require(h == g.handle, "write on a handle the library never gave");
    const uint8_t b = g.byte();
    *put = (b & 0x40) ? 0 : count;
    return fail(b);
}

SI_STATUS flushBuffers(HANDLE, BYTE, BYTE) { return fail(g.byte()); }

SI_STATUS setTimeouts(DWORD r, DWORD w)
{
    g.readTimeout = r;
    g.writeTimeout = w;
    return SI_SUCCESS;
}

SI_STATUS getTimeouts(DWORD *r, DWORD *w)
{
    *r = g.readTimeout;
    *w = g.writeTimeout;
    return SI_SUCCESS;
}

SI_STATUS checkRxQueue(HANDLE, DWORD *bytes, DWORD *status)
{
    if (g.dry()) {
        g.clock.t += 1000;
        *bytes = 0;
        *status = SI_RX_EMPTY;
        return SI_RX_QUEUE_NOT_READY;
    }
    const uint8_t b = g.byte();
    g.clock.t += b & 0x3F;
    *bytes = g.byte();
    *status = *bytes ? SI_RX_READY : SI_RX_EMPTY;
    return fail(b);
}

const UsbApi kApi = {numDevices, productString, openDevice,  closeDevice, readData,
                     writeData,  flushBuffers,  setTimeouts, getTimeouts, checkRxQueue};

std::string text(size_t max)
{
    const size_t n = std::min<size_t>(g.byte() % (max + 1), size_t(g.end - g.p));
    std::string t(reinterpret_cast<const char *>(g.p), n);
    g.p += n;
    return t;
}

// Every reply area is cleared before its exchange: nothing past what arrived.
void checkArea(UsbLink &link, const uint8_t *reply)
{
    const DWORD got = link.lastReplyLength();
    require(got <= UsbLink::kMaxReply, "more reply bytes than the area holds");
    for (DWORD i = got; i < UsbLink::kMaxReply; ++i)
        require(reply[i] == 0, "a reply area holds bytes that did not arrive");
    require(!link.busy(), "the link stays busy after an exchange");
}

void refreshStatus(Box &box)
{
    uint8_t video[UsbLink::kMaxReply], source[UsbLink::kMaxReply], hdr[UsbLink::kMaxReply];
    box.readRegister(6, video, 15);
    checkArea(box.link(), video);
    box.readRegister(21, source, 31);
    checkArea(box.link(), source);
    box.readRegister(30, hdr, 31);
    checkArea(box.link(), hdr);
    const status::StatusTexts t = status::decodeStatus({video, UsbLink::kMaxReply}, {source, UsbLink::kMaxReply},
                                                       {hdr, UsbLink::kMaxReply});
    require(printable(t.input) && printable(t.colour) && printable(t.hdr), "status texts not printable");
}

void refreshSettings(Box &box)
{
    uint8_t reply[UsbLink::kMaxReply];
    const bool read = box.readBlock(reply, frame::kSettingsBlockLength).done();
    checkArea(box.link(), reply);
    const auto verdict = config::readbackVerdict(reply, box.link().lastReplyLength(), read, true);
    if (verdict == config::ReadbackVerdict::Accept)
        require(!config::readbackUpdates(reply + 2).empty(), "an accepted block asks for no updates");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    g = Script{};
    g.p = data;
    g.end = data + size;
    Box box(&kApi, g.clock, [](const std::string &t) { require(!t.empty(), "an empty alert"); }, [](const Outcome &o) {
        require(!o.message.empty() && printable(o.message) && o.ms > 0, "a status message without text or time");
    });
    UsbLink &link = box.link();
    Session s{box, g.clock, [](const std::string &line) { require(printable(line, true), "diagnostic line not printable"); },
              [](int a, int b) { require(a <= 0 || b <= 0 || a <= b, "progress past its end"); }};

    DWORD index = 0;
    if (link.FindDevice("2023", index))
        link.OpenDevice(index);

    for (int steps = 0; !g.dry() && steps < 64; ++steps) {
        switch (g.byte() % 9) {
        case 0:
            refreshStatus(box);
            break;
        case 1:
            refreshSettings(box);
            break;
        case 2: {
            const uint8_t code = frame::kFetchBoxEdid + g.byte() % 3;
            const edid::EdidReadout r = edid::readEdid(s, code);
            require(!r.outcome.done() || r.arrived(), "a read that came to done without its table");
            if (r.arrived())
                require(r.text == edid::canonicalEdidText(r.image), "EDID read text differs from its table");
            break;
        }
        case 3: {
            edid::EdidImage image{};
            const size_t n = std::min<size_t>(image.size(), size_t(g.end - g.p));
            std::copy_n(g.p, n, image.begin());
            g.p += n;
            edid::uploadEdid(s, image);
            break;
        }
        case 4:
            inject::sendCec(s, text(120));
            break;
        case 5: {
            const uint8_t code = g.byte() & 1 ? frame::kStoreCecSp : frame::kStoreCecLp;
            inject::saveCecCommand(s, code, text(80));
            break;
        }
        case 6: {
            uint8_t pos33 = 0xEE;
            if (g.byte() & 1) {
                inject::writeHdrInfoframe(s, text(120));
            } else {
                const bool replace = g.byte() & 1;
                const bool sent = inject::sendAvi(s, text(60), replace, pos33).done();
                require(!sent || pos33 == (replace ? 1 : 0), "AVI send left position 33 unset");
            }
            break;
        }
        case 7:
            require(edid::waitEdidReady(s).reads <= 502, "the busy wait read more than 502 times");
            break;
        case 8: {
            uint8_t image[frame::kSettingsSize] = {};
            box.writeRegister(g.byte(), g.byte());
            box.writeBlock(image);
            if (g.byte() & 1) {
                link.CloseDevice();
                require(!link.isOpen(), "a closed link still open");
                if (link.FindDevice("2023", index))
                    link.OpenDevice(index);
            }
            break;
        }
        }
    }
    link.CloseDevice();
    return 0;
}
