// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for the window's controls: remembers what the readback last set
// on each object, the way the widgets would (exclusive groups aside).
#pragma once

#include "form_binding.h"

#include <QStringList>

#include <map>
#include <string>
#include <vector>

struct Panel {
    std::map<std::string, int> checked, index, enabled;

    void apply(const std::vector<vantrel::config::ControlUpdate> &updates)
    {
        using vantrel::config::ControlUpdate;
        for (const ControlUpdate &u : updates) {
            auto &target = u.kind == ControlUpdate::Index     ? index
                           : u.kind == ControlUpdate::Checked ? checked
                                                              : enabled;
            target[u.object] = u.value;
        }
    }

    bool isChecked(const char *object) const
    {
        auto it = checked.find(object);
        return it != checked.end() && it->second == 1;
    }
};

inline QStringList describe(const std::vector<vantrel::config::ControlUpdate> &updates)
{
    using vantrel::config::ControlUpdate;
    QStringList out;
    for (const ControlUpdate &u : updates) {
        const char *kind = u.kind == ControlUpdate::Index     ? "index"
                           : u.kind == ControlUpdate::Checked ? "checked"
                                                              : "enabled";
        out << QString("%1 %2 %3").arg(kind, QString::fromStdString(u.object)).arg(u.value);
    }
    return out;
}
