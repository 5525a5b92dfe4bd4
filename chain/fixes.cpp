// SPDX-License-Identifier: GPL-3.0-or-later
// The fixes for a signal that misses its output: a box setting, the
// designer's edits to a table uploaded as the custom EDID, a fixed preset.
// Each is tried on a copy of the chain and offered only when it works there.
#include "chain_plan.h"

#include "edid_report.h"

namespace vantrel::chain {

namespace {

bool reaches(const Chain &c, const Signal &s, LinkId output)
{
    const ModeCheck m = checkMode(c, s);
    return output == LinkId::BoxTop ? m.toTop : m.toBottom;
}

std::string reachText(const Chain &c, const Signal &s, LinkId output)
{
    const ModeCheck m = checkMode(c, s);
    const LinkResult &l = m.links[output == LinkId::BoxTop ? 1 : 2];
    return signalText(l.arriving) + " (" + mhzText(l.rateMHz) + " MHz) reaches " + linkLabel(output);
}

// The table the chain presents in place of the box's.
Chain withBoxTable(const Chain &c, const std::vector<uint8_t> &bytes)
{
    Chain d = c;
    d.box = Table{"edited", bytes, sinkFacts(edid::decodeEdid(bytes))};
    return d;
}

// The best way the source may send the mode through the chain to the output.
std::optional<Signal> bestWay(const Chain &c, const Signal &s, LinkId output)
{
    for (unsigned bpc : {12u, 10u, 8u})
        for (Format f : kFormats) {
            Signal t = s;
            t.format = f;
            t.bpc = bpc;
            if (reaches(c, t, output))
                return t;
        }
    return std::nullopt;
}

const char *tableWord(LinkId l)
{
    return l == LinkId::BoxTop ? "top" : l == LinkId::BoxBottom ? "bottom" : "box";
}

} // namespace

const char *fixKindKey(FixKind k)
{
    switch (k) {
    case FixKind::EdidEdit: return "edid-edit";
    case FixKind::Setting: return "setting";
    case FixKind::Preset: return "preset";
    }
    return "";
}

std::vector<Fix> fixesFor(const Chain &chain, const Signal &s, LinkId output)
{
    std::vector<Fix> fixes;
    if (!chain.table(output))
        return fixes;
    const double rate = tmdsCharacterRateMHz(s);

    if (output == LinkId::BoxTop && !chain.settings.out420 &&
        (s.format == Format::Rgb || s.format == Format::Ycbcr444) && rate > kOut420AboveMHz) {
        Chain c = chain;
        c.settings.out420 = true;
        if (reaches(c, s, output))
            fixes.push_back({FixKind::Setting, "Turn 4:2:0 output on: " + reachText(c, s, output) + ", TX B gets the input as it is.",
                             {"out-420", "on"}, LinkId::SourceBox, {}, {}, {}});
    }

    // A 4:2:0 picture the source may send as RGB or 4:4:4, converted for TX A.
    if (output == LinkId::BoxTop && !chain.settings.out420 && s.format == Format::Ycbcr420) {
        Chain c = chain;
        c.settings.out420 = true;
        for (Format f : {Format::Rgb, Format::Ycbcr444}) {
            Signal sent = s;
            sent.format = f;
            if (tmdsCharacterRateMHz(sent) > kOut420AboveMHz && reaches(c, sent, output)) {
                fixes.push_back({FixKind::Setting,
                                 "Turn 4:2:0 output on: the source sends " + signalText(sent) + " and " +
                                     reachText(c, sent, output) + ", TX B gets the input as it is.",
                                 {"out-420", "on"}, LinkId::SourceBox, {}, {}, {}});
                break;
            }
        }
    }

    // The display's own table as the custom EDID, with the sound of the
    // output that carries it and within what the box carries.
    const Table &display = *chain.table(output);
    if (!display.bytes.empty() && (!chain.box || chain.box->bytes != display.bytes)) {
        edid::edit::EditList edits;
        std::vector<std::string> args;
        std::string extra;
        const LinkId audio = audioOutput(chain);
        const std::optional<Table> &sound = chain.table(audio);
        if (audio != output && sound && !sound->bytes.empty() && !sound->facts.audio.empty()) {
            edits.audioFrom = sound->bytes;
            args = {"--audio-from", tableWord(audio)};
            extra = std::string(" with ") + linkLabel(audio) + "'s audio";
        }
        if (display.facts.limitMHz > kBoxMaxMHz) {
            edits.maxTmdsMHz = kBoxMaxMHz;
            args.push_back("--max-tmds");
            args.push_back(std::to_string(kBoxMaxMHz));
            extra += ", capped at " + std::to_string(kBoxMaxMHz) + " MHz";
        }
        const edid::edit::EditResult r = edid::edit::applyEdits(display.bytes, edits, false);
        if (r.ok) {
            const Chain c = withBoxTable(chain, r.bytes);
            if (reaches(c, s, output))
                fixes.push_back({FixKind::EdidEdit,
                                 std::string("Present ") + linkLabel(output) + "'s own table" + extra +
                                     " as the custom EDID: " + reachText(c, s, output) + ".",
                                 args, output, edits, r.bytes, {}});
        }
    }

    // The source is offered what the output takes: cap the box's table.
    const unsigned limit = chain.table(output)->facts.limitMHz;
    if (chain.box && !chain.box->bytes.empty() && rate > limit && chain.box->facts.limitMHz > limit) {
        edid::edit::EditList edits;
        edits.maxTmdsMHz = limit;
        const edid::edit::EditResult r = edid::edit::applyEdits(chain.box->bytes, edits, false);
        if (r.ok) {
            const Chain c = withBoxTable(chain, r.bytes);
            if (const auto way = bestWay(c, s, output))
                fixes.push_back({FixKind::EdidEdit,
                                 "Cap the box's table at " + std::to_string(limit) + " MHz: the source then sends " +
                                     s.mode.name + " as " + signalText(*way).substr(s.mode.name.size() + 1) + ", and " +
                                     reachText(c, *way, output) + ".",
                                 {"--max-tmds", std::to_string(limit)}, LinkId::SourceBox, edits, r.bytes, {}});
        }
    }

    // The first fixed preset, largest first, under which it arrives.
    for (const Preset &p : presets()) {
        Chain c = chain;
        c.box = Table{"preset " + std::to_string(p.number), {}, p.facts};
        if (reaches(c, s, output)) {
            fixes.push_back({FixKind::Preset,
                             "Use fixed preset \"" + p.name + "\": " + reachText(c, s, output) + ".",
                             {"edid-mode", "fixed", "edid-preset", std::to_string(p.number)}, LinkId::SourceBox, {}, {}, {}});
            break;
        }
    }
    return fixes;
}

std::vector<Fix> fixesFor(const Chain &chain, const Signal &s)
{
    return fixesFor(chain, s, displayOutput(chain));
}

} // namespace vantrel::chain
