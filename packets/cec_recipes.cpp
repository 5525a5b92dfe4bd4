// SPDX-License-Identifier: GPL-3.0-or-later
#include "cec_recipes.h"

#include "cec_builder.h"

namespace vantrel::packets {

namespace {

constexpr unsigned kTv = 0, kAudio = 5, kBroadcast = 15;

struct Step {
    unsigned to;
    const char *opcode;
    std::vector<const char *> operands; // "$1": the recipe's first argument
};

const std::vector<Step> &stepsOf(size_t recipe)
{
    static const std::vector<std::vector<Step>> steps = {
        {{kTv, "image-view-on", {}}},
        {{kTv, "image-view-on", {}}, {kBroadcast, "active-source", {"$1"}}},
        {{kBroadcast, "standby", {}}},
        {{kAudio, "user-control-pressed", {"power-on-function"}}, {kAudio, "user-control-released", {}}},
    };
    return steps[recipe];
}

} // namespace

const std::vector<CecRecipe> &cecRecipes()
{
    static const std::vector<CecRecipe> recipes = {
        {"tv-on", "", "wake the TV: Image View On to the TV"},
        {"switch-here", "PHYS", "wake the TV and make PHYS (1.0.0.0) the active source"},
        {"all-standby", "", "every device to standby (broadcast)"},
        {"avr-on", "", "wake the audio system with the power-on key (not the power toggle)"},
    };
    return recipes;
}

Built buildCecRecipe(std::string_view name, const std::vector<std::string> &arguments, unsigned from)
{
    Built out;
    std::vector<NamedValue> names;
    for (size_t i = 0; i < cecRecipes().size(); ++i)
        names.push_back({cecRecipes()[i].name, unsigned(i)});
    unsigned which = 0;
    if (!pickName(names, name, "recipe", which, out.error))
        return out;
    const CecRecipe &recipe = cecRecipes()[which];
    const size_t wanted = *recipe.arguments ? 1 : 0;
    if (arguments.size() != wanted) {
        out.error = std::string(recipe.name) + (wanted ? std::string(" takes ") + recipe.arguments : " takes nothing");
        return out;
    }
    for (const Step &step : stepsOf(which)) {
        std::vector<std::string> operands;
        for (const char *o : step.operands)
            operands.push_back(std::string(o) == "$1" ? arguments[0] : o);
        Built m = buildCecMessage(from, step.to, step.opcode, operands);
        if (!m.ok) {
            out.error = std::string(recipe.name) + ": " + m.error;
            out.messages.clear();
            return out;
        }
        out.messages.push_back(std::move(m.bytes));
    }
    out.ok = true;
    return out;
}

} // namespace vantrel::packets
