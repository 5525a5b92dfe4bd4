// SPDX-License-Identifier: GPL-3.0-or-later
// The planner's answers in words and in JSON.
#include "chain_report.h"

#include "edid_report.h"
#include "text_report.h"

#include <algorithm>

namespace vantrel::chain {

namespace {

using report::format;

std::string joined(const std::vector<std::string> &v, const char *sep = ", ")
{
    std::string t;
    for (const std::string &s : v)
        t += (t.empty() ? "" : sep) + s;
    return t;
}

std::string hdcpText(unsigned v)
{
    return v == 22 ? "HDCP 2.2" : v == 14 ? "HDCP 1.4" : "no HDCP";
}

Json signalJson(const Signal &s)
{
    return Json{{"mode", modeJson(s.mode)}, {"format", formatKey(s.format)}, {"bpc", s.bpc}, {"hdr", eotfKey(s.eotf)},
                {"tmdsCharacterRateMHz", report::number(tmdsCharacterRateMHz(s))}};
}

Json linkJson(const LinkResult &l)
{
    Json j{{"link", linkKey(l.link)}, {"pass", l.pass}, {"reasons", l.reasons}, {"limitMHz", l.limitMHz}};
    if (l.arriving.format != Format::Rgb || l.rateMHz > 0) {
        j["arrivingFormat"] = formatKey(l.arriving.format);
        j["arrivingRateMHz"] = report::number(l.rateMHz);
    }
    return j;
}

const char *reachCell(bool top, bool bottom)
{
    return top && bottom ? "AB" : top ? "A" : bottom ? "B" : "-";
}

std::string fixLine(const Fix &f)
{
    std::string how;
    if (f.kind == FixKind::EdidEdit) {
        std::vector<std::string> args = f.arguments;
        // The sound table's extra formats go from a copy of it first.
        if (!f.prepare.empty()) {
            how = "vantrelctl edid edit SOUND.bin -o AUDIO.bin " + joined(f.prepare, " ") + "; ";
            for (std::string &a : args)
                if (a == "top" || a == "bottom")
                    a = "AUDIO.bin";
        }
        const char *base = f.base == LinkId::SourceBox ? "BOX" : f.base == LinkId::BoxTop ? "TOP" : "BOTTOM";
        how += "vantrelctl edid edit " + std::string(base) + ".bin -o FIX.bin" + (args.empty() ? "" : " " + joined(args, " "));
    } else
        for (size_t i = 0; i + 1 < f.arguments.size(); i += 2)
            how += (how.empty() ? "vantrelctl set " : "; vantrelctl set ") + f.arguments[i] + " " + f.arguments[i + 1];
    return "  fix (" + std::string(fixKindKey(f.kind)) + "): " + f.description + " [" + how + "]";
}

} // namespace

Json modeJson(const Mode &m)
{
    return Json{{"vic", m.vic ? Json(m.vic) : Json()},
                {"width", m.width},
                {"height", m.height},
                {"refreshHz", report::number(m.refreshHz)},
                {"pixelClockMHz", report::number(m.pixelClockMHz())},
                {"name", m.name},
                {"interlaced", m.interlaced},
                {"pixelRepetition", m.repetition}};
}

Json fixJson(const Fix &f)
{
    Json j{{"kind", fixKindKey(f.kind)}, {"description", f.description}, {"arguments", f.arguments}};
    if (f.kind == FixKind::EdidEdit)
        j["table"] = linkKey(f.base);
    if (!f.prepare.empty()) // on a copy of the --audio-from table, first
        j["prepare"] = f.prepare;
    return j;
}

std::string settingsText(const BoxSettings &s)
{
    return std::string("4:2:0 output ") + (s.out420 ? "on" : "off") + ", AVR test mode " + (s.avrAudio ? "on" : "off") +
           ", " + hdcpText(s.hdcp) + " (" + s.origin + ")";
}

std::string linkLimitsText(const Chain &chain, LinkId link)
{
    const std::optional<Table> &t = chain.table(link);
    if (!t)
        return link == LinkId::SourceBox ? "no table" : std::string("no display on ") + linkLabel(link);
    const SinkFacts &f = t->facts;
    std::vector<std::string> parts;
    parts.push_back(f.product + " (" + t->origin + ")");
    parts.push_back("up to " + std::to_string(f.limitMHz) + " MHz (" + f.limitFrom +
                    (f.limitAssumed ? ", no maximum given" : "") + ")");
    if (f.scdc)
        parts.push_back("SCDC");
    if (f.maxFrlRate)
        parts.push_back("FRL " + edid::frlText(f.maxFrlRate) + " (the box carries TMDS only)");
    if (f.dsc)
        parts.push_back("DSC");
    std::vector<std::string> hdr;
    if (f.eotfs & 0x04)
        hdr.push_back("PQ");
    if (f.eotfs & 0x08)
        hdr.push_back("HLG");
    if (f.dolbyVision)
        hdr.push_back("Dolby Vision");
    if (f.hdr10Plus)
        hdr.push_back("HDR10+");
    parts.push_back(hdr.empty() ? std::string("SDR only") : "HDR " + joined(hdr, "/"));
    if (link == LinkId::SourceBox)
        parts.push_back(hdcpText(chain.settings.hdcp) + (chain.inputHdcp ? ", " + hdcpText(chain.inputHdcp) + " in use" : ""));
    std::vector<std::string> audio;
    for (const AudioFormat &a : f.audio)
        if (std::find(audio.begin(), audio.end(), a.name) == audio.end())
            audio.push_back(a.name);
    parts.push_back(audio.empty() ? std::string("no audio") : "audio " + joined(audio));
    return joined(parts);
}

std::vector<std::string> checkText(const Chain &chain, const ModeCheck &c, const std::vector<Fix> &fixes)
{
    std::vector<std::string> lines;
    lines.push_back(signalText(c.signal) + ": " + mhzText(c.rateMHz) + " MHz TMDS character rate");
    for (const LinkResult &l : c.links) {
        std::string head = std::string(linkKey(l.link)) + ": ";
        if (!chain.table(l.link)) {
            lines.push_back(head + (l.reasons.empty() ? std::string("absent") : l.reasons.front()));
            continue;
        }
        head += std::string(l.pass ? "pass" : "FAIL") + " (" + std::to_string(l.limitMHz) + " MHz";
        if (l.arriving.format != c.signal.format)
            head += ", arrives as " + std::string(formatLabel(l.arriving.format)) + " at " + mhzText(l.rateMHz) + " MHz";
        lines.push_back(head + ")");
        for (const std::string &r : l.reasons)
            lines.push_back("  " + r);
    }
    lines.push_back(c.pass() ? std::string("Reaches ") + linkLabel(c.display) + "."
                             : std::string("Does not reach ") + linkLabel(c.display) + ": " + c.firstFailure());
    for (const Fix &f : fixes)
        lines.push_back(fixLine(f));
    return lines;
}

Json checkJson(const ModeCheck &c, const std::vector<Fix> &fixes)
{
    Json links = Json::array();
    for (const LinkResult &l : c.links)
        if (l.present)
            links.push_back(linkJson(l));
    Json fx = Json::array();
    for (const Fix &f : fixes)
        fx.push_back(fixJson(f));
    return Json{{"mode", modeJson(c.signal.mode)},
                {"format", formatKey(c.signal.format)},
                {"bpc", c.signal.bpc},
                {"hdr", eotfKey(c.signal.eotf)},
                {"tmdsCharacterRateMHz", report::number(c.rateMHz)},
                {"links", links},
                {"pass", c.pass()},
                {"display", linkKey(c.display)},
                {"reason", c.firstFailure()},
                {"fixes", fx}};
}

std::vector<std::string> planText(const Chain &chain, const Plan &plan)
{
    std::vector<std::string> lines;
    lines.push_back("Chain (" + settingsText(chain.settings) + "):");
    for (LinkId l : {LinkId::SourceBox, LinkId::BoxTop, LinkId::BoxBottom})
        lines.push_back(format("  %-11s %s", linkKey(l), linkLimitsText(chain, l).c_str()));
    lines.push_back("");
    lines.push_back("Modes (A: reaches TX A, B: reaches TX B, -: neither), MHz at 8-bit RGB:");
    std::string head = format("  %-22s %7s", "mode", "MHz");
    for (Format f : kFormats)
        head += format(" | %-11s", formatLabel(f) + (f == Format::Rgb ? 0 : 6));
    lines.push_back(head);
    lines.push_back(format("  %-22s %7s", "", "") + " |   8  10  12 |   8  10  12 |   8  10  12 |   8  10  12");
    for (size_t m = 0; m < plan.modes.size(); ++m) {
        std::string line = format("  %-22s %7s", plan.modes[m].name.c_str(), mhzText(plan.modes[m].pixelClockMHz()).c_str());
        for (size_t f = 0; f < kFormats.size(); ++f) {
            line += " |";
            for (size_t d = 0; d < kDepths.size(); ++d) {
                const Row &r = plan.rows[(m * kFormats.size() + f) * kDepths.size() + d];
                line += format(" %3s", reachCell(r.toTop, r.toBottom));
            }
        }
        lines.push_back(line);
    }
    lines.push_back("");
    lines.push_back("Best:");
    for (const Best &b : plan.best) {
        std::string t = std::string("  ") + linkLabel(b.output) + ": ";
        t += b.chainFound ? signalText(b.chain) + (b.hdr ? ", HDR (PQ) too" : "") : std::string("nothing reaches it");
        if (b.found)
            t += "; the display alone: " + signalText(b.alone);
        lines.push_back(t);
    }
    lines.push_back(std::string("  sound on ") + linkLabel(plan.audio.output) + ": " +
                    (plan.audio.best.empty() ? std::string("none") : plan.audio.best) +
                    (plan.audio.sinkBest.empty() ? std::string() : "; it decodes up to " + plan.audio.sinkBest));
    if (!plan.audio.undecoded.empty())
        lines.push_back("  offered to the source but not listed by " + std::string(linkLabel(plan.audio.output)) + ": " +
                        joined(plan.audio.undecoded));
    lines.push_back("");
    if (plan.losses.empty()) {
        lines.push_back("Losses: none");
        return lines;
    }
    lines.push_back("Losses:");
    for (const Loss &l : plan.losses) {
        lines.push_back(std::string("  ") + linkLabel(l.output) + ": " + l.from + " -> " + l.to +
                        (l.why.empty() ? std::string() : ": " + l.why));
        for (const Fix &f : l.fixes)
            lines.push_back("  " + fixLine(f));
        if (l.fixes.empty())
            lines.push_back("    no fix within what the box carries");
    }
    return lines;
}

Json planJson(const Chain &chain, const Plan &plan)
{
    Json links = Json::array();
    for (LinkId l : {LinkId::SourceBox, LinkId::BoxTop, LinkId::BoxBottom}) {
        const std::optional<Table> &t = chain.table(l);
        if (!t)
            continue;
        const SinkFacts &f = t->facts;
        std::vector<std::string> audio, hdr;
        for (const AudioFormat &a : f.audio)
            audio.push_back(a.name);
        for (const std::string &e : edid::eotfNames(f.eotfs))
            hdr.push_back(e);
        Json j{{"link", linkKey(l)},
               {"table", t->origin},
               {"product", f.product},
               {"limitMHz", f.limitMHz},
               {"limitFrom", f.limitFrom},
               {"scdc", f.scdc},
               {"maxFrlRate", f.maxFrlRate},
               {"dsc", f.dsc},
               {"eotfs", hdr},
               {"dolbyVision", f.dolbyVision},
               {"hdr10Plus", f.hdr10Plus},
               {"audio", audio}};
        if (l == LinkId::SourceBox)
            j["hdcp"] = chain.settings.hdcp ? Json(chain.settings.hdcp == 22 ? "2.2" : "1.4") : Json();
        links.push_back(j);
    }
    Json best = Json::array();
    for (const Best &b : plan.best)
        best.push_back(Json{{"output", linkKey(b.output)},
                            {"best", b.chainFound ? signalJson(b.chain) : Json()},
                            {"hdr", b.hdr},
                            {"displayAlone", b.found ? signalJson(b.alone) : Json()}});
    Json rows = Json::array();
    for (const Row &r : plan.rows)
        rows.push_back(Json{{"mode", r.signal.mode.name},
                            {"vic", r.signal.mode.vic ? Json(r.signal.mode.vic) : Json()},
                            {"format", formatKey(r.signal.format)},
                            {"bpc", r.signal.bpc},
                            {"tmdsCharacterRateMHz", report::number(r.rateMHz)},
                            {"top", chain.top ? Json(r.toTop) : Json()},
                            {"bottom", chain.bottom ? Json(r.toBottom) : Json()},
                            {"reason", r.reason}});
    Json losses = Json::array();
    for (const Loss &l : plan.losses) {
        Json fx = Json::array();
        for (const Fix &f : l.fixes)
            fx.push_back(fixJson(f));
        losses.push_back(Json{{"output", linkKey(l.output)},
                              {"kind", l.kind},
                              {"from", l.from},
                              {"to", l.to},
                              {"reason", l.why},
                              {"fixes", fx}});
    }
    const BoxSettings &s = chain.settings;
    return Json{{"settings", Json{{"out420", s.out420}, {"avrAudio", s.avrAudio}, {"hdcp", s.hdcp}, {"from", s.origin}}},
                {"links", links},
                {"best", best},
                {"audio", Json{{"output", linkKey(plan.audio.output)},
                               {"best", plan.audio.best},
                               {"sinkBest", plan.audio.sinkBest},
                               {"offered", plan.audio.offered},
                               {"notListed", plan.audio.undecoded}}},
                {"rows", rows},
                {"losses", losses}};
}

} // namespace vantrel::chain
