// SPDX-License-Identifier: GPL-3.0-or-later
#include "compose.h"

#include "avi_builder.h"
#include "cec_builder.h"
#include "cec_message.h"
#include "cec_names.h"
#include "cec_recipes.h"
#include "hdr_builder.h"
#include "packet_common.h"
#include "packet_fields.h"
#include "packet_summary.h"

#include "nearest_name.h"

#include <cmath>
#include <cstdlib>

namespace vantrel::cli {

namespace {

std::string given(const OptionValues &values, const char *name)
{
    const auto it = values.find(name);
    return it == values.end() ? std::string() : it->second;
}

void addCec(Composed &c, const std::vector<uint8_t> &message)
{
    c.texts.push_back(packets::hexText(message));
    c.summaries.push_back(packets::cecSummary(packets::decodeCecMessage(message.data(), message.size())));
    for (const std::string &p : packets::cecSendProblems(message))
        c.problems.push_back(c.texts.back() + ": " + p);
}

// An infoframe built: its text and what it says, or why it was refused.
Composed composed(const packets::Built &b, packets::PacketKind kind)
{
    Composed c;
    c.ok = b.ok;
    c.error = b.error;
    if (b.ok) {
        c.texts.push_back(packets::hexText(b.bytes));
        c.summaries.push_back(packets::boxTextSummary(kind, c.texts.back()));
    }
    return c;
}

// A number the frame carries in coarser steps is rounded: said, not silent.
void noteRounding(Composed &c, const OptionValues &values, const char *name, double unit, const char *unitName)
{
    double v = 0;
    const std::string text = given(values, name);
    if (!c.ok || text.empty() || !packets::readDecimal(text, v))
        return;
    const double steps = v / unit;
    if (std::fabs(steps - std::round(steps)) < 1e-6)
        return;
    c.notes.push_back(report::format("--%s %s is rounded to %g%s%s", name, text.c_str(), std::round(steps) * unit,
                                      *unitName ? " " : "", unitName));
}

std::vector<std::string> opcodeWords()
{
    std::vector<std::string> words;
    for (const packets::CecOpcode &o : packets::cecOpcodes())
        words.push_back(packets::cecOpcodeWord(o));
    return words;
}

} // namespace

std::vector<std::string> cecOpcodeNames()
{
    return opcodeWords();
}

std::vector<std::string> cecRecipeNames()
{
    std::vector<std::string> names;
    for (const packets::CecRecipe &r : packets::cecRecipes())
        names.push_back(r.name);
    return names;
}

const std::vector<ComposeOption> &hdrComposeOptions()
{
    static const std::vector<ComposeOption> options = {
        {"template", "NAME", "start from hdr10-1000, hdr10-4000, hlg or sdr; the fields given replace its values"},
        {"eotf", "NAME", "sdr, hdr (gamma), pq (SMPTE ST 2084) or hlg"},
        {"primaries", "NAME|PAIRS",
         "bt2020, p3-d65, bt709, dci-p3 (with their white point), or three x,y pairs in any order"},
        {"white-point", "NAME|X,Y", "d65, dci or x,y"},
        {"max-luminance", "CD/M2", "mastering display maximum, 0 to 65535 (0: not known)"},
        {"min-luminance", "CD/M2", "mastering display minimum, 0 to 6.5535 in steps of 0.0001"},
        {"max-cll", "CD/M2", "brightest pixel of the content, 0 to 65535 (0: not known)"},
        {"max-fall", "CD/M2", "brightest frame average, 0 to 65535 (0: not known)"},
    };
    return options;
}

const std::vector<ComposeOption> &aviComposeOptions()
{
    static const std::vector<ComposeOption> options = {
        {"colour", "NAME", "rgb, yuv422, yuv444 or yuv420 (default rgb)"},
        {"colorimetry", "NAME",
         "none, bt601, bt709, xvycc601, xvycc709, srgb-ycc, adobe-ycc, adobe-rgb, bt2020-cycc, bt2020-ycc or "
         "bt2020-rgb"},
        {"range", "NAME", "default, limited or full quantization range, for RGB or YCC as --colour says"},
        {"vic", "N", "video format code, 0 to 219 (0: none)"},
        {"aspect", "NAME", "none, 4:3 or 16:9 (default: the VIC's)"},
        {"active-format", "NAME",
         "none, same, 4:3, 16:9, 14:9, box-16:9-top, box-14:9-top, box-wide, 4:3-sp-14:9, 16:9-sp-14:9 or "
         "16:9-sp-4:3"},
        {"it-content", "on|off", "IT content flag"},
        {"content-type", "NAME", "graphics, photo, cinema or game (sets the IT content flag)"},
    };
    return options;
}

bool anyGiven(const std::vector<ComposeOption> &options, const OptionValues &values)
{
    for (const ComposeOption &o : options)
        if (values.count(o.name))
            return true;
    return false;
}

Composed composeHdr(const OptionValues &v)
{
    Composed c = composed(packets::buildHdrInfoframe({given(v, "template"), given(v, "eotf"), given(v, "primaries"),
                                                given(v, "white-point"), given(v, "max-luminance"),
                                                given(v, "min-luminance"), given(v, "max-cll"), given(v, "max-fall")}),
                    packets::PacketKind::HdrFrame);
    noteRounding(c, v, "max-luminance", 1, "cd/m2");
    noteRounding(c, v, "min-luminance", 0.0001, "cd/m2");
    noteRounding(c, v, "max-cll", 1, "cd/m2");
    noteRounding(c, v, "max-fall", 1, "cd/m2");
    return c;
}

Composed composeAvi(const OptionValues &v)
{
    Composed c = composed(packets::buildAviInfoframe({given(v, "colour"), given(v, "colorimetry"), given(v, "range"),
                                                given(v, "vic"), given(v, "aspect"), given(v, "active-format"),
                                                given(v, "it-content"), given(v, "content-type")}),
                    packets::PacketKind::Avi);
    noteRounding(c, v, "vic", 1, "");
    return c;
}

Composed composeCec(const std::string &from, const std::string &to, const std::vector<std::string> &words)
{
    Composed c;
    unsigned initiator = 0, destination = 0;
    if (!packets::readLogicalAddress(from, "--from", initiator, c.error) ||
        !packets::readLogicalAddress(to, "--to", destination, c.error))
        return c;
    if (words.empty()) {
        c.error = "an opcode is missing (image-view-on, standby ...)";
        return c;
    }
    const packets::Built b =
        packets::buildCecMessage(initiator, destination, words[0], {words.begin() + 1, words.end()});
    c.error = b.error;
    if (!b.ok && c.error.rfind("opcode \"", 0) == 0)
        c.error += didYouMean(packets::dashedName(words[0]), opcodeWords());
    if (b.ok)
        addCec(c, b.bytes);
    c.ok = b.ok;
    return c;
}

Composed composeRecipe(const std::string &from, const std::vector<std::string> &words)
{
    Composed c;
    unsigned initiator = 0;
    if (!packets::readLogicalAddress(from, "--from", initiator, c.error))
        return c;
    const packets::CecRecipeBuilt r = packets::buildCecRecipe(
        words.empty() ? "" : words[0], {words.begin() + (words.empty() ? 0 : 1), words.end()}, initiator);
    c.error = r.error;
    if (!r.ok && !words.empty() && c.error.rfind("recipe:", 0) == 0)
        c.error += didYouMean(words[0], cecRecipeNames());
    for (const std::vector<uint8_t> &m : r.messages)
        addCec(c, m);
    c.ok = r.ok;
    return c;
}

std::string recipeHelp()
{
    std::string text;
    for (const packets::CecRecipe &r : packets::cecRecipes())
        text += "  " + std::string(r.name) + (*r.arguments ? std::string(" ") + r.arguments : "") + ": " +
                r.description + "\n";
    return text;
}

} // namespace vantrel::cli
