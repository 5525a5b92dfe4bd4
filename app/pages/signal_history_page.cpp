// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal_history_page.h"

#include "published_state.h"
#include "signal_history_dialog.h"
#include "status_json.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>

#include "atomic_save.h"
#include "feedback.h"

#include "ui_VantrelForm.h"

using namespace vantrel;

namespace {

QString lineOf(const service::Change &c)
{
    return QString::fromStdString(service::changeText(c));
}

} // namespace

void SignalHistoryPage::addAction(QMenu *tools)
{
    action_ = tools->addAction(tr("Signal &history..."));
    action_->setObjectName(QStringLiteral("actionSignalHistory"));
    action_->setFont(c_.ui->actionAbout->font());
    QObject::connect(action_, &QAction::triggered, c_.window, [this] { SignalHistory(); });
}

void SignalHistoryPage::SignalHistory()
{
    if (!dialog_) {
        dialog_ = new SignalHistoryDialog(int(kMaxChanges), c_.window);
        dialog_->setObjectName(QStringLiteral("signalHistoryDialog"));
        QObject::connect(dialog_, &SignalHistoryDialog::saveRequested, c_.window, [this] { SaveSignalHistory(); });
    }
    QStringList lines;
    for (const service::Change &c : changes_)
        lines << lineOf(c);
    dialog_->setLines(lines);
    showSummary();
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

void SignalHistoryPage::showSummary()
{
    const auto count = [](size_t n, const QString &one, const QString &many) { return n == 1 ? one : many.arg(n); };
    QString text = changes_.empty() ? tr("No changes since the window started")
                                    : count(changes_.size(), tr("1 change since the window started"),
                                            tr("%1 changes since the window started"));
    text += tr(", oldest first; the newest %1 are kept.").arg(kMaxChanges);
    if (dropped_)
        text += QLatin1Char(' ') + count(dropped_, tr("1 older change dropped."), tr("%1 older changes dropped."));
    dialog_->showSummary(text);
}

void SignalHistoryPage::read(const status::StatusTexts &texts, const status::StatusFacts &facts,
                             const uint8_t *settings)
{
    add(watch_.read(service::nowMillis(),
                    service::boxState("present", service::statusState(texts, facts), service::settingsByName(settings))));
}

void SignalHistoryPage::unanswered(bool listed)
{
    add(watch_.unanswered(service::nowMillis(), listed));
}

void SignalHistoryPage::add(const service::StateWatch::Step &step)
{
    if (step.changes.empty())
        return;
    QStringList lines;
    for (const service::Change &c : step.changes) {
        changes_.push_back(c);
        lines << lineOf(c);
    }
    for (; changes_.size() > kMaxChanges; ++dropped_)
        changes_.pop_front();
    if (dialog_ && dialog_->isVisible()) {
        dialog_->addLines(lines);
        showSummary();
    }
}

bool SignalHistoryPage::SaveSignalHistory()
{
    Feedback &feedback = c_.reporter.feedback();
    QWidget *parent = dialog_ ? static_cast<QWidget *>(dialog_) : c_.window;
    const QString path = feedback.saveFileName(parent, tr("Save Signal History"), QStringLiteral("signals.jsonl"),
                                               tr("Signal log (*.jsonl)"));
    if (path.isEmpty())
        return false;
    // The lines serve --log writes, so vantrelctl log reads the file back.
    std::string text;
    for (const service::Change &c : changes_)
        text += service::changeLine(c);
    QString why;
    if (!saveAtomically(path, text, why)) {
        feedback.warning(parent, tr("VANTREL Utility"), tr("Cannot write file %1:\n%2.").arg(path, why));
        return false;
    }
    c_.reporter.status(tr("Signal history saved"), 2000);
    return true;
}
