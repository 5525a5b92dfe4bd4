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
#include <QScreen>

#include <algorithm>

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

// The text of a field parsed into value; a problem named by the edit's label.
template <typename T, typename Parse>
void parsedField(const QLineEdit *field, edit::Edit which, std::optional<T> &value, Parse parse, QString *problem)
{
    const std::string text = field->text().trimmed().toStdString();
    if (text.empty())
        return;
    T parsed{};
    std::string why;
    if (parse(text, parsed, why))
        value = parsed;
    else if (problem && problem->isEmpty())
        *problem = EdidDesignerDialog::editLabel(which) + QStringLiteral(": ") + QString::fromStdString(why);
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
    connect(ui->audioFromButton, &QPushButton::clicked, this, [this] { chooseTable(edit::Edit::AudioFrom); });
    connect(ui->audioOwnButton, &QPushButton::clicked, this, [this] { takeTable(edit::Edit::AudioFrom, {}, {}); });
    connect(ui->hdrFromButton, &QPushButton::clicked, this, [this] { chooseTable(edit::Edit::HdrFrom); });
    connect(ui->dolbyVisionFromButton, &QPushButton::clicked, this,
            [this] { chooseTable(edit::Edit::DolbyVisionFrom); });
    connect(ui->hdr10PlusFromButton, &QPushButton::clicked, this, [this] { chooseTable(edit::Edit::Hdr10PlusFrom); });
    connect(ui->takenClearButton, &QPushButton::clicked, this, [this] {
        taken_.clear();
        showTaken();
        update();
    });
    for (QListWidget *list : {ui->vicList, ui->audioList})
        connect(list, &QListWidget::itemChanged, this, [this] { update(); });
    for (QCheckBox *box : findChildren<QCheckBox *>())
        connect(box, &QCheckBox::toggled, this, [this] { update(); });
    for (QLineEdit *edit : findChildren<QLineEdit *>())
        connect(edit, &QLineEdit::textChanged, this, [this] { update(); });
    connect(ui->maxTmdsSpin, qOverload<int>(&QSpinBox::valueChanged), this, [this] { update(); });
    for (QComboBox *combo : {ui->preferredCombo, ui->allmCombo, ui->maxFrlCombo})
        connect(combo, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { update(); });
    // The add controls keep their height; the room left stays below them.
    ui->addPanelLayout->addStretch(1);
    // Within the screen it opens on, as small laptops have them.
    if (const QScreen *screen = this->screen()) {
        const QRect room = screen->availableGeometry();
        resize(std::min(width(), room.width() - 24), std::min(height(), room.height() - 48));
    }
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

void EdidDesignerDialog::chooseTable(edit::Edit which)
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Table to take from: %1").arg(editLabel(which)));
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return;
    const QByteArray raw = file.read(64 * 1024);
    const TableFile read = readTableFile(reinterpret_cast<const uint8_t *>(raw.constData()), size_t(raw.size()));
    if (!read.ok() || read.bytes.empty()) {
        showFeedback(tr("%1 is not a table: %2").arg(QFileInfo(path).fileName(), QString::fromStdString(read.where())),
                     true);
        return;
    }
    takeTable(which, read.bytes, QFileInfo(path).fileName());
}

void EdidDesignerDialog::takeTable(edit::Edit which, const std::vector<uint8_t> &table, const QString &name)
{
    if (which == edit::Edit::AudioFrom) {
        audioFrom_ = table;
        ui->audioFromLabel->setText(table.empty() ? tr("this table's own audio") : tr("audio of %1").arg(name));
    } else if (table.empty()) {
        taken_.erase(which);
    } else {
        taken_[which] = {table, name};
    }
    showTaken();
    update();
}

void EdidDesignerDialog::showTaken()
{
    QStringList parts;
    for (const auto &[which, table] : taken_)
        parts << tr("%1: %2").arg(editLabel(which), table.second);
    ui->takenLabel->setText(parts.isEmpty() ? tr("nothing taken from other tables") : parts.join(QStringLiteral("; ")));
}

