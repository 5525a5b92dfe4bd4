// SPDX-License-Identifier: GPL-3.0-or-later
#include "edid_decode_page.h"

#include "edid_decode_dialog.h"
#include "edid_page.h"
#include "edid_report.h"
#include "edid_text.h"

#include <QMainWindow>
#include <QMenu>

#include "ui_VantrelForm.h"

#include <algorithm>

using namespace vantrel;

void EdidDecodePage::addAction(QMenu *tools)
{
    action_ = tools->addAction(tr("Decode &EDID..."));
    action_->setObjectName(QStringLiteral("actionDecodeEdid"));
    action_->setFont(c_.ui->actionAbout->font());
    QObject::connect(action_, &QAction::triggered, c_.window, [this] { DecodeEdid(); });
}

void EdidDecodePage::DecodeEdid()
{
    edid::EdidImage image{};
    int values = 0;
    if (!edid_.parseEdidBox(image, &values).done())
        return;
    // Only the bytes the box holds: a base block alone is not a broken extension.
    const size_t count = size_t(std::min(values, edid::kEdidSize));
    const edid::EdidReport report = edid::decodeEdid(image.data(), count);
    const int problems = int(std::count_if(report.problems.begin(), report.problems.end(),
                                           [](const edid::Problem &p) { return p.severity == edid::Severity::Error; }));
    if (!dialog_) {
        dialog_ = new EdidDecodeDialog(c_.window);
        dialog_->setObjectName(QStringLiteral("edidDecodeDialog"));
        QObject::connect(dialog_, &EdidDecodeDialog::refreshRequested, c_.window, [this] { DecodeEdid(); });
    }
    dialog_->showReport(QString::fromStdString(edid::edidReportText(report)), problems);
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}
