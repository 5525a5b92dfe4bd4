// SPDX-License-Identifier: GPL-3.0-or-later
// What every page of the window is given: the form, the window it lives in
// (parent of its boxes, where its widgets are found by name), the box and the
// reporter.
#pragma once

#include "box.h"
#include "window_reporter.h"

class QMainWindow;
class Ui_MainWindow;

struct PageContext {
    Ui_MainWindow *ui;
    QMainWindow *window;
    vantrel::Box &box;
    WindowReporter &reporter;
};
