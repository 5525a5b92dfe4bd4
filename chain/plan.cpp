// SPDX-License-Identifier: GPL-3.0-or-later
// The plan of a whole chain: every listed mode by format and depth, the best
// each output gets against what its display alone takes, the losses and the
// fixes for them.
#include "chain_plan.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <tuple>

namespace vantrel::chain {

namespace {

int formatRank(Format f)
{
    return f == Format::Rgb ? 3 : f == Format::Ycbcr444 ? 2 : f == Format::Ycbcr422 ? 1 : 0;
}

auto modeRank(const Mode &m)
{
    return std::make_tuple(uint64_t(m.width) * m.height, !m.interlaced, std::lround(m.refreshHz * 10));
}

auto signalRank(const Signal &s)
{
    return std::make_tuple(modeRank(s.mode), s.bpc, formatRank(s.format));
}

// FRL lanes x gigabits per lane, by the HDMI Forum block's code.
double frlGbps(unsigned code)
{
    static const double kGbps[] = {0, 9, 18, 24, 32, 40, 48};
    return code < 7 ? kGbps[code] : 0;
}

// What the display takes on its own: over TMDS, or over FRL where it has it
// (payload 16 of 18 bits).
bool aloneTakes(LinkId output, const SinkFacts &sink, const Signal &s)
{
    LinkResult r = checkLink(output, sink, s);
    if (r.pass || !sink.maxFrlRate)
        return r.pass;
    const double bits = s.format == Format::Ycbcr422   ? 24
                        : s.format == Format::Ycbcr420 ? 1.5 * s.bpc
                                                       : 3.0 * s.bpc;
    if (s.mode.pixelClockMHz() * bits / 1000 > frlGbps(sink.maxFrlRate) * 16 / 18)
        return false;
    // Only the rate stood in the way.
    Signal slow = s;
    slow.mode.pixelClockKHz = 1;
    return checkLink(output, sink, slow).pass;
}

std::vector<Signal> signalsOf(const std::vector<Mode> &modes, Eotf eotf = Eotf::Sdr)
{
    std::vector<Signal> v;
    for (const Mode &m : modes)
        for (Format f : kFormats)
            for (unsigned bpc : kDepths)
                v.push_back({m, f, bpc, eotf});
    return v;
}

std::string failureAt(const Chain &c, const Signal &s, LinkId output)
{
    const ModeCheck m = checkMode(c, s);
    for (const LinkResult &l : m.links)
        if ((l.link == LinkId::SourceBox || l.link == output) && !l.pass && !l.reasons.empty())
            return l.reasons.front();
    return {};
}

bool reaches(const ModeCheck &m, LinkId output)
{
    return output == LinkId::BoxTop ? m.toTop : m.toBottom;
}

std::string depthText(unsigned bpc) { return std::to_string(bpc) + "-bit"; }

struct AudioPick {
    bool found = false;
    AudioFormat best;
};

AudioPick bestAudio(const std::vector<AudioFormat> &offered, const std::vector<AudioFormat> *sink)
{
    AudioPick p;
    for (const AudioFormat &a : offered) {
        AudioFormat got = a;
        if (sink) {
            bool listed = false;
            for (const AudioFormat &b : *sink)
                if (b.format == a.format && b.extendedType == a.extendedType) {
                    listed = true;
                    got.channels = std::min(a.channels, b.channels);
                    got.atmos = a.atmos && b.atmos;
                }
            if (!listed)
                continue;
        }
        got.name = audioName(got);
        if (!p.found || audioRank(got) > audioRank(p.best))
            p = {true, got};
    }
    return p;
}

void addAudio(const Chain &chain, Plan &plan)
{
    AudioPlan &a = plan.audio;
    a.output = audioOutput(chain);
    const std::optional<Table> &sink = chain.table(a.output);
    if (chain.box)
        for (const AudioFormat &f : chain.box->facts.audio)
            a.offered.push_back(f.name);
    if (!sink)
        return;
    for (const AudioFormat &f : sink->facts.audio)
        a.sink.push_back(f.name);
    if (chain.box)
        for (const AudioFormat &f : chain.box->facts.audio) {
            const bool listed = std::any_of(sink->facts.audio.begin(), sink->facts.audio.end(), [&](const AudioFormat &b) {
                return b.format == f.format && b.extendedType == f.extendedType;
            });
            if (!listed)
                a.undecoded.push_back(f.name);
        }
    const AudioPick alone = bestAudio(sink->facts.audio, nullptr);
    const AudioPick got = chain.box ? bestAudio(chain.box->facts.audio, &sink->facts.audio) : AudioPick{};
    a.sinkBest = alone.found ? alone.best.name : std::string();
    a.best = got.found ? got.best.name : std::string("no sound");
    if (!alone.found || (got.found && audioRank(got.best) >= audioRank(alone.best)))
        return;
    Loss loss{a.output, "audio", alone.best.name, a.best,
              std::string("The box's table does not offer ") + alone.best.name + ", which " + linkLabel(a.output) +
                  " decodes.",
              std::nullopt,
              {}};
    // The picture's table with the sound of the output that carries it.
    const LinkId display = displayOutput(chain);
    const std::optional<Table> &picture = chain.table(display);
    if (picture && !picture->bytes.empty() && !sink->bytes.empty()) {
        edid::edit::EditList edits;
        std::vector<std::string> args;
        if (display != a.output) {
            edits.audioFrom = sink->bytes;
            args = {"--audio-from", a.output == LinkId::BoxTop ? "top" : "bottom"};
        }
        if (picture->facts.limitMHz > kBoxMaxMHz) {
            edits.maxTmdsMHz = kBoxMaxMHz;
            args.insert(args.end(), {"--max-tmds", std::to_string(kBoxMaxMHz)});
        }
        edid::edit::EditResult r = edid::edit::applyEdits(picture->bytes, edits, false);
        std::string fitted;
        std::vector<std::string> prepare;
        if (!r.ok && edits.audioFrom) {
            // No room for all of it: the best format and LPCM alone, dropped
            // from a copy of the sound table before its audio is taken.
            edid::edit::EditList fewer;
            std::string list;
            for (const AudioFormat &f : sink->facts.audio) {
                const unsigned id = edid::edit::audioFormatId(f.format, f.extendedType);
                if (f.format == 1 || f.format == alone.best.format ||
                    std::find(fewer.dropAudio.begin(), fewer.dropAudio.end(), id) != fewer.dropAudio.end())
                    continue;
                for (const auto &n : edid::edit::audioFormatNames())
                    if (n.id == id) {
                        fewer.dropAudio.push_back(id);
                        list += (list.empty() ? "" : ",") + std::string(n.name);
                    }
            }
            const edid::edit::EditResult reduced = edid::edit::applyEdits(sink->bytes, fewer, false);
            if (reduced.ok) {
                edits.audioFrom = reduced.bytes;
                prepare = {"--drop-audio", list};
                fitted = " (" + alone.best.name + " and LPCM alone, to fit: " + list + " dropped from a copy of " +
                         linkLabel(a.output) + "'s table first)";
                r = edid::edit::applyEdits(picture->bytes, edits, false);
            }
        }
        if (r.ok) {
            const SinkFacts edited = sinkFacts(edid::decodeEdid(r.bytes));
            const AudioPick now = bestAudio(edited.audio, &sink->facts.audio);
            if (now.found && audioRank(now.best) >= audioRank(alone.best))
                loss.fixes.push_back({FixKind::EdidEdit,
                                      std::string("Present ") + linkLabel(display) + "'s table" +
                                          (display != a.output ? std::string(" with ") + linkLabel(a.output) + "'s audio"
                                                               : std::string()) +
                                          fitted +
                                          " as the custom EDID: the source may then send " + now.best.name + ".",
                                      args, display, edits, r.bytes, prepare});
        }
    }
    plan.losses.push_back(loss);
}

} // namespace

int audioRank(const AudioFormat &a)
{
    switch (a.format) {
    case 12: return a.atmos ? 100 : 80;
    case 10: return a.atmos ? 90 : 60;
    case 11: return 75;
    case 7: return 50;
    case 2: return 45;
    case 1: return 10 + int(a.channels);
    default: return 5;
    }
}

std::vector<Mode> listedModes(const SinkFacts &sink)
{
    std::vector<Mode> v;
    auto add = [&](const Mode &m) {
        if (m.width && std::none_of(v.begin(), v.end(), [&](const Mode &o) { return o.sameTiming(m); }))
            v.push_back(m);
    };
    for (const ListedVic &l : sink.vics)
        add(vicMode(l.vic));
    for (const Mode &t : sink.timings)
        add(t);
    std::stable_sort(v.begin(), v.end(), [](const Mode &a, const Mode &b) { return modeRank(a) > modeRank(b); });
    return v;
}

std::optional<Mode> findMode(const Chain &chain, const std::string &text)
{
    if (text.rfind("vic:", 0) == 0) {
        char *end = nullptr;
        const unsigned long n = std::strtoul(text.c_str() + 4, &end, 10);
        const Mode m = vicMode(unsigned(n));
        if (*end || text.size() == 4 || !m.width)
            return std::nullopt;
        return m;
    }
    std::vector<Mode> all;
    for (LinkId l : {LinkId::BoxTop, LinkId::BoxBottom, LinkId::SourceBox})
        if (chain.table(l))
            for (const Mode &m : listedModes(chain.table(l)->facts))
                all.push_back(m);
    for (const Mode &m : all)
        if (m.name == text)
            return m;
    unsigned w = 0, h = 0;
    double hz = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%ux%u@%lf%c", &w, &h, &hz, &tail) != 3)
        return std::nullopt;
    // Listed codes first, then any code of the table, then detailed timings.
    for (const Mode &m : all)
        if (m.vic && m.width == w && m.height == h && !m.interlaced && std::fabs(m.refreshHz - hz) < 0.5)
            return m;
    for (unsigned vic = 1; vic < 220; ++vic) {
        const Mode m = vicMode(vic);
        if (m.width == w && m.height == h && !m.interlaced && std::fabs(m.refreshHz - hz) < 0.5)
            return m;
    }
    for (const Mode &m : all)
        if (m.width == w && m.height == h && std::fabs(m.refreshHz - hz) < 0.5)
            return m;
    return std::nullopt;
}

Plan makePlan(const Chain &chain)
{
    Plan plan;
    for (LinkId l : {LinkId::BoxTop, LinkId::BoxBottom})
        if (chain.table(l))
            for (const Mode &m : listedModes(chain.table(l)->facts))
                if (std::none_of(plan.modes.begin(), plan.modes.end(), [&](const Mode &o) { return o.sameTiming(m); }))
                    plan.modes.push_back(m);
    if (plan.modes.empty() && chain.box)
        plan.modes = listedModes(chain.box->facts);
    std::stable_sort(plan.modes.begin(), plan.modes.end(),
                     [](const Mode &a, const Mode &b) { return modeRank(a) > modeRank(b); });

    for (const Signal &s : signalsOf(plan.modes)) {
        const ModeCheck m = checkMode(chain, s);
        Row r{s, m.rateMHz, m.toTop, m.toBottom, {}};
        for (const LinkResult &l : m.links)
            if (!l.pass && l.present && r.reason.empty())
                r.reason = l.reasons.front();
        if (!m.links[0].pass)
            r.reason = m.links[0].reasons.front();
        plan.rows.push_back(r);
    }

    for (LinkId o : {LinkId::BoxTop, LinkId::BoxBottom}) {
        if (!chain.table(o))
            continue;
        const SinkFacts &d = chain.table(o)->facts;
        Best b;
        b.output = o;
        for (const Row &r : plan.rows)
            if ((o == LinkId::BoxTop ? r.toTop : r.toBottom) && (!b.chainFound || signalRank(r.signal) > signalRank(b.chain))) {
                b.chain = r.signal;
                b.chainFound = true;
            }
        const std::vector<Signal> own = signalsOf(listedModes(d));
        for (const Signal &s : own)
            if (aloneTakes(o, d, s) && (!b.found || signalRank(s) > signalRank(b.alone))) {
                b.alone = s;
                b.found = true;
            }
        if (b.chainFound) {
            Signal hdr = b.chain;
            hdr.eotf = Eotf::Pq;
            b.hdr = reaches(checkMode(chain, hdr), o);
        }
        plan.best.push_back(b);
        if (!b.found)
            continue;

        // The best the display takes that the box could carry: the target of a fix.
        auto target = [&](auto better) -> std::optional<Signal> {
            std::optional<Signal> t;
            for (const Signal &s : own)
                if (better(s) && tmdsCharacterRateMHz(s) <= kBoxMaxMHz && aloneTakes(o, d, s) &&
                    (!t || signalRank(s) > signalRank(*t)))
                    t = s;
            return t;
        };
        auto lossFor = [&](const std::string &kind, const std::string &from, const std::string &to,
                           const std::optional<Signal> &want, const Signal &shown) {
            Loss loss{o, kind, from, to, failureAt(chain, want ? *want : shown, o), want, {}};
            if (want)
                loss.fixes = fixesFor(chain, *want, o);
            plan.losses.push_back(loss);
        };
        if (!b.chainFound || modeRank(b.alone.mode) > modeRank(b.chain.mode)) {
            const auto want = target([&](const Signal &s) { return !b.chainFound || modeRank(s.mode) > modeRank(b.chain.mode); });
            lossFor("mode", b.alone.mode.name, b.chainFound ? b.chain.mode.name : std::string("no picture"), want, b.alone);
            if (!b.chainFound)
                continue;
        }
        unsigned aloneBpc = 0;
        Signal deepest;
        for (const Signal &s : own)
            if (s.mode.sameTiming(b.chain.mode) && s.bpc > aloneBpc && aloneTakes(o, d, s)) {
                aloneBpc = s.bpc;
                deepest = s;
            }
        if (aloneBpc > b.chain.bpc) {
            const auto want = target([&](const Signal &s) { return s.mode.sameTiming(b.chain.mode) && s.bpc > b.chain.bpc; });
            lossFor("depth", depthText(aloneBpc), depthText(b.chain.bpc), want, deepest);
        }
        if ((d.eotfs & 0x04) && !b.hdr) {
            Signal hdr = b.chain;
            hdr.eotf = Eotf::Pq;
            std::optional<Signal> want;
            if (aloneTakes(o, d, hdr))
                want = hdr;
            lossFor("hdr", "HDR (PQ)", "SDR", want, hdr);
        }
    }
    addAudio(chain, plan);
    return plan;
}

} // namespace vantrel::chain
