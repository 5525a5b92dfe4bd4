// SPDX-License-Identifier: GPL-3.0-or-later
// The one box a vantrelctl command talks to: the USB library chosen as the
// window chooses it, the box opened by its serial, and the tool's reporter,
// which turns the window's status-bar messages into lines on standard error.
#pragma once

#include "box.h"
#include "session.h"
#include "settings_table.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::cli {

// What the command line says about the link.
struct LinkOptions {
    std::optional<std::string> usbLibrary; // --usb-library; wins over VANTREL_USB_LIBRARY
    bool verbose = false;                  // also print the diagnostic lines
    bool quiet = false;                    // no success messages on standard error
};

// The box's success messages of this run, shown on standard error only when
// the command succeeds (never "written" before a failure).
std::vector<std::string> &pendingMessages();

// The table the options name; throws CliError(kExitNoBox) when none can be had.
const UsbApi *chooseApi(const LinkOptions &options);

// The tool's reporter: success messages wait in pendingMessages() (unless
// quiet); failures are the command's to word, shown as they are only with
// --verbose.
class TerminalReporter : public Reporter {
public:
    explicit TerminalReporter(const LinkOptions &options) : options_(options) {}
    void report(const Outcome &o) override;

private:
    const LinkOptions &options_;
};

// Thrown where a command would open the box while actions are only checked:
// everything the command checks before it needs the box was checked.
struct BoxNotNeeded {};

class BoxConnection {
public:
    // While one lives, every BoxConnection made uses the box given (serve's,
    // for a rule's actions) instead of opening one; with none, it throws
    // BoxNotNeeded (checking an action).
    class Lend {
    public:
        explicit Lend(BoxConnection *box);
        ~Lend();
        Lend(const Lend &) = delete;
        Lend &operator=(const Lend &) = delete;

    private:
        bool was_;
        BoxConnection *previous_;
    };

    // Finds and opens the box; throws CliError(kExitNoBox) when it can't.
    explicit BoxConnection(const LinkOptions &options);
    // The box unopened, for an owner that opens it and looks for it again
    // (serve); the link's alerts are said unless quiet() holds.
    BoxConnection(const LinkOptions &options, std::function<bool()> quiet);
    ~BoxConnection();
    BoxConnection(const BoxConnection &) = delete;
    BoxConnection &operator=(const BoxConnection &) = delete;

    Box &box() { return *box_; }
    Session session();

    // Throws CliError(kExitExchange) with what, unless ok.
    void require(bool ok, const std::string &what) const;
    // After a write: "<what> failed", with the cause when the box answered
    // but did not acknowledge it.
    void requireWritten(bool ok, const std::string &what);
    // Throws CliError(kExitFailed) when the operation refused its text,
    // CliError(kExitExchange) when a step of it failed.
    void requireDone(const Outcome &o, const std::string &what) const;
    // Throws CliError(kExitFailed) when a send refused its text.
    void requireAccepted(const Outcome &o, const std::string &what) const;

    // The settings block as the readback takes it (block read, then the
    // item-6 read); throws when the readback would not accept it.
    std::array<uint8_t, config::kBlockSize> readSettings();
    // The stored HDR (item 0x23) and AVI (item 0x24) infoframes as the window
    // puts them in its boxes at start-up: lower-case colon hex.
    std::string storedHdrText();
    std::string storedAviText();

private:
    void alert(const std::string &text);
    void makeBox(std::function<bool()> quiet);

    LinkOptions options_;
    TerminalReporter reporter_{options_};
    std::unique_ptr<Box> own_;
    Box *box_ = nullptr; // own_, or the lent one
    bool alerted_ = false;
    uint32_t alertedAt_ = 0; // the link's unanswered count at the last alert printed
};

} // namespace vantrel::cli
