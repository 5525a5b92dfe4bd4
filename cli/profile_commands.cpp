// SPDX-License-Identifier: GPL-3.0-or-later
// profile save, show, diff and apply: the box's whole set-up as a file.
#include "cli_error.h"
#include "commands.h"
#include "edid_input.h"

#include "apply_setting.h"
#include "edid_import.h"
#include "utc_time.h"
#include "edid_transfer.h"
#include "injection.h"
#include "profile_apply.h"
#include "profile_read.h"
#include "setting_commands.h"
#include "setting_values.h"
#include "text_report.h"

namespace vantrel::cli {

namespace {

using report::format;
using namespace vantrel::profile;

BoxFacts readFacts(BoxConnection &b)
{
    Session s = b.session();
    const FactsRead read = readBoxFacts(s);
    if (!read.outcome.done())
        throw CliError{kExitExchange, read.outcome.message};
    return read.facts;
}

Profile loadProfile(const std::string &path)
{
    const std::vector<uint8_t> raw = readBounded(path, kMaxFileSize);
    if (raw.size() > kMaxFileSize)
        throw CliError{kExitFailed, path + " is larger than a profile can be"};
    if (raw.empty())
        throw CliError{kExitFailed, path + " is empty"};
    const ReadResult r = readProfile(std::string_view(reinterpret_cast<const char *>(raw.data()), raw.size()));
    if (!r.ok)
        throw CliError{kExitFailed, path + ": " + r.error};
    for (const std::string &w : r.warnings)
        std::fprintf(stderr, "vantrelctl: warning: %s: %s\n", path.c_str(), w.c_str());
    return r.profile;
}

// A profile the box would refuse in part is refused whole (status 1), every
// problem named, before anything is read from or written to the box.
void requireApplicable(const std::string &path, const Profile &p)
{
    std::string list;
    for (const std::string &problem : profileProblems(p))
        list += (list.empty() ? "" : "; ") + problem;
    if (!list.empty())
        throw CliError{kExitFailed, path + " cannot go on a box as it is: " + list};
}

Json changeRow(const Change &c)
{
    return Json{{"section", c.section}, {"name", c.name}, {"box", c.before}, {"profile", c.after}};
}

std::string changeText(const Change &c)
{
    return c.name + ": " + (c.before.empty() ? "(unknown)" : c.before) + " -> " + c.after;
}

// The box operations, as the tool's own commands do them.
class BoxTarget : public Target {
public:
    explicit BoxTarget(BoxConnection &b) : b_(b) {}

    Outcome setSetting(const config::Setting &s, uint8_t value, const Profile &wanted) override
    {
        return attempt([&] {
            const std::optional<config::RegisterWrite> write = config::writeFor(s, value);
            if (!write)
                throw CliError{kExitFailed, std::string("no register write for ") + s.cliName};
            // The profile's own infoframes go out before FORCE HDR or REPLACE AVI.
            changeSetting(b_, {&s, value, *write}, wanted.hdrInfoframe, wanted.aviInfoframe);
        });
    }
    Outcome sendHdrInfoframe(const std::string &text) override
    {
        return attempt([&] {
            Session session = b_.session();
            b_.requireDone(inject::writeHdrInfoframe(session, checkedPacketText(PacketKind::Hdr, text)),
                           "the HDR infoframe");
        });
    }
    Outcome sendAviInfoframe(const std::string &text) override
    {
        return attempt([&] {
            // Loading the AVI infoframe also writes REPLACE AVI: keep what the box has.
            const bool replace = b_.readSettings()[size_t(config::findSetting("avi-replace")->position)] == 1;
            Session session = b_.session();
            uint8_t pos33 = 0;
            b_.requireDone(inject::sendAvi(session, checkedPacketText(PacketKind::Avi, text), replace, pos33),
                           "the AVI infoframe");
        });
    }
    Outcome writeCustomEdid(const std::vector<uint8_t> &table) override
    {
        return attempt([&] {
            const std::string problem = customTableProblem(table);
            if (!problem.empty())
                throw CliError{kExitFailed, problem};
            edid::EdidImage image{};
            std::copy(table.begin(), table.end(), image.begin());
            Session session = b_.session();
            b_.requireWritten(edid::uploadEdid(session, image).done(), "the EDID upload");
        });
    }
    Outcome storeCec(bool longPress, const std::string &text) override
    {
        return attempt([&] {
            Session session = b_.session();
            b_.requireDone(inject::saveCecCommand(session, longPress ? frame::kStoreCecLp : frame::kStoreCecSp,
                                                  checkedPacketText(PacketKind::Cec, text)),
                           "storing the CEC command");
        });
    }
    FactsRead read() override
    {
        Session s = b_.session();
        return readBoxFacts(s);
    }

private:
    template <typename F>
    Outcome attempt(F &&f)
    {
        try {
            f();
            return {};
        } catch (const CliError &e) {
            return {e.status == kExitExchange ? Verdict::Failed : Verdict::Refused, e.message};
        }
    }

