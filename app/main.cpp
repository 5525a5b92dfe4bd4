// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow.h"

#include "form_font.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Ties the window to its desktop entry (icon and grouping on Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vantrel.Utility"));
    applyFormFont();
    MainWindow::Environment env;
    env.startShown = true;
    MainWindow *window = new MainWindow(env);
    window->show();
    // The window lives until the process ends, like the link it owns.
    return app.exec();
}
