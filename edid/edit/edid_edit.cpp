// SPDX-License-Identifier: GPL-3.0-or-later
#include "edid_edit.h"
#include "edits.h"

#include "edid_report.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <sstream>

namespace vantrel::edid::edit {

namespace {

std::vector<std::string> splitList(const std::string &text)
{
    std::vector<std::string> items;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ','))
        if (!item.empty())
            items.push_back(item);
    return items;
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// Errors as "context: message" with every number as #, each as often as it
// occurs: an edit moves offsets and changes the figures of a fault the
// table already had, which is not a new one.
std::map<std::string, std::pair<int, std::string>> errorCounts(const EdidReport &r)
{
    std::map<std::string, std::pair<int, std::string>> counts;
    for (const Problem &p : r.problems) {
        if (p.severity != Severity::Error)
            continue;
        const std::string text = p.context + ": " + p.message;
        // The kind of fault: the message up to its details.
        const std::string kind = p.context + ": " + p.message.substr(0, p.message.find(": "));
        std::string key;
        for (size_t i = 0; i < kind.size(); ++i)
            if (!std::isdigit(static_cast<unsigned char>(kind[i])))
                key += kind[i];
            else if (key.empty() || key.back() != '#')
                key += '#';
        auto &entry = counts[key];
        ++entry.first;
        entry.second = text;
    }
    return counts;
}

} // namespace

bool EditList::empty() const
{
    return dropVics.empty() && addVics.empty() && !addTiming && preferred.empty() && !hdrOff && !hdrEotfs &&
           !hdrFrom && !hdrLuminance && !dropDolbyVision && !dolbyVisionFrom && !dolbyVisionLldv && !dropHdr10Plus &&
           !hdr10PlusFrom && !maxTmdsMHz && !no420 && !noDeepColour && !no3d && !rangeLimits && !freeSync &&
           !hfVrr && !hfAllm && !maxFrl && !audioFrom && dropAudio.empty() && !speakers && !name && !serial && !fit;
}

