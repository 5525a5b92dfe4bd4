// SPDX-License-Identifier: GPL-3.0-or-later
// The bytes always come from the text box, parsed afresh each time.
#include "edid_page.h"

#include "edid_file.h"
#include "edid_import.h"
#include "edid_text.h"
#include "edid_transfer.h"
#include "feedback.h"
#include "session.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextCharFormat>
#include <QTextCursor>

#include "ui_VantrelForm.h"

#include <algorithm>

using namespace vantrel;

namespace {

constexpr int kEdidPointSize = 8;

// The box's text as the parser reads it: upper case, 8-bit.
std::string boxBytes(const QString &plain)
{
    return plain.toUpper().toLatin1().toStdString();
}

void replaceText(QTextEdit *edit, const QString &text, const QColor &colour, int weight)
{
    edit->clear();
    edit->setFontPointSize(kEdidPointSize);
    edit->setTextColor(colour);
    edit->setFontWeight(weight);
    edit->insertPlainText(text);
}

// What the window stopped itself, after a dialog said why.
Outcome userStopped(const char *reason)
{
    return {Verdict::Refused, reason, 0};
}

} // namespace

Outcome EdidPage::readEdidFrom(uint8_t fetchCode)
{
    EdidTextBuffer.clear();
    c_.reporter.setupProgressBar();
    Session s = c_.reporter.session(c_.box);
    edid::EdidReadout r = edid::readEdid(s, fetchCode);
    // A table that came is shown, even from a box that never reported ready
    // (the readout's warning says it may be stale).
    if (r.arrived()) {
        EdidTextBuffer = r.text;
        replaceText(c_.ui->EDIDtext, QString::fromLatin1(EdidTextBuffer.c_str()), Qt::black, QFont::Normal);
    }
    return r.outcome;
}

Outcome EdidPage::ReadEDID()
{
    return readEdidFrom(frame::kFetchBoxEdid);
}
Outcome EdidPage::readTvEdidA()
{
    return readEdidFrom(frame::kFetchTxAEdid);
}
Outcome EdidPage::readTvEdidB()
{
    return readEdidFrom(frame::kFetchTxBEdid);
}

Outcome EdidPage::WriteEDID()
{
    if (c_.ui->automixEDID->isChecked() || c_.ui->fixedEDID->isChecked() || c_.ui->cmBEdid->currentIndex() != 0) {
        c_.reporter.feedback().warning(c_.window, tr("VANTREL Utility"),
                                       tr("\nSelect CUSTOM EDID TABLE mode to upload an EDID table\n"));
        return userStopped("the box takes a table only in CUSTOM EDID TABLE mode");
    }
    return uploadEdid();
}

Outcome EdidPage::uploadEdid()
{
    c_.reporter.setupProgressBar();
    edid::EdidImage image{};
    const Outcome parsed = parseEdidBox(image);
    if (!parsed.done())
        return parsed;
    // A display that is not attached reads as zeros; the box would then offer
    // the source a table it cannot use.
    if (!edid::hasEdidHeader({image.begin(), image.end()}) &&
        !c_.reporter.feedback().question(tr("VANTREL Utility"), tr("The table has no EDID header."),
                                         tr("Write anyway?")))
        return userStopped("a table without an EDID header was not written");
    if (!edid::checkChecksums(image).ok() &&
        !c_.reporter.feedback().question(tr("VANTREL Utility"), tr("The EDID Checksum is not correct."),
                                         tr("Write anyway?")))
        return userStopped("a table with a wrong checksum was not written");
    Session s = c_.reporter.session(c_.box);
    return edid::uploadEdid(s, image);
}

Outcome EdidPage::parseEdidBox(std::array<uint8_t, 256> &image, int *count)
{
    const std::string text = boxBytes(c_.ui->EDIDtext->toPlainText());
    edid::EdidText parsed = edid::parseEdidText(text);
    if (!parsed.ok()) {
        // Where it goes wrong, counted as an editor counts: from 1.
        const std::string before = text.substr(0, std::min(parsed.errorAt, text.size()));
        const size_t lineStart = before.rfind('\n');
        const int line = int(std::count(before.begin(), before.end(), '\n')) + 1;
        const int column = int(before.size() - (lineStart == std::string::npos ? 0 : lineStart + 1)) + 1;
        c_.reporter.feedback().warning(c_.window, tr("VANTREL Utility"),
                                       tr("Hex Format Error") + tr("\nline %1, column %2").arg(line).arg(column));
        return userStopped("the EDID box does not hold hex values");
    }
    image = parsed.image;
    if (count)
        *count = parsed.count;
    return {};
}

