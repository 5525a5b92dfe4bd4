// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-usb-rig: runs a program against the box emulated at the usbfs
// interface (umockdev), with the simulated box model behind it.
//
//   vantrel-usb-rig [OPTIONS] -- PROGRAM [ARGS...]
//
// The program gets LD_PRELOAD with umockdev's library and finds the box
// where libusb looks for it; the model reads VANTREL_SIM as usual. The rig
// ends with the program's exit status, or 77 (with a line saying why) when
// the emulation cannot work here.
#include "sim_api.h"
#include "usbfs_box.h"

#include <umockdev.h>

#include <cerrno>
#include <dlfcn.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/capability.h>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace vantrel;
using namespace vantrel::usbrig;

namespace {

constexpr int kCannotEmulate = 77;

const char *kUsage = "usage: vantrel-usb-rig [--latency MS] [--late EXCHANGE:MS] [--stall-vendor] [--no-permission]\n"
                     "                       [--unplug-after N] [--driver NAME] [--log FILE] -- PROGRAM [ARGS...]\n";

[[noreturn]] void cannot(const std::string &why)
{
    std::fprintf(stderr, "vantrel-usb-rig: SKIP: %s\n", why.c_str());
    std::exit(kCannotEmulate);
}

// The same from the forked child, which must not run the parent's exit handlers.
[[noreturn]] void cannotInChild(const std::string &why)
{
    std::fprintf(stderr, "vantrel-usb-rig: SKIP: %s\n", why.c_str());
    std::fflush(stderr);
    _exit(kCannotEmulate);
}

bool parse(int argc, char **argv, RigOptions &o, int &program)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char * { return i + 1 < argc ? argv[++i] : nullptr; };
        const char *v = nullptr;
        if (a == "--") {
            program = i + 1;
            return program < argc;
        } else if (a == "--stall-vendor") {
            o.stallVendor = true;
        } else if (a == "--no-permission") {
            o.noPermission = true;
        } else if (a == "--latency" && (v = value())) {
            o.latencyMs = static_cast<uint32_t>(std::strtoul(v, nullptr, 10));
        } else if (a == "--late" && (v = value())) {
            if (std::sscanf(v, "%u:%u", &o.lateExchange, &o.lateMs) != 2)
                return false;
        } else if (a == "--unplug-after" && (v = value())) {
            o.unplugAfter = std::atoi(v);
        } else if (a == "--driver" && (v = value())) {
            o.driver = v;
        } else if (a == "--log" && (v = value())) {
            o.logPath = v;
        } else {
            return false;
        }
    }
    return false;
}

// Root opens anything; without the two DAC capabilities (also after exec) the
// node's mode 0 refuses it as it refuses a user without the udev rule.
bool dropFileOverride()
{
    if (geteuid() != 0)
        return true;
    for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
        if (prctl(PR_CAPBSET_DROP, cap, 0, 0, 0) != 0)
            return false;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    const unsigned mask = ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    data[0].effective &= mask;
    data[0].permitted &= mask;
    data[0].inheritable &= mask;
    return syscall(SYS_capset, &header, data) == 0;
}

std::string preloaded()
{
    const char *old = std::getenv("LD_PRELOAD");
    return std::string("libumockdev-preload.so.0") + (old && *old ? std::string(":") + old : "");
}

} // namespace

int main(int argc, char **argv)
{
    RigOptions options;
    int program = 0;
    if (!parse(argc, argv, options, program)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    // The rig itself runs with umockdev's library too: the uevents it sends
    // name devices in the fake sysfs. The program inherits both settings.
    const char *preload = std::getenv("LD_PRELOAD");
    if (!preload || !std::strstr(preload, "libumockdev-preload")) {
        setenv("LD_PRELOAD", preloaded().c_str(), 1);
        // An instrumented program would refuse a library ahead of its runtime.
        const char *asan = std::getenv("ASAN_OPTIONS");
        setenv("ASAN_OPTIONS", (std::string(asan && *asan ? asan + std::string(":") : "") + "verify_asan_link_order=0").c_str(), 1);
        execv("/proc/self/exe", argv);
        cannot(std::string("cannot run again with umockdev's library: ") + std::strerror(errno));
    }
    if (!dlopen("libumockdev-preload.so.0", RTLD_NOW | RTLD_NOLOAD))
        cannot("umockdev's libumockdev-preload.so.0 did not load (Debian package umockdev)");

    // The model: its first device is the one on the bus.
    const UsbApi *sim = sim::simulatorApi();
    DWORD count = 0;
    HANDLE simHandle = nullptr;
    if (sim->GetNumDevices(&count) != SI_SUCCESS || count == 0 || sim->Open(0, &simHandle) != SI_SUCCESS) {
        std::fputs("vantrel-usb-rig: the simulated box has no device to put on the bus\n", stderr);
        return 2;
    }
    sim->SetTimeouts(0, 1000); // the rig never waits inside the model
    BoxIdentity identity;
    char text[SI_MAX_DEVICE_STRLEN] = {};
    if (sim->GetProductString(0, text, SI_RETURN_SERIAL_NUMBER) == SI_SUCCESS)
        identity.serial = text;
    if (sim->GetProductString(0, text, SI_RETURN_DESCRIPTION) == SI_SUCCESS)
        identity.productName = text;

    UMockdevTestbed *testbed = umockdev_testbed_new();
    if (!testbed)
        cannot("umockdev could not make a testbed");
    std::string error;
    auto *box = new UsbfsBox(testbed, identity, options, sim, simHandle);
    if (!box->attach(error))
        cannot(error);

    const std::string node = box->nodePath();
    const pid_t child = fork();
    if (child < 0)
        cannot(std::string("fork: ") + std::strerror(errno));
    if (child == 0) {
        if (options.noPermission) {
            if (!dropFileOverride())
                cannotInChild("cannot give up root's file access to refuse the device node");
            const int fd = ::open(node.c_str(), O_RDWR);
            if (fd >= 0 || errno != EACCES)
                cannotInChild("the device node still opens without permission");
        }
        execvp(argv[program], argv + program);
        std::fprintf(stderr, "vantrel-usb-rig: cannot run %s: %s\n", argv[program], std::strerror(errno));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    if (!options.logPath.empty()) {
        // The program's own processor time, for the tests that bound it.
        if (FILE *f = std::fopen(options.logPath.c_str(), "a")) {
            const long us = usage.ru_utime.tv_sec * 1000000L + usage.ru_utime.tv_usec + usage.ru_stime.tv_sec * 1000000L +
                            usage.ru_stime.tv_usec;
            std::fprintf(f, "program cpu ms: %ld\n", us / 1000);
            std::fclose(f);
        }
    }
    delete box;
    sim->Close(simHandle);
    umockdev_testbed_clear(testbed);
    g_object_unref(testbed);
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}