EditResult applyEdits(const Bytes &table, const EditList &edits, bool force)
{
    using namespace detail;
    EditResult result;
    std::string why;
    std::optional<TableModel> model = TableModel::parse(table, why);
    if (!model) {
        result.refused = why;
        return result;
    }
    using Step = std::pair<Edit, std::function<void(TableModel &, Notes &)>>;
    std::vector<Step> steps;
    const EditList &e = edits;
    const auto add = [&](bool asked, Edit edit, std::function<void(TableModel &, Notes &)> run) {
        if (asked)
            steps.push_back({edit, std::move(run)});
    };
    add(!e.dropVics.empty(), Edit::DropVics, [&](TableModel &t, Notes &n) { dropVics(t, e.dropVics, n); });
    add(bool(e.rangeLimits), Edit::RangeLimits,
        [&](TableModel &t, Notes &n) { setRangeLimits(t, *e.rangeLimits, n); });
    add(!e.addVics.empty(), Edit::AddVics, [&](TableModel &t, Notes &n) { addVics(t, e.addVics, n); });
    add(bool(e.addTiming), Edit::AddTiming, [&](TableModel &t, Notes &n) { addTiming(t, *e.addTiming, n); });
    add(!e.preferred.empty(), Edit::Preferred, [&](TableModel &t, Notes &n) { setPreferred(t, e.preferred, n); });
    add(e.hdrOff, Edit::HdrOff, [&](TableModel &t, Notes &n) {
        removeBlocks(t, BlockType::HdrStatic, "HDR static metadata data block", n);
    });
    add(bool(e.hdrEotfs), Edit::HdrEotf, [&](TableModel &t, Notes &n) { setEotfs(t, *e.hdrEotfs, n); });
    add(bool(e.hdrFrom), Edit::HdrFrom,
        [&](TableModel &t, Notes &n) { copyBlock(t, *e.hdrFrom, BlockType::HdrStatic, n); });
    add(bool(e.hdrLuminance), Edit::HdrLuminance,
        [&](TableModel &t, Notes &n) { setLuminance(t, *e.hdrLuminance, n); });
    add(e.dropDolbyVision, Edit::DropDolbyVision, [&](TableModel &t, Notes &n) {
        removeBlocks(t, BlockType::DolbyVision, "Dolby Vision block", n);
    });
    add(bool(e.dolbyVisionFrom), Edit::DolbyVisionFrom,
        [&](TableModel &t, Notes &n) { copyBlock(t, *e.dolbyVisionFrom, BlockType::DolbyVision, n); });
    add(e.dolbyVisionLldv, Edit::DolbyVisionLldv, [&](TableModel &t, Notes &n) { addLowLatencyDolbyVision(t, n); });
    add(e.dropHdr10Plus, Edit::DropHdr10Plus,
        [&](TableModel &t, Notes &n) { removeBlocks(t, BlockType::Hdr10Plus, "HDR10+ block", n); });
    add(bool(e.hdr10PlusFrom), Edit::Hdr10PlusFrom,
        [&](TableModel &t, Notes &n) { copyBlock(t, *e.hdr10PlusFrom, BlockType::Hdr10Plus, n); });
    add(bool(e.maxTmdsMHz), Edit::MaxTmds, [&](TableModel &t, Notes &n) { capTmds(t, *e.maxTmdsMHz, n); });
    add(e.no420, Edit::No420, [&](TableModel &t, Notes &n) { removeY420(t, n); });
    add(e.noDeepColour, Edit::NoDeepColour, [&](TableModel &t, Notes &n) { removeDeepColour(t, n); });
    add(e.no3d, Edit::No3d, [&](TableModel &t, Notes &n) { remove3d(t, n); });
    add(bool(e.freeSync), Edit::FreeSync, [&](TableModel &t, Notes &n) { setFreeSync(t, *e.freeSync, n); });
    add(bool(e.hfVrr), Edit::HfVrr, [&](TableModel &t, Notes &n) { setHfVrr(t, *e.hfVrr, n); });
    add(bool(e.hfAllm), Edit::HfAllm, [&](TableModel &t, Notes &n) { setHfAllm(t, *e.hfAllm, n); });
    add(bool(e.maxFrl), Edit::MaxFrl, [&](TableModel &t, Notes &n) { setMaxFrl(t, *e.maxFrl, n); });
    add(bool(e.audioFrom), Edit::AudioFrom, [&](TableModel &t, Notes &n) { takeAudio(t, *e.audioFrom, n); });
    add(!e.dropAudio.empty(), Edit::DropAudio, [&](TableModel &t, Notes &n) { dropAudio(t, e.dropAudio, n); });
    add(bool(e.speakers), Edit::Speakers, [&](TableModel &t, Notes &n) { setSpeakers(t, *e.speakers, n); });
    add(bool(e.name), Edit::Name, [&](TableModel &t, Notes &n) { setName(t, *e.name, n); });
    add(bool(e.serial), Edit::Serial, [&](TableModel &t, Notes &n) { setSerial(t, *e.serial, n); });
    add(e.fit, Edit::Fit, [&](TableModel &t, Notes &n) { fitTable(t, n); });

    Bytes bytes = model->encode();
    for (const Step &step : steps) {
        EditStep done{step.first, {}};
        try {
            // Each edit starts from the bytes the one before left.
            std::optional<TableModel> t = TableModel::parse(bytes, why);
            step.second(*t, done.changes);
            bytes = t->encode();
        } catch (const EditError &error) {
            result.refusedBy = step.first;
            result.refused = error.message;
            result.steps.push_back(std::move(done));
            return result;
        }
        result.steps.push_back(std::move(done));
    }

    auto before = errorCounts(decodeEdid(table));
    for (const auto &[key, found] : errorCounts(decodeEdid(bytes)))
        for (int i = before[key].first; i < found.first; ++i)
            result.newErrors.push_back(found.second);
    result.bytes = std::move(bytes);
    if (!result.newErrors.empty() && !force) {
        result.refused = "the edited table would not conform: " + result.newErrors.front() +
                         (result.newErrors.size() > 1
                              ? " (and " + std::to_string(result.newErrors.size() - 1) + " more)"
                              : std::string());
        return result;
    }
    result.forced = !result.newErrors.empty();
    result.ok = true;
    return result;
}

