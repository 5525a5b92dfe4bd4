// SPDX-License-Identifier: GPL-3.0-or-later
// What one table takes of a signal, and the signal through the whole chain.
#include "chain_model.h"

#include <algorithm>

namespace vantrel::chain {

namespace {

std::string whose(LinkId link, const SinkFacts &sink)
{
    const std::string label = link == LinkId::SourceBox ? "The box's table" : linkLabel(link) + std::string("'s ");
    if (link == LinkId::SourceBox)
        return label + (sink.product.empty() ? std::string() : " (" + sink.product + ")");
    return label + (sink.product.empty() ? std::string("display") : sink.product);
}

const ListedVic *listedVic(const SinkFacts &sink, unsigned vic)
{
    for (const ListedVic &l : sink.vics)
        if (l.vic == vic)
            return &l;
    return nullptr;
}

bool listsTiming(const SinkFacts &sink, const Mode &m)
{
    for (const Mode &t : sink.timings)
        if (t.sameTiming(m))
            return true;
    // A detailed timing the sink lists by its code.
    for (const ListedVic &l : sink.vics)
        if (!l.only420 && vicMode(l.vic).sameTiming(m))
            return true;
    return false;
}

void checkListing(const std::string &who, const SinkFacts &sink, const Signal &s, std::vector<std::string> &reasons)
{
    const ListedVic *v = s.mode.vic ? listedVic(sink, s.mode.vic) : nullptr;
    const bool timing = listsTiming(sink, s.mode);
    if (s.format == Format::Ycbcr420) {
        if (!v || !(v->only420 || v->also420))
            reasons.push_back(who + " does not take " + s.mode.name + " as YCbCr 4:2:0.");
        return;
    }
    if (v && v->only420 && !timing)
        reasons.push_back(who + " lists " + s.mode.name + " for YCbCr 4:2:0 only.");
    else if (!v && !timing)
        reasons.push_back(who + " does not list " + s.mode.name + ".");
}

void checkFormat(const std::string &who, const SinkFacts &sink, const Signal &s, std::vector<std::string> &reasons)
{
    if (!sink.hdmi) {
        if (s.format != Format::Rgb)
            reasons.push_back(who + " is a DVI sink (no HDMI block) and takes RGB only.");
        if (s.bpc > 8)
            reasons.push_back(who + " is a DVI sink (no HDMI block) and takes 8 bits per colour only.");
        return;
    }
    if (s.format == Format::Ycbcr444 && !sink.ycbcr444)
        reasons.push_back(who + " does not take YCbCr 4:4:4.");
    if (s.format == Format::Ycbcr422 && !sink.ycbcr422)
        reasons.push_back(who + " does not take YCbCr 4:2:2.");
    if (s.bpc <= 8 || s.format == Format::Ycbcr422)
        return;
    const std::string depth = std::to_string(s.bpc) + "-bit ";
    if (s.format == Format::Ycbcr420) {
        if (!(s.bpc == 10 ? sink.dc30_420 : sink.dc36_420))
            reasons.push_back(who + " does not take " + depth + "YCbCr 4:2:0 (" +
                              (s.bpc == 10 ? "DC_30bit_420" : "DC_36bit_420") + " not set).");
        return;
    }
    if (!(s.bpc == 10 ? sink.dc30 : sink.dc36))
        reasons.push_back(who + " does not take " + depth + "colour (" + (s.bpc == 10 ? "DC_30bit" : "DC_36bit") +
                          " not set).");
    else if (s.format == Format::Ycbcr444 && !sink.dcY444)
        reasons.push_back(who + " takes deep colour in RGB only (DC_Y444 not set).");
}

} // namespace

LinkResult checkLink(LinkId link, const SinkFacts &sink, const Signal &s)
{
    LinkResult r;
    r.link = link;
    r.present = true;
    r.arriving = s;
    r.rateMHz = tmdsCharacterRateMHz(s);
    r.limitMHz = sink.limitMHz;
    const std::string who = whose(link, sink);
    checkListing(who, sink, s, r.reasons);
    checkFormat(who, sink, s, r.reasons);
    // The rate's sentence, with its figures, goes first.
    if (r.rateMHz > sink.limitMHz)
        r.reasons.insert(r.reasons.begin(), who + " accepts " + std::to_string(sink.limitMHz) + " MHz; " + signalText(s) + " needs " +
                            mhzText(r.rateMHz) + " MHz.");
    else if (r.rateMHz > 340 && !sink.scdc)
        r.reasons.push_back(who + " announces no SCDC, which " + signalText(s) + " at " + mhzText(r.rateMHz) +
                            " MHz needs above 340 MHz.");
    if (s.eotf == Eotf::Pq && !(sink.eotfs & 0x04))
        r.reasons.push_back(who + " announces no PQ (HDR10).");
    if (s.eotf == Eotf::Hlg && !(sink.eotfs & 0x08))
        r.reasons.push_back(who + " announces no HLG.");
    r.pass = r.reasons.empty();
    return r;
}

LinkId displayOutput(const Chain &chain)
{
    if (chain.settings.avrAudio && chain.bottom)
        return LinkId::BoxBottom;
    return chain.top || !chain.bottom ? LinkId::BoxTop : LinkId::BoxBottom;
}

LinkId audioOutput(const Chain &chain)
{
    if (chain.settings.avrAudio && chain.top)
        return LinkId::BoxTop;
    if (chain.bottom && (!chain.top || chain.bottom->facts.audio.size() > chain.top->facts.audio.size()))
        return LinkId::BoxBottom;
    return LinkId::BoxTop;
}

ModeCheck checkMode(const Chain &chain, const Signal &signal)
{
    ModeCheck c;
    c.signal = signal;
    c.rateMHz = tmdsCharacterRateMHz(signal);
    c.display = displayOutput(chain);

    LinkResult in;
    if (chain.box) {
        in = checkLink(LinkId::SourceBox, chain.box->facts, signal);
    } else {
        in.present = false;
        in.arriving = signal;
        in.rateMHz = c.rateMHz;
        in.reasons.push_back("The box presents no table, so no source sends " + signalText(signal) + ".");
    }
    if (c.rateMHz > kBoxMaxMHz)
        in.reasons.insert(in.reasons.begin(), "The box carries TMDS up to " + std::to_string(kBoxMaxMHz) + " MHz; " +
                             signalText(signal) + " needs " + mhzText(c.rateMHz) + " MHz.");
    in.pass = in.reasons.empty();
    c.links.push_back(in);

    // 4:2:0 output turns a fast 4:4:4 or RGB input into 4:2:0 for TX A alone.
    Signal toTop = signal;
    if (chain.settings.out420 && (signal.format == Format::Rgb || signal.format == Format::Ycbcr444) &&
        c.rateMHz > kOut420AboveMHz)
        toTop.format = Format::Ycbcr420;
    for (LinkId l : {LinkId::BoxTop, LinkId::BoxBottom}) {
        const std::optional<Table> &t = chain.table(l);
        LinkResult r;
        if (t) {
            r = checkLink(l, t->facts, l == LinkId::BoxTop ? toTop : signal);
        } else {
            r.link = l;
            r.arriving = signal;
            r.reasons.push_back(std::string("No display on ") + linkLabel(l) + ".");
        }
        c.links.push_back(r);
    }
    c.toTop = in.pass && c.links[1].pass;
    c.toBottom = in.pass && c.links[2].pass;
    return c;
}

std::string ModeCheck::firstFailure() const
{
    if (pass())
        return {};
    for (const LinkResult &l : links) {
        if (l.link != LinkId::SourceBox && l.link != display)
            continue;
        if (!l.pass && !l.reasons.empty())
            return l.reasons.front();
    }
    return {};
}

} // namespace vantrel::chain
