// SPDX-License-Identifier: GPL-3.0-or-later
// The EDID library in the window: Tools > EDID library... and the EDID box's
// context menu. The list shows the kept tables with their source and time;
// "Save to library" keeps the EDID box's table under a name, a double-click
// puts a kept table in the EDID box, "Export..." writes one for another
// system. vantrelctl reads and writes the same folder.
#pragma once

#include "edid_library.h"
#include "page_context.h"

#include <QCoreApplication>

#include <string>

class EdidPage;
class QAction;
class QDialog;
class QMenu;
class QPoint;
class Ui_EdidLibraryDialog;

class EdidLibraryPage {
    Q_DECLARE_TR_FUNCTIONS(MainWindow)

public:
    EdidLibraryPage(const PageContext &context, EdidPage &edid,
                    std::string folder = vantrel::edid::EdidLibrary::defaultFolder());
    ~EdidLibraryPage();

    void addActions(QMenu *tools);
    void openLibrary();
    // The list read from the folder again.
    void refresh();
    // The EDID box's table kept as name; false (said why) when it is not.
    bool saveToLibrary(const QString &name);
    // The entry's table in the EDID box.
    bool loadIntoEdidBox(const QString &name);
    // The EDID box's table, or the selected entry's, for another system.
    bool exportEdidBox();
    bool exportEntry(const QString &name);
    bool removeEntry(const QString &name);

    const vantrel::edid::EdidLibrary &library() const { return library_; }
    QAction *action() const { return action_; }
    // Null until first opened.
    QDialog *dialog() const { return dialog_; }
    Ui_EdidLibraryDialog *ui() const { return ui_; }

private:
    QString selectedName() const;
    void showContextMenu(const QPoint &at);
    void warn(const QString &text);

    PageContext c_;
    EdidPage &edid_;
    vantrel::edid::EdidLibrary library_;
    QAction *action_ = nullptr;
    QDialog *dialog_ = nullptr;
    Ui_EdidLibraryDialog *ui_ = nullptr;
};
