// SPDX-License-Identifier: GPL-3.0-or-later
// Tools > Signal history...: every change of the signal, the settings and the
// box's presence since the window started, worked out from each poll as
// vantrelctl serve works them out, listed as vantrelctl log prints them and
// saved as serve --log writes them. The newest kMaxChanges are kept.
#pragma once

#include "page_context.h"
#include "signal_log.h"
#include "state_watch.h"
#include "status_decoder.h"
#include "status_facts.h"

#include <QCoreApplication>

#include <deque>

class QAction;
class QMenu;
class SignalHistoryDialog;

class SignalHistoryPage {
    Q_DECLARE_TR_FUNCTIONS(MainWindow)

public:
    static constexpr size_t kMaxChanges = 10000;

    explicit SignalHistoryPage(const PageContext &context) : c_(context) {}

    void addAction(QMenu *tools);
    void SignalHistory();
    bool SaveSignalHistory();

    // A poll that read the status, with the settings as last read back.
    void read(const vantrel::status::StatusTexts &texts, const vantrel::status::StatusFacts &facts,
              const uint8_t *settings);
    // A poll the box did not answer; listed: it is still attached.
    void unanswered(bool listed);

    const std::deque<vantrel::service::Change> &changes() const { return changes_; }
    size_t dropped() const { return dropped_; }
    QAction *action() const { return action_; }
    // Null until first used.
    SignalHistoryDialog *dialog() const { return dialog_; }

private:
    void add(const vantrel::service::StateWatch::Step &step);
    void showSummary();

    PageContext c_;
    vantrel::service::StateWatch watch_;
    std::deque<vantrel::service::Change> changes_;
    size_t dropped_ = 0;
    QAction *action_ = nullptr;
    SignalHistoryDialog *dialog_ = nullptr;
};
