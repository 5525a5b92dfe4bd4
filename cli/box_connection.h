// SPDX-License-Identifier: GPL-3.0-or-later
// The one box a vantrelctl command talks to: the USB library chosen as the
// window chooses it, the link opened on the "2023" device, and the window's
// status-bar messages turned into lines on standard error.
#pragma once

#include "box_requests.h"
#include "session.h"
#include "settings_table.h"
#include "usb_link.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::cli {

// What the command line says about the link.
struct LinkOptions {
    std::optional<std::string> usbLibrary; // --usb-library; wins over VANTREL_USB_LIBRARY
    bool verbose = false;                  // also print the diagnostic lines
};

// The table the options name; throws CliError(kExitNoBox) when none can be had.
const UsbApi *chooseApi(const LinkOptions &options);

class BoxConnection {
public:
    // Finds and opens the box; throws CliError(kExitNoBox) when it can't.
    explicit BoxConnection(const LinkOptions &options);
    ~BoxConnection();
    BoxConnection(const BoxConnection &) = delete;
    BoxConnection &operator=(const BoxConnection &) = delete;

    BoxRequests &box() { return *box_; }
    Session session();

    // Throws CliError(kExitExchange) with what, unless ok.
    void require(bool ok, const std::string &what) const;
    // After a multi-step operation: throws when it reported a failure on the
    // status bar or in its diagnostics (kExitUsage for a refused text).
    void requireNoFailure(const std::string &what);
    // Throws CliError(kExitUsage) when a send refused its text before sending.
    void requireTextAccepted(const std::string &what) const;
    // Forgets the failures reported so far.
    void clearFailures();

    // The settings block as the readback takes it (block read, then the
    // item-6 read); throws when the readback would not accept it.
    std::array<uint8_t, config::kBlockSize> readSettings();
    // The stored HDR (item 0x23) and AVI (item 0x24) infoframes as the window
    // puts them in its boxes at start-up: lower-case colon hex.
    std::string storedHdrText();
    std::string storedAviText();

private:
    void onMessage(const std::string &text);

    LinkOptions options_;
    std::unique_ptr<UsbLink> link_;
    std::unique_ptr<BoxRequests> box_;
    std::vector<std::string> failures_;
    bool inputRefused_ = false;
};

} // namespace vantrel::cli
