// SPDX-License-Identifier: GPL-3.0-or-later
// The bytes always come from the text box, parsed afresh each time.
#include "edid_page.h"
#include "atomic_save.h"

#include "edid_file.h"
#include "edid_import.h"
#include "edid_text.h"
#include "edid_transfer.h"
#include "feedback.h"
#include "session.h"

#include <QFile>
#include <QFileInfo>
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
        if (fetchCode == frame::kFetchBoxEdid)
            showBoxTable(r.text);
        else
            replaceText(c_.ui->EDIDtext, QString::fromLatin1(r.text.c_str()), Qt::black, QFont::Normal);
        noteOrigin(fetchCode == frame::kFetchTxAEdid ? "TX A" : fetchCode == frame::kFetchTxBEdid ? "TX B" : "box");
    }
    return r.outcome;
}

void EdidPage::showBoxTable(const std::string &text)
{
    replaceText(c_.ui->EDIDtext, QString::fromLatin1(text.c_str()), Qt::black, QFont::Normal);
    boxTableText_ = c_.ui->EDIDtext->toPlainText();
}

bool EdidPage::holdsUserText() const
{
    const QString now = c_.ui->EDIDtext->toPlainText();
    return !now.trimmed().isEmpty() && now != boxTableText_;
}

Outcome EdidPage::rereadBoxTable()
{
    if (!holdsUserText())
        return readEdidFrom(frame::kFetchBoxEdid);
    // The read stays: the box's table changed and may be wanted after all.
    c_.reporter.setupProgressBar();
    Session s = c_.reporter.session(c_.box);
    const edid::EdidReadout r = edid::readEdid(s, frame::kFetchBoxEdid);
    if (!r.arrived())
        return r.outcome;
    if (c_.reporter.feedback().question(tr("VANTREL Utility"),
                                        tr("The box has rebuilt its EDID table after the mode change."),
                                        tr("Replace the table in the EDID box with it?"))) {
        showBoxTable(r.text);
        EdidTextBuffer = r.text;
        noteOrigin("box");
    } else {
        c_.reporter.status(tr("The EDID box keeps its table; the box's rebuilt table was not shown"), 4000);
    }
    return r.outcome;
}

void EdidPage::noteOrigin(const std::string &source, const std::string &detail, const std::vector<std::string> &edits)
{
    TableOrigin = {source, detail, edits, c_.ui->EDIDtext->toPlainText()};
}

Outcome EdidPage::ReadEDID()
{
    return readEdidFrom(frame::kFetchBoxEdid);
}
Outcome EdidPage::readTvEdidA()
{
    const Outcome o = readEdidFrom(frame::kFetchTxAEdid);
    tvTableRead_ = o.done();
    return o;
}
Outcome EdidPage::readTvEdidB()
{
    return readEdidFrom(frame::kFetchTxBEdid);
}

bool EdidPage::inCustomMode() const
{
    return !c_.ui->automixEDID->isChecked() && !c_.ui->fixedEDID->isChecked() && c_.ui->cmBEdid->currentIndex() == 0;
}

Outcome EdidPage::WriteEDID()
{
    if (!inCustomMode()) {
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
    const Outcome o = edid::uploadEdid(s, image);
    // The box's table is now this text: a later re-read replaces it unasked.
    if (o.done())
        boxTableText_ = c_.ui->EDIDtext->toPlainText();
    return o;
}

bool EdidPage::writeInCustomMode(const std::function<bool()> &switchToCustom)
{
    Feedback &feedback = c_.reporter.feedback();
    if (!inCustomMode()) {
        if (!feedback.question(tr("VANTREL Utility"), tr("The box takes an EDID table only in CUSTOM EDID TABLE mode."),
                               tr("Switch to CUSTOM mode, wait while the box rebuilds its table, then write "
                                  "the table?")))
            return false;
        c_.reporter.status(tr("Switching to CUSTOM EDID TABLE mode..."), 2000);
        if (!switchToCustom() || !inCustomMode()) {
            c_.reporter.status(tr("The box did not switch to CUSTOM EDID TABLE mode; nothing was written"), 4000);
            return false;
        }
        c_.reporter.status(tr("Waiting while the box rebuilds its EDID table..."), 2000);
        Session s = c_.reporter.session(c_.box);
        // Not done also when the box never reported ready.
        if (!edid::waitEdidReady(s).outcome.done()) {
            c_.reporter.status(tr("The box did not finish rebuilding its EDID table; nothing was written"), 4000);
            return false;
        }
        c_.reporter.status(tr("CUSTOM EDID TABLE mode is on; writing the table..."), 2000);
    }
    if (!uploadEdid().done())
        return false;
    // What the mode change would have re-read is replaced by what was written.
    PendingEdidRead = false;
    edidRereadTries_ = 0;
    return true;
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
    noteOrigin("file", QFileInfo(path).absoluteFilePath().toStdString());
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
    c_.reporter.status(tr("Saving file..."), 2000);
    const std::vector<uint8_t> bytes = edid::edidFileBytes(image);
    QString why;
    if (!saveAtomically(path, std::string(bytes.begin(), bytes.end()), why)) {
        c_.reporter.feedback().warning(c_.window, tr("VANTREL Utility"),
                                       tr("Cannot write file %1:\n%2.").arg(path, why));
        return userStopped("the file could not be written");
    }
    c_.reporter.status(tr("File saved"), 2000);
    return {};
}
