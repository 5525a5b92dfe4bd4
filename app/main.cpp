#include "mainwindow.h"

#include <QApplication>
#include <QFont>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Ties the window to its desktop entry (icon and grouping on Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vantrel.Utility"));
#ifdef VANTREL_FORM_STANDARD
    // The standard form is laid out for a compact dialog font; the wider
    // desktop default would clip its tab bar and button texts.
    QFont compact(QStringLiteral("Liberation Sans Narrow"), 9);
    QApplication::setFont(compact);
#endif
    MainWindow *window = new MainWindow;
    window->show();
    // The window lives until the process ends, like the link it owns.
    return app.exec();
}
