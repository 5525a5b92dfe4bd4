// SPDX-License-Identifier: GPL-3.0-or-later
#include "edid_designer_dialog.h"

#include "edid_diff.h"
#include "edid_import.h"
#include "edid_report.h"
#include "edid_text.h"

#include "ui_EdidDesignerDialog.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

using namespace vantrel::edid;

namespace {

QString summaryText(const std::vector<uint8_t> &table)
{
    if (table.empty())
        return QString();
    const EdidReport r = decodeEdid(table);
    const EdidSummary s = summarize(r);
    QStringList lines;
    lines << QStringLiteral("%1 bytes, %2")
                 .arg(table.size())
                 .arg(r.base.displayNames.empty() ? QStringLiteral("no name")
                                                  : QString::fromStdString(r.base.displayNames[0]));
    if (!s.preferredTiming.empty())
        lines << QStringLiteral("Preferred: ") + QString::fromStdString(s.preferredTiming);
    for (const ModeSummary &m : s.largestModes)
        lines << QStringLiteral("Mode: ") + QString::fromStdString(modeText(m));
    for (const std::string &a : s.audio)
        lines << QStringLiteral("Audio: ") + QString::fromStdString(a);
    for (const std::string &h : s.hdrFormats)
        lines << QStringLiteral("HDR: ") + QString::fromStdString(h);
    if (s.maxTmdsMHz)
        lines << QStringLiteral("Max TMDS: %1 MHz").arg(s.maxTmdsMHz);
    lines << QStringLiteral("Errors: %1, warnings: %2").arg(s.errors).arg(s.warnings);
    return lines.join(QLatin1Char('\n'));
}

// The items of a checkable list that are not ticked, by their stored number.
std::vector<unsigned> unticked(const QListWidget *list)
{
    std::vector<unsigned> out;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() != Qt::Checked)
            out.push_back(list->item(i)->data(Qt::UserRole).toUInt());
    return out;
}

} // namespace

EdidDesignerDialog::EdidDesignerDialog(QWidget *parent) : QDialog(parent)
{
    ui = new Ui_EdidDesignerDialog;
    ui->setupUi(this);
    connect(ui->loadButton, &QPushButton::clicked, this,
            [this] { emit loadRequested(ui->sourceCombo->currentIndex()); });
    connect(ui->putButton, &QPushButton::clicked, this, &EdidDesignerDialog::putRequested);
    connect(ui->writeButton, &QPushButton::clicked, this, &EdidDesignerDialog::writeRequested);
    connect(ui->saveButton, &QPushButton::clicked, this, &EdidDesignerDialog::saveRequested);
    connect(ui->audioFromButton, &QPushButton::clicked, this, [this] { chooseAudioSource(); });
    connect(ui->audioOwnButton, &QPushButton::clicked, this, [this] {
        audioFrom_.clear();
        ui->audioFromLabel->setText(tr("this table's own audio"));
        update();
    });
    for (QListWidget *list : {ui->vicList, ui->audioList})
        connect(list, &QListWidget::itemChanged, this, [this] { update(); });
    for (QCheckBox *box : findChildren<QCheckBox *>())
        connect(box, &QCheckBox::toggled, this, [this] { update(); });
    for (QLineEdit *edit : findChildren<QLineEdit *>())
        connect(edit, &QLineEdit::textChanged, this, [this] { update(); });
    connect(ui->maxTmdsSpin, qOverload<int>(&QSpinBox::valueChanged), this, [this] { update(); });
    connect(ui->preferredCombo, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { update(); });
}

EdidDesignerDialog::~EdidDesignerDialog()
{
    delete ui;
}

void EdidDesignerDialog::setTable(const std::vector<uint8_t> &table, const QString &source)
{
    table_ = table;
    ui->sourceInfo->setText(tr("%1: %2 bytes").arg(source).arg(table.size()));
    fillLists();
    update();
}

void EdidDesignerDialog::fillLists()
{
    filling_ = true;
    ui->vicList->clear();
    ui->audioList->clear();
    ui->preferredCombo->clear();
    ui->preferredCombo->addItem(tr("unchanged"));
    const EdidReport r = decodeEdid(table_);
    for (const DataBlock *db : r.ctaDataBlocks()) {
        if (db->kind == BlockKind::Video || db->kind == BlockKind::Y420Video)
            for (const Vic &v : db->vics) {
                const QString name =
                    QStringLiteral("VIC %1 %2%3")
                        .arg(v.vic)
                        .arg(QString::fromStdString(v.name), v.ycbcr420Only ? tr(" (4:2:0 only)") : QString());
                auto *item = new QListWidgetItem(name, ui->vicList);
                item->setData(Qt::UserRole, v.vic);
                item->setCheckState(Qt::Checked);
                if (db->kind == BlockKind::Video)
                    ui->preferredCombo->addItem(name, QString::number(v.vic));
            }
        for (const ShortAudio &a : db->audio) {
            const unsigned id = edit::audioFormatId(a.format, a.extendedType);
            if (!ui->audioList->findItems(QString::fromStdString(a.name), Qt::MatchStartsWith).isEmpty())
                continue;
            auto *item = new QListWidgetItem(QString::fromStdString(a.name), ui->audioList);
            item->setData(Qt::UserRole, id);
            item->setCheckState(Qt::Checked);
        }
    }
    filling_ = false;
}

