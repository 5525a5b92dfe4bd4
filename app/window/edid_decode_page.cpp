// SPDX-License-Identifier: GPL-3.0-or-later
// Tools > Decode EDID...: the table in the EDID box, parsed as "Write EDID"
// parses it, decoded into a window that stays open beside the main one.
#include "mainwindow.h"

#include "edid_decode_dialog.h"
#include "edid_report.h"
#include "edid_text.h"

#include <QMenuBar>

#include <algorithm>

using namespace vantrel;

void MainWindow::setupToolsMenu()
{
    // Not part of the form: the form keeps the menus its layout was made for.
    auto *tools = new QMenu(tr("&Tools"), ui->menubar);
    tools->setObjectName(QStringLiteral("menuTools"));
    decodeEdidAction_ = tools->addAction(tr("Decode &EDID..."));
    decodeEdidAction_->setObjectName(QStringLiteral("actionDecodeEdid"));
    decodeEdidAction_->setFont(ui->actionAbout->font());
    addPacketDecodeAction(tools);
    ui->menubar->insertMenu(ui->menuHelp->menuAction(), tools);
    connect(decodeEdidAction_, &QAction::triggered, this, &MainWindow::DecodeEdid);
}

void MainWindow::DecodeEdid()
{
    edid::EdidImage image{};
    int values = 0;
    if (!parseEdidBox(image, &values))
        return;
    // Only the bytes the box holds: a base block alone is not a broken extension.
    const size_t count = size_t(std::min(values, edid::kEdidSize));
    const edid::EdidReport report = edid::decodeEdid(image.data(), count);
    const int problems = int(std::count_if(report.problems.begin(), report.problems.end(),
                                           [](const edid::Problem &p) { return p.severity == edid::Severity::Error; }));
    if (!decodeDialog_) {
        decodeDialog_ = new EdidDecodeDialog(this);
        decodeDialog_->setObjectName(QStringLiteral("edidDecodeDialog"));
        connect(decodeDialog_, &EdidDecodeDialog::refreshRequested, this, &MainWindow::DecodeEdid);
    }
    decodeDialog_->showReport(QString::fromStdString(edid::edidReportText(report)), problems);
    decodeDialog_->show();
    decodeDialog_->raise();
    decodeDialog_->activateWindow();
}