    BoxConnection &b_;
};

Sections sectionsOf(const Invocation &inv)
{
    if (!inv.isSet("only"))
        return Sections{};
    std::string error;
    const std::optional<Sections> s = Sections::parse(inv.value("only"), error);
    if (!s)
        usageError(error);
    return *s;
}

int runSave(Invocation &inv)
{
    const std::string path = inv.args[0];
    BoxConnection b(inv.link);
    Profile p = profileOf(readFacts(b), utcNowText());
    if (inv.isSet("cec-sp"))
        p.cecSp = checkedPacketText(PacketKind::Cec, inv.value("cec-sp"));
    if (inv.isSet("cec-lp"))
        p.cecLp = checkedPacketText(PacketKind::Cec, inv.value("cec-lp"));
    const std::string text = writeProfile(p);
    if (path == "-")
        writeStdout(text);
    else
        writeFileAtomically(path, std::vector<uint8_t>(text.begin(), text.end()));
    const char *cec = p.cecSp && p.cecLp ? ", the CEC SP and LP texts"
                      : p.cecSp          ? ", the CEC SP text"
                      : p.cecLp          ? ", the CEC LP text"
                                         : "";
    inv.out.line(format("%zu settings%s, the stored infoframes%s saved to %s", p.settings.size(),
                        p.customEdid ? ", the custom EDID" : "", cec, path.c_str()));
    inv.out.set("file", path);
    inv.out.set("settings", p.settings.size());
    inv.out.set("customEdid", p.customEdid.has_value());
    return kExitOk;
}

int runShow(Invocation &inv)
{
    const Profile p = loadProfile(inv.args[0]);
    inv.out.line("box " + (p.serial.empty() ? "?" : p.serial) + ", firmware " +
                 (p.firmware.empty() ? "?" : p.firmware) + ", saved " + (p.saved.empty() ? "?" : p.saved));
    for (const auto &[name, value] : p.settings)
        inv.out.line(format("%-16s %s", name.c_str(), value.c_str()));
    if (p.customEdid)
        inv.out.line(format("%-16s %zu bytes", "custom-table", p.customEdid->size()));
    for (const auto &[name, text] : {std::pair{"hdr-infoframe", &p.hdrInfoframe},
                                     {"avi-infoframe", &p.aviInfoframe},
                                     {"cec-sp", &p.cecSp},
                                     {"cec-lp", &p.cecLp}})
        if (*text)
            inv.out.line(format("%-16s %s", name, (*text)->c_str()));
    inv.out.set("profile", report::readJson(writeProfile(p)).doc);
    requireApplicable(inv.args[0], p);
    return kExitOk;
}

int runDiff(Invocation &inv)
{
    const Profile wanted = loadProfile(inv.args[0]);
    BoxConnection b(inv.link);
    Sections only = sectionsOf(inv);
    only.cec = false; // the box cannot report its CEC texts
    const std::vector<Change> changes = differences(profileOf(readFacts(b), ""), wanted, only);
    Json rows = Json::array();
    for (const Change &c : changes) {
        inv.out.line(changeText(c));
        rows.push_back(changeRow(c));
    }
    if (changes.empty())
        inv.out.line("the box holds what the profile holds");
    inv.out.set("equal", changes.empty());
    inv.out.set("changes", rows);
    return changes.empty() ? kExitOk : kExitFailed;
}

int runApply(Invocation &inv)
{
    const Profile wanted = loadProfile(inv.args[0]);
    const bool dryRun = inv.isSet("dry-run");
    if (!dryRun && !inv.isSet("yes"))
        usageError("profile apply changes the box; add --yes to do it, or --dry-run to see what it would change");
    requireApplicable(inv.args[0], wanted);
    BoxConnection b(inv.link);
    BoxTarget target(b);
    const ApplyReport r = applyProfile(target, wanted, sectionsOf(inv), dryRun);
    Json steps = Json::array();
    for (const Step &s : r.steps) {
        inv.out.line(format("%-8s %s%s", stateWord(s.state), changeText(s.change).c_str(),
                            s.reason.empty() ? "" : (" (" + s.reason + ")").c_str()));
        Json row = changeRow(s.change);
        row["state"] = stateWord(s.state);
        row["reason"] = s.reason.empty() ? Json() : Json(s.reason);
        steps.push_back(row);
    }
    if (r.steps.empty() && r.error.empty())
        inv.out.line("nothing to change: the box holds what the profile holds");
    inv.out.set("dryRun", dryRun);
    inv.out.set("steps", steps);
    if (r.failed) {
        std::string message = r.error;
        if (!dryRun)
            message += "; " + appliedSummary(r);
        throw CliError{kExitExchange, message};
    }
    return kExitOk;
}

} // namespace

std::vector<Command> profileCommands()
{
    return {
        {"profile save",
         "FILE [--cec-sp TEXT] [--cec-lp TEXT]",
         "Save the box's whole set-up to a profile file (\"-\": standard output).",
         "Every setting by the names \"set\" takes, the custom EDID when the box is in custom mode, the stored\n"
         "HDR and AVI infoframes. The box cannot report the CEC button texts: give them with --cec-sp/--cec-lp.",
         1,
         1,
         {{"cec-sp", 0, "TEXT", "the SP button's CEC command to keep in the profile"},
          {"cec-lp", 0, "TEXT", "the LP button's CEC command to keep in the profile"}},
         runSave},
        {"profile show", "FILE", "What a profile file holds.", "", 1, 1, {}, runShow},
        {"profile diff",
         "FILE [--only LIST]",
         "What differs between the box and a profile; exit status 0 when equal, 1 when they differ.",
         "LIST: settings, edid, infoframes (comma separated).",
         1,
         1,
         {{"only", 0, "LIST", "compare only these parts"}},
         runDiff},
        {"profile apply",
         "FILE --yes|--dry-run [--only LIST]",
         "Put a profile on the box: only what differs, checked by reading the box back.",
         "Writes in an order the box accepts (the infoframes, then settings that unlock others, the rest,\n"
         "the custom table in custom mode, the CEC texts). A setting the box locks is skipped and named.\n"
         "The first step that fails stops the apply (exit status 4) and says what was and was not applied.\n"
         "LIST: settings, edid, infoframes, cec (comma separated).",
         1,
         1,
         {{"yes", 0, nullptr, "really write to the box"},
          {"dry-run", 'n', nullptr, "only say what would be written"},
          {"only", 0, "LIST", "apply only these parts"}},
         runApply},
    };
}

} // namespace vantrel::cli
