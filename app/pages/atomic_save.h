// SPDX-License-Identifier: GPL-3.0-or-later
// The window's saves go through the same writer as vantrelctl and the EDID
// designer: a read-only file stays refused and a file with a second name
// keeps it.
#pragma once

#include "edid_file.h"

#include <QString>

#include <string>
#include <vector>

namespace vantrel {

// error: the system's description when it returns false.
inline bool saveAtomically(const QString &path, const std::string &bytes, QString &error)
{
    std::string why;
    if (edid::atomicWriteFile(path.toStdString(), std::vector<uint8_t>(bytes.begin(), bytes.end()), why))
        return true;
    error = QString::fromStdString(why);
    return false;
}

} // namespace vantrel
