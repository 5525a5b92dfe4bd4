// SPDX-License-Identifier: GPL-3.0-or-later
// The box as serve's engine sees it, over the tool's own connection: the
// reads the window makes, and the commands run through the checks of the
// commands that do the same (set, cec send, cec recipe), or as those
// commands themselves (infoframe hdr and avi, profile apply, edid write).
#pragma once

#include "box_connection.h"
#include "serve_ports.h"

#include <memory>

namespace vantrel::cli {

class ServeBox : public service::ServedBox {
public:
    // profiles, edids: the folders profile/apply and edid/load take names from.
    // Throws CliError when no USB library can be had.
    ServeBox(const LinkOptions &link, std::string profiles, std::string edids)
        : link_(link), profiles_(std::move(profiles)), edids_(std::move(edids)),
          box_(link_, [this] { return quiet_ && quiet_(); })
    {
    }
    // The link's alerts are kept back while quiet() holds (the box is looked for again).
    void keepAlertsBackWhile(std::function<bool()> quiet) { quiet_ = std::move(quiet); }

    Box &box() override { return box_.box(); }
    std::optional<service::BoxReading> read() override;
    std::string run(const service::ControlCommand &command) override;
    // The open connection, for the rules' actions; null while there is none.
    BoxConnection *connection() { return &box_; }

private:
    std::string runTool(const std::vector<std::string> &words);
    std::vector<std::string> toolWords(const service::ControlCommand &c) const;

    LinkOptions link_;
    std::string profiles_, edids_;
    std::function<bool()> quiet_;
    BoxConnection box_;
};

} // namespace vantrel::cli
