// SPDX-License-Identifier: GPL-3.0-or-later
#include "compose.h"

#include "avi_builder.h"
#include "cec_builder.h"
#include "cec_message.h"
#include "cec_names.h"
#include "cec_recipes.h"
#include "hdr_builder.h"
#include "packet_common.h"
#include "packet_summary.h"

#include "nearest_name.h"

#include <cmath>

namespace vantrel::packets {

namespace {

std::string given(const OptionValues &values, const char *name)
{
    const auto it = values.find(name);
    return it == values.end() ? std::string() : it->second;
}

void addCec(Built &c, const std::vector<uint8_t> &message)
{
    c.texts.push_back(hex::colonHexText(message));
    c.summaries.push_back(cecSummary(decodeCecMessage(message.data(), message.size())));
    for (const std::string &p : cecSendProblems(message))
        c.problems.push_back(c.texts.back() + ": " + p);
}

// An infoframe built: its text and what it says, or why it was refused.
Built composed(Built b, PacketKind kind)
{
    if (b.ok) {
        b.texts.push_back(hex::colonHexText(b.bytes));
        b.summaries.push_back(boxTextSummary(kind, b.texts.back()));
    }
    return b;
}

// A number the frame carries in coarser steps is rounded: said, not silent.
void noteRounding(Built &c, const OptionValues &values, const char *name, double unit, const char *unitName)
{
    double v = 0;
    const std::string text = given(values, name);
    if (!c.ok || text.empty() || !readDecimal(text, v))
        return;
    const double steps = v / unit;
    if (std::fabs(steps - std::round(steps)) < 1e-6)
        return;
    c.notes.push_back(report::format("--%s %s is rounded to %g%s%s", name, text.c_str(), std::round(steps) * unit,
                                      *unitName ? " " : "", unitName));
}

} // namespace

std::vector<std::string> cecOpcodeNames()
{
    std::vector<std::string> words;
    for (const CecOpcode &o : cecOpcodes())
        words.push_back(cecOpcodeWord(o));
    return words;
}

std::vector<std::string> cecRecipeNames()
{
    std::vector<std::string> names;
    for (const CecRecipe &r : cecRecipes())
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

Built composeHdr(const OptionValues &v)
{
    Built c = composed(buildHdrInfoframe({given(v, "template"), given(v, "eotf"), given(v, "primaries"),
                                          given(v, "white-point"), given(v, "max-luminance"),
                                          given(v, "min-luminance"), given(v, "max-cll"), given(v, "max-fall")}),
                       PacketKind::Hdr);
    noteRounding(c, v, "max-luminance", 1, "cd/m2");
    noteRounding(c, v, "min-luminance", 0.0001, "cd/m2");
    noteRounding(c, v, "max-cll", 1, "cd/m2");
    noteRounding(c, v, "max-fall", 1, "cd/m2");
    return c;
}

Built composeAvi(const OptionValues &v)
{
    Built c = composed(buildAviInfoframe({given(v, "colour"), given(v, "colorimetry"), given(v, "range"),
                                          given(v, "vic"), given(v, "aspect"), given(v, "active-format"),
                                          given(v, "it-content"), given(v, "content-type")}),
                       PacketKind::Avi);
    noteRounding(c, v, "vic", 1, "");
    return c;
}

Built composeCec(const std::string &from, const std::string &to, const std::vector<std::string> &words)
{
    Built c;
    unsigned initiator = 0, destination = 0;
    if (!readLogicalAddress(from, "--from", initiator, c.error) ||
        !readLogicalAddress(to, "--to", destination, c.error))
        return c;
    if (words.empty()) {
        c.error = "an opcode is missing (image-view-on, standby ...)";
        return c;
    }
    c = buildCecMessage(initiator, destination, words[0], {words.begin() + 1, words.end()});
    if (!c.ok && c.error.rfind("opcode \"", 0) == 0)
        c.error += didYouMean(dashedName(words[0]), cecOpcodeNames());
    if (c.ok)
        addCec(c, c.bytes);
    return c;
}

Built composeRecipe(const std::string &from, const std::vector<std::string> &words)
{
    Built c;
    unsigned initiator = 0;
    if (!readLogicalAddress(from, "--from", initiator, c.error))
        return c;
    c = buildCecRecipe(words.empty() ? "" : words[0], {words.begin() + (words.empty() ? 0 : 1), words.end()},
                       initiator);
    if (!c.ok && !words.empty() && c.error.rfind("recipe:", 0) == 0)
        c.error += didYouMean(words[0], cecRecipeNames());
    for (const std::vector<uint8_t> &m : c.messages)
        addCec(c, m);
    return c;
}

std::string recipeHelp()
{
    std::string text;
    for (const CecRecipe &r : cecRecipes())
        text += "  " + std::string(r.name) + (*r.arguments ? std::string(" ") + r.arguments : "") + ": " +
                r.description + "\n";
    return text;
}

} // namespace vantrel::packets