QString EdidDesignerDialog::editLabel(edit::Edit which)
{
    using edit::Edit;
    switch (which) {
    case Edit::DropVics: return tr("Video codes");
    case Edit::AddVics: return tr("Add video codes");
    case Edit::AddTiming: return tr("Add a timing");
    case Edit::Preferred: return tr("Preferred timing");
    case Edit::HdrOff: return tr("No HDR static metadata");
    case Edit::HdrEotf: return tr("HDR transfer functions");
    case Edit::HdrFrom: return tr("HDR block from table");
    case Edit::HdrLuminance: return tr("HDR luminance");
    case Edit::DropDolbyVision: return tr("No Dolby Vision");
    case Edit::DolbyVisionFrom: return tr("Dolby Vision from table");
    case Edit::DolbyVisionLldv: return tr("Low-latency Dolby Vision");
    case Edit::DropHdr10Plus: return tr("No HDR10+");
    case Edit::Hdr10PlusFrom: return tr("HDR10+ from table");
    case Edit::MaxTmds: return tr("Max TMDS clock");
    case Edit::No420: return tr("No YCbCr 4:2:0");
    case Edit::NoDeepColour: return tr("No deep colour");
    case Edit::No3d: return tr("No 3D");
    case Edit::RangeLimits: return tr("Range limits");
    case Edit::FreeSync: return tr("FreeSync range");
    case Edit::HfVrr: return tr("HDMI VRR range");
    case Edit::HfAllm: return tr("Auto low-latency mode");
    case Edit::MaxFrl: return tr("Max FRL rate");
    case Edit::AudioFrom: return tr("Audio from table");
    case Edit::DropAudio: return tr("Audio formats");
    case Edit::Speakers: return tr("Speakers");
    case Edit::Name: return tr("Display name");
    case Edit::Serial: return tr("Serial number");
    case Edit::Fit: return tr("Fit to 256 bytes");
    }
    return QString();
}

// For a fix another tool worked out (the chain planner's).
void EdidDesignerDialog::tickEdits(const edit::EditList &e, const QString &audioSource)
{
    filling_ = true;
    ui->maxTmdsSpin->setValue(e.maxTmdsMHz ? int(*e.maxTmdsMHz) : 0);
    ui->no420Check->setChecked(e.no420);
    ui->noDeepColourCheck->setChecked(e.noDeepColour);
    ui->hdrOffCheck->setChecked(e.hdrOff);
    if (e.audioFrom) {
        audioFrom_ = *e.audioFrom;
        ui->audioFromLabel->setText(audioSource);
    }
    filling_ = false;
    update();
}

bool EdidDesignerDialog::setEdit(edit::Edit which, const QString &value)
{
    using edit::Edit;
    const bool on = value.isEmpty() || value == QLatin1String("on");
    const auto untick = [&](QListWidget *list, const std::vector<unsigned> &ids) {
        for (int i = 0; i < list->count(); ++i)
            if (std::count(ids.begin(), ids.end(), list->item(i)->data(Qt::UserRole).toUInt()))
                list->item(i)->setCheckState(Qt::Unchecked);
        return true;
    };
    std::string why;
    switch (which) {
    case Edit::DropVics: {
        std::vector<unsigned> vics;
        return edit::parseVicList(value.toStdString(), vics, why) && untick(ui->vicList, vics);
    }
    case Edit::DropAudio: {
        std::vector<unsigned> formats;
        return edit::parseAudioFormats(value.toStdString(), formats, why) && untick(ui->audioList, formats);
    }
    case Edit::Preferred: {
        const int at = ui->preferredCombo->findData(value);
        ui->preferredCombo->setCurrentIndex(std::max(at, 0));
        return at > 0;
    }
    case Edit::MaxTmds: ui->maxTmdsSpin->setValue(value.toInt()); return true;
    case Edit::HfAllm: ui->allmCombo->setCurrentIndex(value == QLatin1String("off") ? 2 : 1); return true;
    case Edit::MaxFrl: {
        unsigned code = 0;
        if (!edit::parseFrlRate(value.toStdString(), code, why))
            return false;
        ui->maxFrlCombo->setCurrentIndex(int(code) + 1);
        return true;
    }
    case Edit::HdrFrom:
    case Edit::DolbyVisionFrom:
    case Edit::Hdr10PlusFrom:
    case Edit::AudioFrom: return false;
    default: break;
    }
    const std::map<Edit, QCheckBox *> checks{
        {Edit::HdrOff, ui->hdrOffCheck},     {Edit::DropDolbyVision, ui->dropDolbyVisionCheck},
        {Edit::DolbyVisionLldv, ui->lldvCheck}, {Edit::DropHdr10Plus, ui->dropHdr10PlusCheck},
        {Edit::No420, ui->no420Check},       {Edit::NoDeepColour, ui->noDeepColourCheck},
        {Edit::No3d, ui->no3dCheck},         {Edit::Fit, ui->fitCheck}};
    const std::map<Edit, QLineEdit *> fields{
        {Edit::AddVics, ui->addVicEdit},         {Edit::AddTiming, ui->addTimingEdit},
        {Edit::HdrEotf, ui->eotfEdit},           {Edit::HdrLuminance, ui->luminanceEdit},
        {Edit::RangeLimits, ui->rangeLimitsEdit}, {Edit::FreeSync, ui->freeSyncEdit},
        {Edit::HfVrr, ui->hfVrrEdit},             {Edit::Speakers, ui->speakersEdit},
        {Edit::Name, ui->nameEdit},               {Edit::Serial, ui->serialEdit}};
    if (checks.count(which))
        checks.at(which)->setChecked(on);
    else
        fields.at(which)->setText(value);
    return true;
}

