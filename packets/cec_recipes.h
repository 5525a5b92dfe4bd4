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

// The messages of a recipe (Built::messages), sent from the logical address `from`.
Built buildCecRecipe(std::string_view name, const std::vector<std::string> &arguments, unsigned from);

} // namespace vantrel::packets
