// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-usb-probe: register reads through the program's own link (UsbLink
// on the library VANTREL_USB_LIBRARY names), one line per exchange, with the
// timing the usb tests and the benchmark look at:
//
//   vantrel-usb-probe [--pause MS] ITEM[:LENGTH]...
//   N ok|fail REPLY-HEX wall=MS cpu=MS end=US
//
// end is when Transact returned, on the steady clock every process shares (the
// rig logs when each reply became due on the same clock).
#include "sim_api.h"
#include "usb_library.h"
#include "usb_link.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>

using namespace vantrel;

namespace {

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

double wallMs()
{
    using namespace std::chrono;
    return duration_cast<duration<double, std::milli>>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

int main(int argc, char **argv)
{
    unsigned pauseMs = 0;
    int first = 1;
    for (; first + 1 < argc && argv[first][0] == '-'; first += 2) {
        if (std::strcmp(argv[first], "--pause") == 0)
            pauseMs = static_cast<unsigned>(std::atoi(argv[first + 1]));
    }
    const UsbLibraryChoice choice = chooseUsbLibrary(std::getenv("VANTREL_USB_LIBRARY"), sim::simulatorApi());
    UsbLink link(choice.api, systemClock(), [](const std::string &text) { std::fprintf(stderr, "alert: %s\n", text.c_str()); });
    DWORD index = 0;
    if (!link.FindDevice("2023", index) || !link.OpenDevice(index))
        return 3;
    for (int i = first; i < argc; ++i) {
        unsigned item = 0, length = 0x0F;
        std::sscanf(argv[i], "%x:%x", &item, &length);
        const uint8_t request[4] = {0x11, static_cast<uint8_t>(length), 0xE0, static_cast<uint8_t>(item)};
        uint8_t reply[UsbLink::kMaxReply] = {};
        const double wall0 = wallMs(), cpu0 = cpuMs();
        const bool ok = link.Transact(reply, request, length, sizeof request);
        const double end = wallMs();
        const double wall = end - wall0, cpu = cpuMs() - cpu0;
        std::string hex;
        char b[4];
        for (DWORD k = 0; k < link.lastReplyLength(); ++k) {
            std::snprintf(b, sizeof b, k ? " %02X" : "%02X", reply[k]);
            hex += b;
        }
        std::printf("%d %s %s wall=%.1f cpu=%.1f end=%.0f\n", i - first + 1, ok ? "ok" : "fail",
                    hex.empty() ? "-" : hex.c_str(), wall, cpu, end * 1000.0);
        std::fflush(stdout);
        if (pauseMs)
            std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
    link.CloseDevice();
    return 0;
}