void EdidDesignerDialog::showFeedback(const QString &text, bool problem)
{
    ui->feedbackLabel->setStyleSheet(problem ? QStringLiteral("color: #b00020;") : QString());
    ui->feedbackLabel->setText(text);
}

edit::EditList EdidDesignerDialog::edits(QString *problem) const
{
    using edit::Edit;
    edit::EditList e;
    e.dropVics = unticked(ui->vicList);
    e.dropAudio = unticked(ui->audioList);
    if (ui->preferredCombo->currentIndex() > 0)
        e.preferred = ui->preferredCombo->currentData().toString().toStdString();
    if (ui->maxTmdsSpin->value() > 0)
        e.maxTmdsMHz = unsigned(ui->maxTmdsSpin->value());
    parsedField(ui->eotfEdit, Edit::HdrEotf, e.hdrEotfs, edit::parseEotfs, problem);
    parsedField(ui->speakersEdit, Edit::Speakers, e.speakers, edit::parseSpeakers, problem);
    std::optional<std::vector<edit::AddedVic>> added;
    parsedField(ui->addVicEdit, Edit::AddVics, added, edit::parseAddedVics, problem);
    e.addVics = added.value_or(std::vector<edit::AddedVic>{});
    parsedField(ui->addTimingEdit, Edit::AddTiming, e.addTiming, edit::parseTiming, problem);
    parsedField(ui->luminanceEdit, Edit::HdrLuminance, e.hdrLuminance, edit::parseLuminance, problem);
    parsedField(ui->rangeLimitsEdit, Edit::RangeLimits, e.rangeLimits, edit::parseRangeLimits, problem);
    parsedField(ui->freeSyncEdit, Edit::FreeSync, e.freeSync, edit::parseRateRange, problem);
    parsedField(ui->hfVrrEdit, Edit::HfVrr, e.hfVrr, edit::parseRateRange, problem);
    if (ui->allmCombo->currentIndex() > 0)
        e.hfAllm = ui->allmCombo->currentIndex() == 1;
    if (ui->maxFrlCombo->currentIndex() > 0)
        e.maxFrl = unsigned(ui->maxFrlCombo->currentIndex() - 1);
    if (!ui->nameEdit->text().isEmpty())
        e.name = ui->nameEdit->text().toStdString();
    if (!ui->serialEdit->text().isEmpty()) {
        bool number = false;
        const uint serial = ui->serialEdit->text().toUInt(&number);
        if (number)
            e.serial = serial;
        else if (problem && problem->isEmpty())
            *problem = editLabel(Edit::Serial) + tr(": not a number");
    }
    if (!audioFrom_.empty())
        e.audioFrom = audioFrom_;
    for (const auto &[which, table] : taken_)
        (which == Edit::HdrFrom ? e.hdrFrom : which == Edit::DolbyVisionFrom ? e.dolbyVisionFrom : e.hdr10PlusFrom) =
            table.first;
    e.hdrOff = ui->hdrOffCheck->isChecked();
    e.dropDolbyVision = ui->dropDolbyVisionCheck->isChecked();
    e.dolbyVisionLldv = ui->lldvCheck->isChecked();
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
    QString problem;
    const edit::EditList e = edits(&problem);
    result_ = edit::EditResult{};
    if (!problem.isEmpty()) {
        // A value that is not one is no edit to leave out silently.
        ui->conformityLabel->setText(tr("Check %1").arg(problem));
    } else if (table_.empty()) {
        ui->conformityLabel->setText(tr("Load a table to start from."));
    } else if (e.empty()) {
        result_.ok = true;
        result_.bytes = table_;
        ui->conformityLabel->setText(tr("No edit chosen."));
    } else {
        result_ = edit::applyEdits(table_, e, ui->forceCheck->isChecked());
        if (!result_.ok && result_.refusedBy)
            ui->conformityLabel->setText(
                tr("Refused: %1: %2").arg(editLabel(*result_.refusedBy), QString::fromStdString(result_.refused)));
        else if (!result_.ok)
            ui->conformityLabel->setText(tr("Refused: %1; tick Force to make it anyway")
                                             .arg(QString::fromStdString(result_.refused)));
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
            changes << editLabel(s.edit) + QStringLiteral(": ") + QString::fromStdString(c);
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
