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

#include <QJsonArray>

#include <cstring>

namespace vantrel::cli {

namespace {

QString latin1(const std::string &text) { return QString::fromLatin1(text.c_str()); }

int runList(Invocation &inv)
{
    const UsbApi *api = chooseApi(inv.link);
    DWORD count = 0;
    if (api->GetNumDevices(&count) != SI_SUCCESS || count == 0)
        throw CliError{kExitNoBox, "no device attached"};
    QJsonArray devices;
    bool chosen = false;
    // Nobody should take the simulated box for a real one.
    const bool simulated = isSimulatedBox(api);
    for (DWORD i = 0; i < count; ++i) {
        char serial[SI_MAX_DEVICE_STRLEN + 1] = {};
        char product[SI_MAX_DEVICE_STRLEN + 1] = {};
        const bool serialRead = api->GetProductString(i, serial, SI_RETURN_SERIAL_NUMBER) == SI_SUCCESS;
        api->GetProductString(i, product, SI_RETURN_DESCRIPTION);
        // The window and every command use the first device with this serial.
        const bool used = serialRead && !chosen && std::strcmp(serial, "2023") == 0;
        chosen = chosen || used;
        inv.out.line(QStringLiteral("%1  %2  %3%4%5")
                         .arg(i)
                         .arg(serialRead ? QString::fromLatin1(serial) : QStringLiteral("(serial not readable)"),
                              QString::fromLatin1(product), simulated ? QStringLiteral(" (simulated)") : QString(),
                              used ? QStringLiteral("  [used]") : QString()));
        QJsonObject d;
        d.insert(QStringLiteral("index"), int(i));
        d.insert(QStringLiteral("serial"), serialRead ? QJsonValue(QString::fromLatin1(serial)) : QJsonValue());
        d.insert(QStringLiteral("product"), QString::fromLatin1(product));
        d.insert(QStringLiteral("used"), used);
        d.insert(QStringLiteral("simulated"), simulated);
        devices.append(d);
    }
    inv.out.set(QStringLiteral("devices"), devices);
    return kExitOk;
}

QString hexBytes(const uint8_t *bytes, size_t count)
{
    QString text;
    for (size_t i = 0; i < count; ++i)
        text += QString::asprintf(i ? " %02X" : "%02X", bytes[i]);
    return text;
}

int runSettings(Invocation &inv)
{
    BoxConnection b(inv.link);
    const auto block = b.readSettings();
    const QString raw = hexBytes(block.data(), block.size());
    QJsonArray rows;
    for (const config::Setting &s : config::settingsTable()) {
        if (s.kind == config::Kind::Unused)
            continue;
        const uint8_t v = block[size_t(s.position)];
        QJsonObject row;
        row.insert(QStringLiteral("position"), s.position);
        row.insert(QStringLiteral("value"), v);
        if (s.cliName) {
            const QString text = latin1(config::describeValue(s, v));
            row.insert(QStringLiteral("name"), QString::fromLatin1(s.cliName));
            row.insert(QStringLiteral("text"), text);
            if (!inv.isSet(QStringLiteral("raw")))
                inv.out.line(QStringLiteral("%1 %2").arg(QString::fromLatin1(s.cliName), -16).arg(text));
        } else {
            // The box's own permission flags: shown, never set.
            const QString text = v == 1 ? QStringLiteral("yes") : QStringLiteral("no");
            row.insert(QStringLiteral("caption"), QString::fromLatin1(s.caption));
            row.insert(QStringLiteral("text"), text);
            if (!inv.isSet(QStringLiteral("raw")))
                inv.out.line(QStringLiteral("# %1: %2").arg(QString::fromLatin1(s.caption), text));
        }
        rows.append(row);
    }
    if (inv.isSet(QStringLiteral("raw")))
        inv.out.line(raw);
    inv.out.set(QStringLiteral("settings"), rows);
    inv.out.set(QStringLiteral("raw"), raw);
    return kExitOk;
}

void settingsOptions(QCommandLineParser &p)
{
    p.addOption({QStringLiteral("raw"), QStringLiteral("Print the 40 bytes of the block in hex instead.")});
}

// The widgets a setting's value shows in.
std::vector<std::string> widgetsOf(const config::Setting &s)
{
    std::vector<std::string> names(s.objects.begin(), s.objects.end());
    for (const config::Option &o : s.options)
        names.emplace_back(o.object);
    return names;
}

bool mentions(const std::vector<const char *> &list, const std::vector<std::string> &names)
{
    for (const char *item : list)
        for (const std::string &n : names)
            if (n == item)
                return true;
    return false;
}

// The settings whose values enable or disable the window's controls for s:
// the box's permission flags and settings with dependents (auto-switch).
std::vector<const config::Setting *> gatesOf(const config::Setting &s)
{
    const std::vector<std::string> widgets = widgetsOf(s);
    std::vector<const config::Setting *> gates;
    for (const config::Setting &other : config::settingsTable())
        if ((other.kind == config::Kind::EnableFlag && mentions(other.objects, widgets)) ||
            mentions(other.dependents, widgets))
            gates.push_back(&other);
    return gates;
}

// What keeps those controls disabled on this block, or empty.
std::string lockOf(const std::vector<const config::Setting *> &gates,
                   const std::array<uint8_t, config::kBlockSize> &block)
{
    for (const config::Setting *gate : gates) {
        const uint8_t v = block[size_t(gate->position)];
        if (gate->kind == config::Kind::EnableFlag && v != 1)
            return std::string("the box does not allow it (\"") + gate->caption + "\" is no)";
        if (gate->kind != config::Kind::EnableFlag && !config::dependentsEnabled(*gate, v))
            return std::string("it applies only while ") + gate->cliName + " is " +
                   config::describeValue(*gate, uint8_t(gate->enabledAt));
    }
    return {};
}

std::optional<config::RegisterWrite> writeFor(const config::Setting &s, uint8_t value)
{
    if (s.kind == config::Kind::Selector)
        return config::selectorWrite(s, int(value) - s.listBase);
    // The controls as a click that leaves the value showing would leave them.
    return config::commandWrite(s, [&](const char *object) {
        if (s.kind == config::Kind::CheckBox)
            return value == 1 && std::strcmp(object, s.objects.front()) == 0;
        const config::Option *o = s.optionFor(value);
        return o && std::strcmp(object, o->object) == 0;
    });
}

int runSet(Invocation &inv)
{
    const std::string name = inv.args[0].toStdString();
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
    const config::ParsedValue parsed = config::parseSettingValue(*s, inv.args[1].toStdString());
    if (!parsed.ok)
        usageError(parsed.error);
    if ((inv.isSet(QStringLiteral("hdr")) && s->followUp != config::FollowUp::SendHdrInfoframe) ||
        (inv.isSet(QStringLiteral("avi")) && s->followUp != config::FollowUp::SendAviInfoframe))
        usageError("--hdr goes with force-hdr, --avi with avi-replace");
    const std::optional<config::RegisterWrite> write = writeFor(*s, parsed.value);
    if (!write)
        usageError(std::string("no register write for ") + s->cliName);

    BoxConnection b(inv.link);
    const std::vector<const config::Setting *> gates = gatesOf(*s);
    if (!gates.empty()) {
        const std::string lock = lockOf(gates, b.readSettings());
        if (!lock.empty())
            throw CliError{kExitFailed, std::string(s->cliName) + " cannot be changed now: " + lock};
    }
    b.clearOutcome();
    Session session = b.session();
    config::FollowUpSends sends;
    sends.hdr = [&] {
        const std::string text = inv.isSet(QStringLiteral("hdr")) ? inv.value(QStringLiteral("hdr")).toStdString()
                                                                   : b.storedHdrText();
        inject::writeHdrInfoframe(session, text);
        // A text the send refused leaves the box untouched: no half-done change.
        b.requireAccepted(std::string("setting ") + s->cliName);
        return true;
    };
    sends.avi = [&] {
        const std::string text = inv.isSet(QStringLiteral("avi")) ? inv.value(QStringLiteral("avi")).toStdString()
                                                                   : b.storedAviText();
        uint8_t imagePos33 = 0;
        inject::sendAvi(session, text, true, imagePos33);
        b.requireAccepted(std::string("setting ") + s->cliName);
        return true;
    };
    uint8_t image[config::kBlockSize] = {};
    const bool written = config::applySetting(b.box(), *s, *write, image, sends) == config::ApplyResult::Written;
    b.require(written, std::string("setting ") + s->cliName + " failed");
    if (s->followUp == config::FollowUp::EdidRebuild) {
        // The window's own note on its status bar while the box rebuilds.
        b.box().message("EDID Writing Busy", 2000);
        b.require(edid::waitEdidReady(session) < edid::kMaxBusyReads, "the box is still busy building its EDID");
    }
    b.requireDone(std::string("setting ") + s->cliName);

    const QString text = latin1(config::describeValue(*s, parsed.value));
    inv.out.line(QStringLiteral("%1 %2").arg(QString::fromLatin1(s->cliName), -16).arg(text));
    inv.out.set(QStringLiteral("name"), QString::fromLatin1(s->cliName));
    inv.out.set(QStringLiteral("value"), parsed.value);
    inv.out.set(QStringLiteral("text"), text);
    return kExitOk;
}

void setOptions(QCommandLineParser &p)
{
    p.addOption({QStringLiteral("hdr"),
                 QStringLiteral("force-hdr on: the HDR infoframe to send first (default: the one the box holds)."),
                 QStringLiteral("TEXT")});
    p.addOption({QStringLiteral("avi"),
                 QStringLiteral("avi-replace on: the AVI infoframe to send first (default: the one the box holds)."),
                 QStringLiteral("TEXT")});
}

int runReset(Invocation &inv)
{
    const QString what = inv.args[0];
    const bool settings = what == QLatin1String("settings") || what == QLatin1String("all");
    const bool edid = what == QLatin1String("edid") || what == QLatin1String("all");
    if (!settings && !edid)
        usageError("reset takes settings, edid or all, not \"" + what.toStdString() + "\"");
    if (!inv.isSet(QStringLiteral("yes")))
        usageError("reset " + what.toStdString() + " puts the box back to its factory state; add --yes to do it");
    BoxConnection b(inv.link);
    const uint8_t value = *config::factoryResetValue(settings, edid);
    // Done only when the box acknowledged it.
    b.box().WriteRegister(config::kFactoryResetRegister, value);
    b.requireDone("the reset");
    inv.out.line(QStringLiteral("reset %1 done").arg(what));
    inv.out.set(QStringLiteral("reset"), what);
    inv.out.set(QStringLiteral("value"), value);
    return kExitOk;
}

void resetOptions(QCommandLineParser &p)
{
    p.addOption({QStringLiteral("yes"), QStringLiteral("Really reset.")});
}

} // namespace

std::vector<Command> boxCommands()
{
    std::vector<Command> rows = {
        {"list", "", "The attached devices: index, serial, product; [used] marks the box the commands use.", "",
         0, 0, nullptr, runList},
        {"settings", "[--raw]", "Every setting of the box's block by name, in the words \"set\" takes.", "",
         0, 0, settingsOptions, runSettings},
        {"set", "NAME VALUE [--hdr TEXT] [--avi TEXT]", "Change one setting as the window's control does.",
         "NAME: input, auto-switch, priority, audio, hdcp, edid-mode, edid-preset, edid-algo, edid-2ch,\n"
         "edid-51, edid-no3d, edid-hdr, edid-full-audio, edid-bt2020, edid-ycbcr, cec, cec-type,\n"
         "hdr-hotkey, force-hdr, hdr-style, avi-replace, green-led, blue-leds, out-420, avr-audio.\n"
         "VALUE: a number, on/off, or the window's text for it (\"PORT B [BOT]\", \"JACK\", \"CUSTOM\").\n"
         "edid-mode waits until the box has built its new EDID.",
         2, 2, setOptions, runSet},
        {"reset", "settings|edid|all --yes", "Factory reset of the settings, the EDID side, or both.", "",
         1, 1, resetOptions, runReset},
    };
    const std::vector<Command> status = statusCommands();
    rows.insert(rows.begin() + 1, status.begin(), status.end());
    return rows;
}

} // namespace vantrel::cli
