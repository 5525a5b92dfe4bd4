// SPDX-License-Identifier: GPL-3.0-or-later
// "Export..." of the EDID page, the library and the designer: where to write
// a table and in which form (by the file's ending: .bin the Linux firmware,
// .reg a Windows EDID override, .h or .c a C array, .b64 base64, hex text
// otherwise), then the steps that put the file to use, nothing of them run.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

class Feedback;
class WindowReporter;
class QWidget;

// False when nothing was written (no file chosen, a write failed and said so).
bool exportTableInteractively(QWidget *parent, WindowReporter &reporter, const std::vector<uint8_t> &table);
