// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile_page.h"

#include "atomic_save.h"
#include "exchange_thread.h"
#include "feedback.h"
#include "profile_apply_dialog.h"
#include "profile_target.h"
#include "edid_page.h"
#include "inject_page.h"
#include "settings_page.h"
#include "utc_time.h"

#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QSettings>

#include "ui_VantrelForm.h"

using namespace vantrel;

namespace {

// The recent profiles live in the program's own configuration
// (~/.config/vantrel/vantrel-utility.conf on Linux), most recent first.
QStringList readRecent()
{
    const QSettings settings(QStringLiteral("vantrel"), QStringLiteral("vantrel-utility"));
    return settings.value(QStringLiteral("recentProfiles")).toStringList().mid(0, ProfilePage::kMaxRecent);
}

void storeRecent(const QStringList &list)
{
    QSettings settings(QStringLiteral("vantrel"), QStringLiteral("vantrel-utility"));
    settings.setValue(QStringLiteral("recentProfiles"), list.mid(0, ProfilePage::kMaxRecent));
}

QString text(const std::string &s)
{
    return QString::fromStdString(s);
}

} // namespace

ProfilePage::ProfilePage(const PageContext &context, SettingsPage &settings, EdidPage &edid, InjectPage &inject,
                         std::function<bool()> boxReady)
    : c_(context), settings_(settings), edid_(edid), inject_(inject), boxReady_(std::move(boxReady)),
      target_(std::make_unique<WindowProfileTarget>(context, settings, edid, inject))
{}

ProfilePage::~ProfilePage() = default;

void ProfilePage::addActions(QMenu *file, QAction *before)
{
    const QFont font = c_.ui->actionAbout->font();
    save_ = new QAction(tr("&Save box profile..."), file);
    save_->setObjectName(QStringLiteral("actionSaveProfile"));
    apply_ = new QAction(tr("&Apply box profile..."), file);
    apply_->setObjectName(QStringLiteral("actionApplyProfile"));
    recent_ = new QMenu(tr("&Recent profiles"), file);
    recent_->setObjectName(QStringLiteral("menuRecentProfiles"));
    for (QAction *a : {save_, apply_, recent_->menuAction()}) {
        a->setFont(font);
        file->insertAction(before, a);
    }
    file->insertSeparator(before);
    QObject::connect(save_, &QAction::triggered, c_.window, [this] { SaveProfile(); });
    QObject::connect(apply_, &QAction::triggered, c_.window, [this] { ApplyProfile(); });
    // Whether a box is there is judged when the menu opens.
    QObject::connect(file, &QMenu::aboutToShow, c_.window, [this] { updateMenu(); });
    updateMenu();
}

void ProfilePage::updateMenu()
{
    const bool ready = boxReady_();
    save_->setEnabled(ready);
    apply_->setEnabled(ready);
    // One of them may be what is running now: it goes once control is back in the event loop.
    for (QAction *old : recent_->actions()) {
        recent_->removeAction(old);
        old->deleteLater();
    }
    const QStringList recent = recentProfiles();
    for (int i = 0; i < recent.size(); ++i) {
        const QString path = recent[i];
        QAction *a = recent_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
        a->setFont(save_->font());
        a->setStatusTip(path);
        a->setToolTip(path);
        QObject::connect(a, &QAction::triggered, c_.window, [this, path] { applyFile(path); });
    }
    recent_->menuAction()->setEnabled(ready && !recent.isEmpty());
}

QStringList ProfilePage::recentProfiles() const
{
    return readRecent();
}

void ProfilePage::remember(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList recent = recentProfiles();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    storeRecent(recent);
    updateMenu();
}

void ProfilePage::forget(const QString &path)
{
    QStringList recent = recentProfiles();
    recent.removeAll(path);
    storeRecent(recent);
    updateMenu();
}

void ProfilePage::warn(const QString &message)
{
    c_.reporter.feedback().warning(c_.window, tr("VANTREL Utility"), message);
}

