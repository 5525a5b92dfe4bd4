// SPDX-License-Identifier: GPL-3.0-or-later
// Short CEC sequences that work with displays and receivers as they are:
// Image View On goes to the TV, and a receiver is woken with the power-on
// key, since the power key toggles it off when it is already on.
#pragma once

#include "packet_fields.h"

#include <string>
#include <string_view>
#include <vector>

namespace vantrel::packets {

struct CecRecipe {
    const char *name;      // "switch-here"
    const char *arguments; // "PHYS", or empty
    const char *description;
};
const std::vector<CecRecipe> &cecRecipes();

struct CecRecipeBuilt {
    bool ok = false;
    std::vector<std::vector<uint8_t>> messages; // sent in this order
    std::string error;
};
// The messages of a recipe, sent from the logical address `from`.
CecRecipeBuilt buildCecRecipe(std::string_view name, const std::vector<std::string> &arguments, unsigned from);

} // namespace vantrel::packets
