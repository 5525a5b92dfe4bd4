// SPDX-License-Identifier: GPL-3.0-or-later
// list, status, settings, set, reset: the box's settings and its header.
#include "cli_error.h"
#include "commands.h"
#include "nearest_name.h"

#include "edid_transfer.h"
#include "apply_setting.h"
#include "injection.h"
#include "setting_commands.h"
#include "setting_values.h"
#include "usb_library.h"

#include "text_report.h"

#include <cstring>

namespace vantrel::cli {

namespace {

using report::format;

std::string latin1(const std::string &text)
{
    return report::latin1(text).get<std::string>();
}

int runList(Invocation &inv)
{
    const UsbApi *api = chooseApi(inv.link);
    DWORD count = 0;
    if (api->GetNumDevices(&count) != SI_SUCCESS || count == 0)
        throw CliError{kExitNoBox, "no device attached"};
    Json devices = Json::array();
    bool chosen = false;
    // Nobody should take the simulated box for a real one.
    const bool simulated = isSimulatedBox(api);
    for (DWORD i = 0; i < count; ++i) {
        char serial[SI_MAX_DEVICE_STRLEN + 1] = {};
        char product[SI_MAX_DEVICE_STRLEN + 1] = {};
        const bool serialRead = api->GetProductString(i, serial, SI_RETURN_SERIAL_NUMBER) == SI_SUCCESS;
        api->GetProductString(i, product, SI_RETURN_DESCRIPTION);
        // The window and every command use the first device with this serial.
        const bool used = serialRead && !chosen && std::strcmp(serial, kBoxSerial) == 0;
        chosen = chosen || used;
        inv.out.line(std::to_string(i) + "  " + (serialRead ? latin1(serial) : "(serial not readable)") + "  " +
                     latin1(product) + (simulated ? " (simulated)" : "") + (used ? "  [used]" : ""));
        devices.push_back(Json{{"index", i},
                               {"serial", serialRead ? report::latin1(serial) : Json()},
                               {"product", report::latin1(product)},
                               {"used", used},
                               {"simulated", simulated}});
    }
    inv.out.set("devices", devices);
    return kExitOk;
}

std::string hexBytes(const uint8_t *bytes, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += format(i ? " %02X" : "%02X", bytes[i]);
    return text;
}

int runSettings(Invocation &inv)
{
    BoxConnection b(inv.link);
    const auto block = b.readSettings();
    const std::string raw = hexBytes(block.data(), block.size());
    const bool rawOnly = inv.isSet("raw");
    Json rows = Json::array();
    for (const config::Setting &s : config::settingsTable()) {
        if (s.kind == config::Kind::Unused)
            continue;
        const uint8_t v = block[size_t(s.position)];
        Json row{{"position", s.position}, {"value", v}};
        if (s.cliName) {
            const std::string text = latin1(config::describeValue(s, v));
            row["name"] = s.cliName;
            row["text"] = text;
            if (!rawOnly)
                inv.out.line(format("%-16s %s", s.cliName, text.c_str()));
        } else {
            // The box's own permission flags: shown, never set.
            const char *text = v == 1 ? "yes" : "no";
            row["caption"] = latin1(s.caption);
            row["text"] = text;
            if (!rawOnly)
                inv.out.line(std::string("# ") + latin1(s.caption) + ": " + text);
        }
        rows.push_back(std::move(row));
    }
    if (rawOnly)
        inv.out.line(raw);
    inv.out.set("settings", rows);
    inv.out.set("raw", raw);
    return kExitOk;
}

int runSet(Invocation &inv)
{
    const SettingChange change = checkedSettingChange(inv.args[0], inv.args[1]);
    const config::Setting *s = change.setting;
    if ((inv.isSet("hdr") && s->followUp != config::FollowUp::SendHdrInfoframe) ||
        (inv.isSet("avi") && s->followUp != config::FollowUp::SendAviInfoframe))
        usageError("--hdr goes with force-hdr, --avi with avi-replace");
    std::optional<std::string> hdr, avi;
    if (inv.isSet("hdr"))
        hdr = inv.value("hdr");
    if (inv.isSet("avi"))
        avi = inv.value("avi");
    BoxConnection b(inv.link);
    applySettingChange(b, change, hdr, avi);

    const std::string text = latin1(config::describeValue(*s, change.value));
    inv.out.line(format("%-16s %s", s->cliName, text.c_str()));
    inv.out.set("name", s->cliName);
    inv.out.set("value", change.value);
    inv.out.set("text", text);
    return kExitOk;
}

int runReset(Invocation &inv)
{
    const std::string what = inv.args[0];
    const bool settings = what == "settings" || what == "all";
    const bool edid = what == "edid" || what == "all";
    if (!settings && !edid)
        usageError("reset takes settings, edid or all, not \"" + what + "\"");
    if (!inv.isSet("yes"))
        usageError("reset " + what + " puts the box back to its factory state; add --yes to do it");
    BoxConnection b(inv.link);
    const uint8_t value = *config::factoryResetValue(settings, edid);
    // Done only when the box acknowledged it.
    b.requireDone(b.box().writeRegister(config::kFactoryResetRegister, value), "the reset");
    inv.out.line("reset " + what + " done");
    inv.out.set("reset", what);
    inv.out.set("value", value);
    return kExitOk;
}

} // namespace

SettingChange checkedSettingChange(const std::string &name, const std::string &value)
{
    const config::Setting *s = config::findSetting(name);
    if (!s || !s->writable()) {
        std::string names;
        std::vector<std::string> list;
        for (const config::Setting &row : config::settingsTable())
            if (row.cliName && row.writable()) {
                names += std::string(names.empty() ? "" : ", ") + row.cliName;
                list.emplace_back(row.cliName);
            }
        usageError("no setting \"" + name + "\"" + didYouMean(name, list) + "; the settings are " + names);
    }
    const config::ParsedValue parsed = config::parseSettingValue(*s, value);
    if (!parsed.ok)
        usageError(parsed.error);
    const std::optional<config::RegisterWrite> write = config::writeFor(*s, parsed.value);
    if (!write)
        usageError(std::string("no register write for ") + s->cliName);
    return {s, parsed.value, *write};
}

void applySettingChange(BoxConnection &b, const SettingChange &change, const std::optional<std::string> &hdr,
                        const std::optional<std::string> &avi)
{
    const config::Setting *s = change.setting;
    if (s->lockable()) {
        const std::optional<std::string> lock = config::lockReason(*s, b.readSettings().data());
        if (lock)
            throw CliError{kExitFailed, std::string(s->cliName) + " cannot be changed now: " + *lock};
    }
    changeSetting(b, change, hdr, avi);
}

void changeSetting(BoxConnection &b, const SettingChange &change, const std::optional<std::string> &hdr,
                   const std::optional<std::string> &avi)
{
    const config::Setting *s = change.setting;
    const std::string what = std::string("setting ") + s->cliName;
    Session session = b.session();
    // A text the send refused leaves the box untouched: no half-done change.
    config::FollowUpSends sends;
    sends.hdr = [&] {
        const std::string text = hdr ? checkedPacketText(PacketKind::Hdr, *hdr) : b.storedHdrText();
        return inject::writeHdrInfoframe(session, text);
    };
    sends.avi = [&] {
        const std::string text = avi ? checkedPacketText(PacketKind::Avi, *avi) : b.storedAviText();
        uint8_t imagePos33 = 0;
        return inject::sendAvi(session, text, true, imagePos33);
    };
    uint8_t image[config::kBlockSize] = {};
    const Outcome o = config::applySetting(b.box(), *s, change.write, image, sends);
    b.requireAccepted(o, what);
    b.requireWritten(o.done(), what);
    if (s->followUp == config::FollowUp::EdidRebuild) {
        // The window's own note on its status bar while the box rebuilds.
        b.box().message("EDID Writing Busy", 2000);
        b.requireDone(edid::waitEdidReady(session).outcome, what);
    }
}

std::vector<Command> boxCommands()
{
    std::vector<Command> rows = {
        {"list",
         "",
         "The attached devices: index, serial, product; [used] marks the box the commands use.",
         "",
         0,
         0,
         {},
         runList},
        {"settings",
         "[--raw]",
         "Every setting of the box's block by name, in the words \"set\" takes.",
         "",
         0,
         0,
         {{"raw", 0, nullptr, "print the 40 bytes of the block in hex instead"}},
         runSettings},
        {"set",
         "NAME VALUE [--hdr TEXT] [--avi TEXT]",
         "Change one setting as the window's control does.",
         "NAME: input, auto-switch, priority, audio, hdcp, edid-mode, edid-preset, edid-algo, edid-2ch,\n"
         "edid-51, edid-no3d, edid-hdr, edid-full-audio, edid-bt2020, edid-ycbcr, cec, cec-type,\n"
         "hdr-hotkey, force-hdr, hdr-style, avi-replace, green-led, blue-leds, out-420, avr-audio.\n"
         "VALUE: a number, on/off, or the window's text for it (\"PORT B [BOT]\", \"JACK\", \"CUSTOM\").\n"
         "edid-mode waits until the box has built its new EDID.",
         2,
         2,
         {{"hdr", 0, "TEXT", "force-hdr on: the HDR infoframe to send first (default: the one the box holds)"},
          {"avi", 0, "TEXT", "avi-replace on: the AVI infoframe to send first (default: the one the box holds)"}},
         runSet},
        {"reset",
         "settings|edid|all --yes",
         "Factory reset of the settings, the EDID side, or both.",
         "",
         1,
         1,
         {{"yes", 0, nullptr, "really reset"}},
         runReset},
    };
    const std::vector<Command> status = statusCommands();
    rows.insert(rows.begin() + 1, status.begin(), status.end());
    return rows;
}

} // namespace vantrel::cli