void EdidDesignerDialog::chooseAudioSource()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Table to take the audio from"));
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return;
    const QByteArray raw = file.read(64 * 1024);
    const TableFile read = readTableFile(reinterpret_cast<const uint8_t *>(raw.constData()), size_t(raw.size()));
    if (!read.ok() || read.bytes.empty()) {
        ui->audioFromLabel->setText(tr("%1: not a table").arg(QFileInfo(path).fileName()));
        return;
    }
    audioFrom_ = read.bytes;
    ui->audioFromLabel->setText(tr("audio of %1").arg(QFileInfo(path).fileName()));
    update();
}

edit::EditList EdidDesignerDialog::edits() const
{
    edit::EditList e;
    e.dropVics = unticked(ui->vicList);
    e.dropAudio = unticked(ui->audioList);
    if (ui->preferredCombo->currentIndex() > 0)
        e.preferred = ui->preferredCombo->currentData().toString().toStdString();
    if (ui->maxTmdsSpin->value() > 0)
        e.maxTmdsMHz = unsigned(ui->maxTmdsSpin->value());
    std::string why;
    uint8_t eotfs = 0;
    if (edit::parseEotfs(ui->eotfEdit->text().toStdString(), eotfs, why))
        e.hdrEotfs = eotfs;
    uint32_t speakers = 0;
    if (edit::parseSpeakers(ui->speakersEdit->text().toStdString(), speakers, why))
        e.speakers = speakers;
    if (!ui->nameEdit->text().isEmpty())
        e.name = ui->nameEdit->text().toStdString();
    bool number = false;
    const uint serial = ui->serialEdit->text().toUInt(&number);
    if (number)
        e.serial = serial;
    if (!audioFrom_.empty())
        e.audioFrom = audioFrom_;
    e.hdrOff = ui->hdrOffCheck->isChecked();
    e.dropDolbyVision = ui->dropDolbyVisionCheck->isChecked();
    e.dropHdr10Plus = ui->dropHdr10PlusCheck->isChecked();
    e.no420 = ui->no420Check->isChecked();
    e.noDeepColour = ui->noDeepColourCheck->isChecked();
    e.no3d = ui->no3dCheck->isChecked();
    e.fit = ui->fitCheck->isChecked();
    return e;
}

void EdidDesignerDialog::update()
{
    if (filling_)
        return;
    ui->beforeText->setPlainText(summaryText(table_));
    const edit::EditList e = edits();
    result_ = edit::EditResult{};
    if (table_.empty()) {
        ui->conformityLabel->setText(tr("Load a table to start from."));
    } else if (e.empty()) {
        result_.ok = true;
        result_.bytes = table_;
        ui->conformityLabel->setText(tr("No edit chosen."));
    } else {
        result_ = edit::applyEdits(table_, e, ui->forceCheck->isChecked());
        if (!result_.ok)
            ui->conformityLabel->setText(tr("Refused: %1").arg(QString::fromStdString(result_.refused)));
        else if (result_.forced)
            ui->conformityLabel->setText(
                tr("Made with %n new conformity error(s): %1", nullptr, int(result_.newErrors.size()))
                    .arg(QString::fromStdString(result_.newErrors.front())));
        else
            ui->conformityLabel->setText(tr("No new conformity error."));
    }
    QStringList changes;
    for (const edit::EditStep &s : result_.steps)
        for (const std::string &c : s.changes)
            changes << QString::fromStdString(s.edit + ": " + c);
    if (result_.ok) {
        ui->afterText->setPlainText(summaryText(result_.bytes));
        for (const std::string &line : edit::diffLines(edit::diffTables(table_, result_.bytes)))
            changes << QString::fromStdString(line);
    } else {
        ui->afterText->clear();
    }
    ui->diffText->setPlainText(changes.join(QLatin1Char('\n')));
    const bool fits = result_.ok && result_.bytes.size() <= size_t(kEdidSize);
    ui->putButton->setEnabled(fits);
    ui->writeButton->setEnabled(fits);
    ui->saveButton->setEnabled(result_.ok);
}
