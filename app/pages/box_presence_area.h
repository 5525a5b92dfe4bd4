// SPDX-License-Identifier: GPL-3.0-or-later
// What the window shows of whether there is a box to talk to: the permanent
// labels, the box's controls enabled only while it answers, the settings
// only once a readback filled them. The presence monitor underneath decides;
// the window hands it its start-up steps and its poll.
#pragma once

#include "page_context.h"
#include "presence_monitor.h"

#include <QCoreApplication>
#include <QObject>

#include <vector>

class QLabel;

class BoxPresenceArea : public QObject {
    Q_DECLARE_TR_FUNCTIONS(MainWindow)

public:
    // steps: the window's start-up, probe, poll and hooks; steps.changed
    // is told after the area has shown the change.
    BoxPresenceArea(const PageContext &context, bool simulated, vantrel::PresenceMonitor::Steps steps);

    // Opens the box and runs start-up; says when a listed box would not open.
    void start();
    void tick() { monitor_.tick(); }
    const vantrel::PresenceMonitor &monitor() const { return monitor_; }
    // The link's alerts are kept back while the monitor looks again.
    bool quiet() const { return monitor_.quiet(); }

    // A readback filled the settings: they may be changed now.
    void settingsFilled();
    bool filled() const { return filled_; }

protected:
    // Silence holds for the rest of one operation; what the user does next is
    // a new attempt (while the box counts as silent its controls are disabled).
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void show();
    void enable(const std::vector<const char *> &names, bool enabled);

    PageContext c_;
    vantrel::PresenceMonitor monitor_;
    QLabel *noBox_ = nullptr;
    QLabel *silentBox_ = nullptr;
    QLabel *simulatedBox_ = nullptr;
    bool filled_ = false;
};