void ProfilePage::SaveProfile()
{
    if (!boxReady_())
        return;
    const QString path = c_.reporter.feedback().saveFileName(
        c_.window, tr("Save box profile"), QStringLiteral("profile.json"), tr("Box profiles (*.json);;All files (*)"));
    if (path.isEmpty())
        return;
    const profile::FactsRead read = target_->read();
    if (!read.outcome.done()) {
        warn(tr("Cannot read the box's set-up: %1.").arg(text(read.outcome.message)));
        return;
    }
    profile::Profile p = profile::profileOf(read.facts, utcNowText());
    // The box cannot report its CEC texts: what this window stored, if anything.
    for (const bool lp : {false, true})
        if (const std::string &cec = inject_.storedCec(lp); !cec.empty())
            (lp ? p.cecLp : p.cecSp) = cec;
    const std::string json = profile::writeProfile(p);
    QString why;
    if (!saveAtomically(path, json, why)) {
        warn(tr("Cannot write file %1:\n%2.").arg(path, why));
        return;
    }
    c_.reporter.status(tr("Profile saved"), 2000);
    remember(path);
}

void ProfilePage::ApplyProfile()
{
    if (!boxReady_())
        return;
    const QString path = c_.reporter.feedback().openFileName(c_.window, tr("Apply box profile"),
                                                             tr("Box profiles (*.json);;All files (*)"));
    if (!path.isEmpty())
        applyFile(path);
}

void ProfilePage::applyFile(const QString &path)
{
    if (!boxReady_())
        return;
    QFile file(path);
    if (!file.exists()) {
        forget(path);
        warn(tr("The profile %1 is no longer there; it is taken off the recent profiles.").arg(path));
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        warn(tr("Cannot read file %1:\n%2.").arg(path, file.errorString()));
        return;
    }
    const QByteArray data = file.read(qint64(profile::kMaxFileSize) + 1);
    const profile::ReadResult r = profile::readProfile(std::string_view(data.constData(), size_t(data.size())));
    if (!r.ok) {
        warn(tr("Cannot apply %1:\n%2.").arg(path, text(r.error)));
        return;
    }
    if (!r.warnings.empty()) {
        QStringList lines;
        for (const std::string &w : r.warnings)
            lines << text(w);
        warn(tr("%1:\n%2").arg(path, lines.join(QLatin1Char('\n'))));
    }
    remember(path);
    wanted_ = r.profile;
    wantedPath_ = path;
    const profile::ApplyReport plan = profile::applyProfile(*target_, wanted_, profile::Sections{}, true);
    if (plan.failed) {
        warn(tr("Cannot read the box's set-up: %1.").arg(text(plan.error)));
        return;
    }
    if (!dialog_) {
        dialog_ = new ProfileApplyDialog(c_.window);
        dialog_->setObjectName(QStringLiteral("profileApplyDialog"));
        QObject::connect(dialog_, &ProfileApplyDialog::applyRequested, c_.window, [this] { runApply(); });
    }
    const QString name = QFileInfo(path).fileName();
    const size_t n = plan.steps.size();
    QString summary = tr("The box already holds what %1 holds.").arg(name);
    if (n > 0)
        summary = (n == 1 ? tr("1 change from %1").arg(name) : tr("%1 changes from %2").arg(n).arg(name)) +
                  tr("; nothing is written before Apply.");
    dialog_->showPlan(summary, plan.steps);
    dialog_->open();
}

void ProfilePage::runApply()
{
    if (exchange::out()) {
        warn(tr("Nothing applied: the box is busy with another exchange. Apply again when it has ended."));
        return;
    }
    const profile::ApplyReport r = profile::applyProfile(*target_, wanted_, profile::Sections{}, false);
    // The window shows the box as the apply left it.
    settings_.RefreshSettings();
    edid_.ReadEDID();
    const QString name = QFileInfo(wantedPath_).fileName();
    const QString summary = text(profile::appliedSummary(r));
    if (r.failed) {
        const QString message = tr("The apply of %1 stopped: %2.\n%3.").arg(name, text(r.error), summary);
        dialog_->showResult(message, r.steps);
        warn(message);
        return;
    }
    dialog_->showResult(tr("%1 is on the box: %2.").arg(name, summary), r.steps);
    c_.reporter.status(tr("Profile applied"), 2000);
}
