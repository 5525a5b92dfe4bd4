// SPDX-License-Identifier: GPL-3.0-or-later
#include "box_connection.h"

#include "cli_error.h"
#include "injection.h"
#include "readback.h"
#include "sim_api.h"
#include "usb_library.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vantrel::cli {

namespace {

constexpr const char *kDeviceId = kBoxSerial;

std::string trimmed(const std::string &text)
{
    const size_t first = text.find_first_not_of("\r\n ");
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of("\r\n ");
    return text.substr(first, last - first + 1);
}

} // namespace

const UsbApi *chooseApi(const LinkOptions &options)
{
    const char *value = options.usbLibrary ? options.usbLibrary->c_str() : std::getenv("VANTREL_USB_LIBRARY");
    UsbLibraryChoice choice = chooseUsbLibrary(value, sim::simulatorApi());
    if (!choice.api)
        throw CliError{kExitNoBox, choice.error};
    return choice.api;
}

namespace {
bool g_lending = false;
BoxConnection *g_lent = nullptr;
} // namespace

BoxConnection::Lend::Lend(BoxConnection *box) : was_(g_lending), previous_(g_lent)
{
    g_lending = true;
    g_lent = box;
}

BoxConnection::Lend::~Lend()
{
    g_lending = was_;
    g_lent = previous_;
}

BoxConnection::BoxConnection(const LinkOptions &options, std::function<bool()> quiet) : options_(options)
{
    makeBox(std::move(quiet));
}

void BoxConnection::makeBox(std::function<bool()> quiet)
{
    own_ = std::make_unique<Box>(
        chooseApi(options_), systemClock(),
        [this, quiet = std::move(quiet)](const std::string &text) {
            if (!quiet || !quiet())
                alert(text);
        },
        reporter_);
    box_ = own_.get();
}

BoxConnection::BoxConnection(const LinkOptions &options) : options_(options)
{
    if (g_lending) {
        if (!g_lent)
            throw BoxNotNeeded{};
        box_ = g_lent->box_;
        options_ = g_lent->options_;
        return;
    }
    makeBox(nullptr);
    // Quietly: the tool says in its own words why there is no box.
    switch (box_->open(true)) {
    case Box::Opening::Opened:
        return;
    case Box::Opening::NotListed:
        throw CliError{kExitNoBox, std::string("no box with serial ") + kDeviceId + " is attached"};
    case Box::Opening::NoPermission:
        throw CliError{kExitNoBox, std::string("the box with serial ") + kDeviceId +
                                       " is attached but not accessible: no permission to open it"};
    case Box::Opening::WouldNotOpen:
        break;
    }
    throw CliError{kExitNoBox, std::string("the box with serial ") + kDeviceId + " is attached but would not open"};
}

void BoxConnection::alert(const std::string &text)
{
    // The link alerts at each failed query of an exchange that then goes
    // unanswered (an alert box each in the window); the terminal gets one line
    // until the next unanswered exchange.
    const uint32_t unanswered = box_ ? box_->link().unanswered() : 0;
    if (alerted_ && unanswered == alertedAt_)
        return;
    alerted_ = true;
    alertedAt_ = unanswered;
    std::fprintf(stderr, "vantrelctl: %s\n", text.c_str());
}

BoxConnection::~BoxConnection()
{
    if (own_)
        box_->link().CloseDevice();
}

Session BoxConnection::session()
{
    Session s{*box_, box_->clock(), nullptr, nullptr};
    s.diagnostic = [this](const std::string &line) {
        const std::string text = trimmed(line);
        if (options_.verbose && !text.empty())
            std::fprintf(stderr, "%s\n", text.c_str());
    };
    return s;
}

void TerminalReporter::report(const Outcome &o)
{
    // The window's failure texts are for its status bar; the command says in
    // its own words what went wrong. --verbose shows them as diagnostics.
    if (!o.done()) {
        if (options_.verbose && !o.wordless)
            std::fprintf(stderr, "box: %s\n", o.message.c_str());
    } else if (!options_.quiet) {
        pendingMessages().push_back(o.message);
    }
}

std::vector<std::string> &pendingMessages()
{
    static std::vector<std::string> messages;
    return messages;
}

void BoxConnection::require(bool ok, const std::string &what) const
{
    if (!ok)
        throw CliError{kExitExchange, what};
}

void BoxConnection::requireWritten(bool ok, const std::string &what)
{
    if (!ok)
        throw CliError{kExitExchange, box_->link().lastReplyLength() > 0
                                          ? what + " failed: the box did not acknowledge it"
                                          : what + " failed"};
}

void BoxConnection::requireDone(const Outcome &o, const std::string &what) const
{
    requireAccepted(o, what);
    if (o.verdict == Verdict::Failed)
        throw CliError{kExitExchange, what + " failed: " + o.reasonOr("the box did not acknowledge it")};
}

void BoxConnection::requireAccepted(const Outcome &o, const std::string &what) const
{
    if (o.verdict == Verdict::Refused)
        throw CliError{kExitFailed, what + ": the box's send refused the text (" + o.message + ")"};
}

std::array<uint8_t, config::kBlockSize> BoxConnection::readSettings()
{
    std::array<uint8_t, config::kBlockSize> settings{};
    if (const char *problem = config::readbackProblem(config::readSettingsBlock(*box_, settings.data())))
        throw CliError{kExitExchange, problem};
    return settings;
}

std::string BoxConnection::storedHdrText()
{
    std::string text;
    require(inject::readStoredInfoframe(*box_, inject::kStoredHdr, text).done(),
            "reading the stored HDR infoframe failed");
    return text;
}

std::string BoxConnection::storedAviText()
{
    std::string text;
    require(inject::readStoredInfoframe(*box_, inject::kStoredAvi, text).done(),
            "reading the stored AVI infoframe failed");
    return text;
}

} // namespace vantrel::cli
