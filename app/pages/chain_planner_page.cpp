// SPDX-License-Identifier: GPL-3.0-or-later
#include "chain_planner_page.h"

#include "chain_planner_dialog.h"
#include "edid_designer_dialog.h"
#include "edid_designer_page.h"
#include "edid_file.h"
#include "edid_transfer.h"
#include "exchange_thread.h"
#include "form_binding.h"
#include "setting_values.h"
#include "settings_page.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>

#include "feedback.h"

#include "ui_VantrelForm.h"

using namespace vantrel;
using namespace vantrel::chain;

void ChainPlannerPage::addAction(QMenu *tools)
{
    action_ = tools->addAction(tr("&Chain planner..."));
    action_->setObjectName(QStringLiteral("actionChainPlanner"));
    action_->setFont(c_.ui->actionAbout->font());
    QObject::connect(action_, &QAction::triggered, c_.window, [this] { openPlanner(); });
}

void ChainPlannerPage::openPlanner()
{
    if (!dialog_) {
        dialog_ = new ChainPlannerDialog(c_.window);
        dialog_->setObjectName(QStringLiteral("chainPlannerDialog"));
        QObject::connect(dialog_, &ChainPlannerDialog::readRequested, c_.window, [this] {
            readBox();
            replan();
        });
        QObject::connect(dialog_, &ChainPlannerDialog::fileRequested, c_.window, [this](int link) {
            const QString path = QFileDialog::getOpenFileName(dialog_, tr("Table to plan with"));
            if (!path.isEmpty())
                loadFile(link, path);
        });
        QObject::connect(dialog_, &ChainPlannerDialog::fixChosen, c_.window, [this](int i) { applyFix(i); });
        chain_.settings = factorySettings();
        readBox();
        replan();
    }
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

bool ChainPlannerPage::readBox()
{
    // Read again once the exchange out has ended; the tables stay as they are.
    if (exchange::out())
        return false;
    if (!c_.box.link().isOpen()) {
        chain_.settings = factorySettings();
        chain_.settings.origin = "factory: no box, load the tables from files";
        return false;
    }
    c_.reporter.setupProgressBar();
    const struct {
        uint8_t fetch;
        const char *word;
        std::optional<Table> *slot;
    } reads[] = {{frame::kFetchBoxEdid, "box", &chain_.box},
                 {frame::kFetchTxAEdid, "top", &chain_.top},
                 {frame::kFetchTxBEdid, "bottom", &chain_.bottom}};
    for (const auto &r : reads) {
        Session s = c_.reporter.session(c_.box);
        const edid::EdidReadout got = edid::readEdid(s, r.fetch);
        *r.slot = got.arrived() ? tableOf(r.word, {got.image.begin(), got.image.end()}) : std::nullopt;
    }
    chain_.settings = settingsFromBlock(settings_.SettingsImage, config::kBlockSize);
    return true;
}

void ChainPlannerPage::loadFile(int link, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray raw = file.read(64 * 1024);
    const edid::TableFile read = edid::readTableFile(reinterpret_cast<const uint8_t *>(raw.constData()), size_t(raw.size()));
    std::optional<Table> t =
        read.ok() ? tableOf(QFileInfo(path).fileName().toStdString(), read.bytes) : std::optional<Table>();
    if (!t) {
        QMessageBox::warning(dialog_, tr("Chain planner"), tr("%1 holds no EDID table.").arg(QFileInfo(path).fileName()));
        return;
    }
    (link == 0 ? chain_.box : link == 1 ? chain_.top : chain_.bottom) = t;
    replan();
}

void ChainPlannerPage::replan()
{
    if (dialog_)
        dialog_->showPlan(chain_, makePlan(chain_));
}

void ChainPlannerPage::applyFix(int index)
{
    if (!dialog_ || index < 0 || size_t(index) >= dialog_->fixes().size())
        return;
    const Fix f = dialog_->fixes()[size_t(index)];
    if (f.kind == FixKind::EdidEdit) {
        const std::optional<Table> &base = chain_.table(f.base);
        if (!base)
            return;
        designer_.openDesigner();
        const QString from = f.base == LinkId::SourceBox ? tr("the box's table") : tr("%1 display").arg(linkLabel(f.base));
        designer_.dialog()->setTable(base->bytes, from);
        const LinkId audio = audioOutput(chain_);
        designer_.dialog()->tickEdits(f.edits, tr("audio of %1").arg(linkLabel(audio)));
        return;
    }
    QStringList changes;
    for (size_t i = 0; i + 1 < f.arguments.size(); i += 2)
        changes << QStringLiteral("%1 %2").arg(QString::fromStdString(f.arguments[i]), QString::fromStdString(f.arguments[i + 1]));
    if (!c_.reporter.feedback().question(tr("VANTREL Utility"), QString::fromStdString(f.description),
                                         tr("Set %1 on the box?").arg(changes.join(tr(" and ")))))
        return;
    for (size_t i = 0; i + 1 < f.arguments.size(); i += 2) {
        const config::Setting *s = config::findSetting(f.arguments[i]);
        if (!s)
            continue;
        const config::ParsedValue v = config::parseSettingValue(*s, f.arguments[i + 1]);
        if (!v.ok)
            continue;
        settings_.showValue(*s, v.value);
        settings_.runSetting(config::bindingAt(s->position).slot);
    }
    // The tables stay as they are (files among them); the settings are the box's now.
    settings_.RefreshSettings();
    chain_.settings = settingsFromBlock(settings_.SettingsImage, config::kBlockSize);
    replan();
}
