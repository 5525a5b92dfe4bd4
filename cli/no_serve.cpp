// SPDX-License-Identifier: GPL-3.0-or-later
// A build without libmosquitto (the Windows cross builds) has no serve.
#include "commands.h"

namespace vantrel::cli {

std::vector<Command> serveCommands()
{
    return {};
}

} // namespace vantrel::cli