bool parseVicList(const std::string &text, std::vector<unsigned> &vics, std::string &why)
{
    vics.clear();
    for (const std::string &item : splitList(text)) {
        const size_t dash = item.find('-');
        const std::string a = item.substr(0, dash), b = dash == std::string::npos ? a : item.substr(dash + 1);
        const auto number = [](const std::string &s) {
            return !s.empty() && s.size() <= 3 && s.find_first_not_of("0123456789") == std::string::npos
                       ? int(std::stoi(s))
                       : -1;
        };
        const int from = number(a), to = number(b);
        if (from < 1 || to < from || to > 255) {
            why = "\"" + item + "\" is not a VIC (1 to 255) or a range of them";
            return false;
        }
        for (int v = from; v <= to; ++v)
            vics.push_back(unsigned(v));
    }
    if (vics.empty())
        why = "no VIC given";
    return !vics.empty();
}

bool parseEotfs(const std::string &text, uint8_t &eotfs, std::string &why)
{
    static const std::map<std::string, uint8_t> names{{"sdr", 1}, {"hdr", 2}, {"pq", 4}, {"hlg", 8}};
    eotfs = 0;
    for (const std::string &item : splitList(lower(text))) {
        const auto it = names.find(item);
        if (it == names.end()) {
            why = "\"" + item + "\" is not one of sdr, hdr, pq, hlg";
            return false;
        }
        eotfs |= it->second;
    }
    if (!eotfs)
        why = "no transfer function given";
    return eotfs != 0;
}

unsigned audioFormatId(unsigned format, unsigned extendedType)
{
    return format == 15 ? 100 + extendedType : format;
}

const std::vector<AudioFormatName> &audioFormatNames()
{
    static const std::vector<AudioFormatName> names{
        {"lpcm", 1},  {"ac3", 2},     {"mpeg1", 3}, {"mp3", 4},      {"mpeg2", 5},    {"aac", 6},
        {"dts", 7},   {"atrac", 8},   {"dsd", 9},   {"eac3", 10},    {"dtshd", 11},   {"truehd", 12},
        {"mat", 12},  {"dst", 13},    {"wma", 14},  {"heaac", 104},  {"heaac2", 105}, {"aaclc", 106},
        {"dra", 107}, {"mpegh", 111}, {"ac4", 112}, {"lpcm3d", 113}, {"auro", 114},   {"usac", 115},
    };
    return names;
}

bool parseAudioFormats(const std::string &text, std::vector<unsigned> &formats, std::string &why)
{
    formats.clear();
    for (const std::string &item : splitList(lower(text))) {
        const auto &names = audioFormatNames();
        const auto it =
            std::find_if(names.begin(), names.end(), [&](const AudioFormatName &n) { return item == n.name; });
        if (it == names.end()) {
            why = "\"" + item + "\" is not an audio format name (lpcm, ac3, eac3, truehd, dts, dtshd, ...)";
            return false;
        }
        formats.push_back(it->id);
    }
    if (formats.empty())
        why = "no audio format given";
    return !formats.empty();
}

std::vector<std::string> speakerShortNames()
{
    std::vector<std::string> out;
    for (unsigned bit = 0; bit < 21; ++bit) {
        const std::vector<std::string> names = speakerNames(1u << bit);
        out.push_back(names.empty() ? std::string() : lower(names[0].substr(0, names[0].find(" - "))));
    }
    return out;
}

bool parseSpeakers(const std::string &text, uint32_t &allocation, std::string &why)
{
    // Layouts by channel count; the names one by one otherwise.
    static const std::map<std::string, uint32_t> layouts{{"2.0", 0x01},      {"2.1", 0x03},     {"5.1", 0x0F},
                                                         {"7.1", 0x4F},      {"5.1.2", 0x10F},  {"7.1.2", 0x14F},
                                                         {"5.1.4", 0x1010F}, {"7.1.4", 0x1014F}};
    allocation = 0;
    const std::vector<std::string> names = speakerShortNames();
    for (std::string item : splitList(lower(text))) {
        if (item == "lfe")
            item = "lfe1";
        if (layouts.count(item)) {
            allocation |= layouts.at(item);
            continue;
        }
        bool known = false;
        for (size_t bit = 0; bit < names.size(); ++bit)
            if (!names[bit].empty() && (item == names[bit] || item == names[bit].substr(0, names[bit].find('/')))) {
                allocation |= 1u << bit;
                known = true;
            }
        if (!known) {
            why = "\"" + item + "\" is not a speaker (fl/fr, lfe, fc, bl/br, ...) or a layout (5.1, 7.1.4, ...)";
            return false;
        }
    }
    if (!allocation)
        why = "no speaker given";
    return allocation != 0;
}

} // namespace vantrel::edid::edit
