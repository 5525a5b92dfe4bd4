// SPDX-License-Identifier: GPL-3.0-or-later
#include "edid_designer_page.h"

#include "edid_designer_dialog.h"
#include "edid_export_action.h"
#include "edid_file.h"
#include "edid_import.h"
#include "edid_page.h"
#include "edid_text.h"
#include "edid_transfer.h"
#include "exchange_thread.h"
#include "feedback.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>

#include "ui_EdidDesignerDialog.h"
#include "ui_VantrelForm.h"

#include <algorithm>

using namespace vantrel;

void EdidDesignerPage::addAction(QMenu *tools)
{
    action_ = tools->addAction(tr("EDID &designer..."));
    action_->setObjectName(QStringLiteral("actionEdidDesigner"));
    action_->setFont(c_.ui->actionAbout->font());
    QObject::connect(action_, &QAction::triggered, c_.window, [this] { openDesigner(); });
}

void EdidDesignerPage::openDesigner()
{
    if (!dialog_) {
        dialog_ = new EdidDesignerDialog(c_.window);
        dialog_->setObjectName(QStringLiteral("edidDesignerDialog"));
        QObject::connect(dialog_, &EdidDesignerDialog::loadRequested, c_.window, [this](int s) { load(s); });
        QObject::connect(dialog_, &EdidDesignerDialog::putRequested, c_.window, [this] { putInEdidBox(); });
        QObject::connect(dialog_, &EdidDesignerDialog::writeRequested, c_.window, [this] {
            if (exchange::out()) {
                dialog_->showFeedback(tr("Not written: the box is busy with another exchange."), true);
                return;
            }
            if (!putInEdidBox())
                return;
            // Outside CUSTOM mode it offers to switch and waits for the rebuild.
            const bool written = edid_.writeInCustomMode([this] { return switchToCustom(); });
            dialog_->showFeedback(written ? tr("Written to the box (%1 bytes).").arg(dialog_->result().bytes.size())
                                          : tr("Not written to the box; the main window says why."),
                                  !written);
        });
        QObject::connect(dialog_, &EdidDesignerDialog::saveRequested, c_.window, [this] { save(); });
        addExportButton();
        load(0);
    }
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

void EdidDesignerPage::load(int source)
{
    std::vector<uint8_t> table;
    QString from;
    if (source == 0) {
        edid::EdidImage image{};
        int values = 0;
        if (!edid_.parseEdidBox(image, &values).done())
            return;
        table.assign(image.begin(), image.begin() + std::min(values, edid::kEdidSize));
        from = tr("EDID box");
    } else if (source == 1 || source == 2) {
        if (exchange::out()) {
            dialog_->showFeedback(tr("Not read: the box is busy with another exchange."), true);
            return;
        }
        c_.reporter.setupProgressBar();
        Session s = c_.reporter.session(c_.box);
        const edid::EdidReadout r = edid::readEdid(s, source == 1 ? frame::kFetchTxAEdid : frame::kFetchTxBEdid);
        if (!r.arrived()) {
            dialog_->showFeedback(tr("The display's table could not be read."), true);
            return;
        }
        table.assign(r.image.begin(), r.image.end());
        from = source == 1 ? tr("TX A display") : tr("TX B display");
    } else {
        const QString path = QFileDialog::getOpenFileName(dialog_, tr("Table to start from"));
        QFile file(path);
        if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
            return;
        const QByteArray raw = file.read(64 * 1024);
        const edid::TableFile read =
            edid::readTableFile(reinterpret_cast<const uint8_t *>(raw.constData()), size_t(raw.size()));
        if (!read.ok()) {
            c_.reporter.feedback().warning(dialog_, tr("VANTREL Utility"),
                                           tr("Hex Format Error, %1").arg(QString::fromStdString(read.where())));
            return;
        }
        table = read.bytes;
        from = QFileInfo(path).fileName();
    }
    // Zero blocks after the table are the box's padding, not extensions.
    table.resize(std::min(table.size(), size_t(edid::extensionCount(table).present + 1) * edid::kBlockSize));
    from_ = from;
    dialog_->setTable(table, from);
}

bool EdidDesignerPage::putInEdidBox()
{
    const auto &r = dialog_->result();
    if (!r.ok || r.bytes.size() > size_t(edid::kEdidSize))
        return false;
    edid::EdidImage image{};
    std::copy(r.bytes.begin(), r.bytes.end(), image.begin());
    c_.ui->EDIDtext->setPlainText(QString::fromStdString(edid::canonicalEdidText(image)));
    // The library keeps what the table was made of.
    std::vector<std::string> edits;
    for (const edid::edit::EditStep &step : r.steps) {
        const std::string label = EdidDesignerDialog::editLabel(step.edit).toStdString();
        edits.push_back(step.changes.empty() ? label : label + ": " + step.changes.front());
    }
    edid_.noteOrigin("designer", from_.toStdString(), edits);
    dialog_->showFeedback(tr("Put in the EDID box (%1 bytes).").arg(r.bytes.size()), false);
    return true;
}

bool EdidDesignerPage::switchToCustom()
{
    // As the user would: the mode's radio button and the preset's list box
    // run their slots (the mode change asks for the re-read).
    if (!c_.ui->customEDID->isChecked())
        c_.ui->customEDID->click();
    if (c_.ui->cmBEdid->currentIndex() != 0)
        c_.ui->cmBEdid->setCurrentIndex(0);
    return c_.ui->customEDID->isChecked();
}

// Beside Save...: the designed table in the forms other systems read.
void EdidDesignerPage::addExportButton()
{
    auto *button = new QPushButton(tr("&Export..."), dialog_);
    button->setObjectName(QStringLiteral("exportButton"));
    button->setToolTip(tr("Write the designed table for Linux, Windows, firmware or web tools"));
    QBoxLayout *row = dialog_->ui->buttonRow;
    row->insertWidget(row->indexOf(dialog_->ui->saveButton) + 1, button);
    QWidget::setTabOrder(dialog_->ui->saveButton, button);
    QObject::connect(button, &QPushButton::clicked, c_.window, [this] {
        if (dialog_->result().ok)
            exportTableInteractively(dialog_, c_.reporter, dialog_->result().bytes);
    });
}

void EdidDesignerPage::save()
{
    const auto &r = dialog_->result();
    const QString path = QFileDialog::getSaveFileName(dialog_, tr("Save the designed table"),
                                                      QString::fromLatin1(edid::kProposedFileName));
    if (!r.ok || path.isEmpty())
        return;
    // The window's form: 256 bytes, a shorter table padded with zeros.
    std::vector<uint8_t> bytes = r.bytes;
    bytes.resize(std::max(bytes.size(), size_t(edid::kEdidSize)), 0);
    std::string error;
    if (!edid::atomicWriteFile(path.toStdString(), bytes, error)) {
        c_.reporter.feedback().warning(dialog_, tr("VANTREL Utility"),
                                       tr("Cannot save %1: %2").arg(path, QString::fromStdString(error)));
        dialog_->showFeedback(tr("Not saved: %1").arg(QString::fromStdString(error)), true);
        return;
    }
    dialog_->showFeedback(tr("Saved to %1 (%2 bytes).").arg(QFileInfo(path).fileName()).arg(bytes.size()), false);
}
