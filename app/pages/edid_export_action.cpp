// SPDX-License-Identifier: GPL-3.0-or-later
#include "edid_export_action.h"

#include "atomic_save.h"
#include "edid_export.h"
#include "feedback.h"
#include "window_reporter.h"

#include <QCoreApplication>
#include <QFileInfo>

using namespace vantrel;

namespace {

struct Tr {
    Q_DECLARE_TR_FUNCTIONS(MainWindow)
};

edid::ExportFormat formatFor(const QString &path)
{
    const QString ending = QFileInfo(path).suffix().toLower();
    if (ending == QLatin1String("bin"))
        return edid::ExportFormat::Linux;
    if (ending == QLatin1String("reg"))
        return edid::ExportFormat::Windows;
    if (ending == QLatin1String("h") || ending == QLatin1String("c"))
        return edid::ExportFormat::CArray;
    if (ending == QLatin1String("b64"))
        return edid::ExportFormat::Base64;
    return edid::ExportFormat::Hex;
}

} // namespace

bool exportTableInteractively(QWidget *parent, WindowReporter &reporter, const std::vector<uint8_t> &table)
{
    Feedback &feedback = reporter.feedback();
    const std::vector<uint8_t> blocks = edid::tableBlocks(table);
    const QString proposed = QString::fromStdString(edid::displayId(blocks)) + QStringLiteral(".bin");
    const QString path = feedback.saveFileName(
        parent, Tr::tr("Export EDID"), proposed,
        Tr::tr("Linux EDID firmware (*.bin);;Windows EDID override (*.reg);;C array (*.h *.c);;"
               "Hex text (*.hex *.txt);;Base64 (*.b64)"));
    if (path.isEmpty())
        return false;
    edid::ExportRequest request;
    request.format = formatFor(path);
    if (request.format == edid::ExportFormat::Linux)
        request.name = QFileInfo(path).completeBaseName().toStdString();
    request.path = QFileInfo(path).fileName().toStdString();
    const edid::ExportResult r = edid::exportTable(blocks, request);
    QString why;
    if (!saveAtomically(path, std::string(r.bytes.begin(), r.bytes.end()), why)) {
        feedback.warning(parent, Tr::tr("VANTREL Utility"), Tr::tr("Cannot write file %1:\n%2.").arg(path, why));
        return false;
    }
    reporter.status(Tr::tr("EDID exported"), 2000);
    if (!r.steps.empty()) {
        QString text = Tr::tr("%1 is written. To use it (nothing of this was done):").arg(QFileInfo(path).fileName());
        for (size_t i = 0; i < r.steps.size(); ++i)
            text += QStringLiteral("\n%1. %2").arg(i + 1).arg(QString::fromStdString(r.steps[i]));
        feedback.about(parent, Tr::tr("Export EDID"), text);
    }
    return true;
}