void EdidPage::showEdidHex(const std::array<uint8_t, 256> &image)
{
    c_.ui->EDIDtext->clear();
    QTextCursor cursor(c_.ui->EDIDtext->document());
    // The same size as a read or a loaded text shows.
    QTextCharFormat normal;
    normal.setForeground(QBrush(Qt::black, Qt::SolidPattern));
    normal.setFontPointSize(kEdidPointSize);
    QTextCharFormat lineEnd = normal;
    for (int i = 0; i < 256; ++i) {
        if (i % 16 != 15) {
            cursor.insertText(QString::asprintf("%02X ", image[i]), normal);
        } else {
            // The two checksum bytes stand out in bold.
            lineEnd.setFontWeight(i == 127 || i == 255 ? QFont::Bold : QFont::Normal);
            cursor.insertText(QString::asprintf("%02X", image[i]), lineEnd);
            cursor.insertText(QStringLiteral("\n"));
        }
    }
}

Outcome EdidPage::CalculateChkSum()
{
    edid::EdidImage image{};
    const Outcome parsed = parseEdidBox(image);
    if (!parsed.done())
        return parsed;
    if (edid::checkChecksums(image).ok()) {
        showEdidHex(image);
        return {};
    }
    if (!c_.reporter.feedback().question(QString(), tr("The EDID Checksum is not correct."),
                                         tr("Do you want to calculate a new checksum?")))
        return userStopped("the checksum was left as it is");
    edid::repairChecksums(image);
    showEdidHex(image);
    return {};
}

Outcome EdidPage::LoadEDIDfromFile()
{
    const QString path =
        c_.reporter.feedback().openFileName(c_.window, tr("Open file"),
                                            tr("EDID tables (*.bin *.txt *.hex *.dat);;All files (*)"));
    if (path.isEmpty())
        return userStopped("no file was chosen");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        c_.reporter.feedback().warning(c_.window, tr("VANTREL Utility"),
                                       tr("Cannot read file %1:\n%2.").arg(path, file.errorString()));
        return userStopped("the file could not be read");
    }
    const QByteArray data = file.read(qint64(edid::kMaxTextFileRead));
    const edid::TextBoxLoad loaded =
        edid::loadForTextBox(reinterpret_cast<const uint8_t *>(data.constData()), size_t(data.size()));
    if (loaded.kind == edid::TextBoxLoad::Refused) {
        c_.reporter.feedback().warning(
            c_.window, tr("VANTREL Utility"),
            tr("Cannot load file %1:\n%2").arg(path, QString::fromStdString(loaded.problem)));
        return userStopped("the file holds no table");
    }
    if (loaded.kind == edid::TextBoxLoad::Binary)
        showEdidHex(loaded.image);
    else
        replaceText(c_.ui->EDIDtext, QString::fromLatin1(loaded.text.c_str()), QColor(0, 0, 255, 255), QFont::Bold);
    c_.reporter.status(tr("File loaded"), 2000);
    // The text is in the box for editing; where it goes wrong is said now.
    if (!loaded.problem.empty())
        c_.reporter.feedback().warning(
            c_.window, tr("VANTREL Utility"),
            tr("Hex Format Error in %1:\n%2").arg(path, QString::fromStdString(loaded.problem)));
    return {};
}

Outcome EdidPage::SaveEDIDtoFile()
{
    edid::EdidImage image{};
    const Outcome parsed = parseEdidBox(image);
    if (!parsed.done())
        return parsed;
    const QString path = c_.reporter.feedback().saveFileName(
        c_.window, tr("Save File"), QString::fromLatin1(edid::kProposedFileName), tr("Binary file (*.bin)"));
    if (path.isEmpty())
        return userStopped("no file was chosen");
    // A file is written beside the old one and swapped in whole, so a failed
    // save keeps it. A device or pipe cannot be swapped (the swap would put a
    // plain file in its place): it is written where it is.
    const QFileInfo target(path);
    const bool inPlace = target.exists() && !target.isFile() && !target.isDir();
    QSaveFile swapped(path);
    QFile direct(path);
    QFileDevice &file = inPlace ? static_cast<QFileDevice &>(direct) : swapped;
    if (!file.open(QIODevice::WriteOnly)) {
        c_.reporter.feedback().warning(c_.window, tr("VANTREL Utility"),
                                       tr("Cannot write file %1:\n%2.").arg(path, file.errorString()));
        return userStopped("the file could not be written");
    }
    c_.reporter.status(tr("Saving file..."), 2000);
    const std::vector<uint8_t> bytes = edid::edidFileBytes(image);
    const qint64 written = file.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()));
    if (written != qint64(bytes.size()) || !(inPlace ? direct.flush() : swapped.commit())) {
        const QString why = file.errorString();
        if (!inPlace)
            swapped.cancelWriting();
        c_.reporter.feedback().warning(c_.window, tr("VANTREL Utility"),
                                       tr("Cannot write file %1:\n%2.").arg(path, why));
        return userStopped("the file could not be written");
    }
    c_.reporter.status(tr("File saved"), 2000);
    return {};
}
