// SPDX-License-Identifier: GPL-3.0-or-later
// File > Save box profile..., Apply box profile... and the recent profiles:
// the box's whole set-up to a file and back, through the window's own
// controls. The recent list is kept in the user's configuration.
#pragma once

#include "page_context.h"
#include "profile.h"

#include <QCoreApplication>
#include <QStringList>

#include <functional>
#include <memory>

class EdidPage;
class InjectPage;
class ProfileApplyDialog;
class QAction;
class QMenu;
class SettingsPage;
class WindowProfileTarget;

class ProfilePage {
    Q_DECLARE_TR_FUNCTIONS(MainWindow)

public:
    static constexpr int kMaxRecent = 9;

    // boxReady: whether a box is set up and answering (the actions need one).
    ProfilePage(const PageContext &context, SettingsPage &settings, EdidPage &edid, InjectPage &inject,
                std::function<bool()> boxReady);
    ~ProfilePage();

    // The actions and the recent-profiles submenu, above Exit.
    void addActions(QMenu *file, QAction *before);
    void SaveProfile();
    void ApplyProfile();
    // Reads the file and lists its changes in the Apply dialog.
    void applyFile(const QString &path);

    QStringList recentProfiles() const;
    // Null until first used.
    ProfileApplyDialog *dialog() const { return dialog_; }

private:
    void runApply();
    void remember(const QString &path);
    void forget(const QString &path);
    void updateMenu();
    void warn(const QString &text);

    PageContext c_;
    SettingsPage &settings_;
    EdidPage &edid_;
    InjectPage &inject_;
    std::function<bool()> boxReady_;
    std::unique_ptr<WindowProfileTarget> target_;
    vantrel::profile::Profile wanted_;
    QString wantedPath_;
    QAction *save_ = nullptr;
    QAction *apply_ = nullptr;
    QMenu *recent_ = nullptr;
    ProfileApplyDialog *dialog_ = nullptr;
};
