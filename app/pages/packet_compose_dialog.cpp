// SPDX-License-Identifier: GPL-3.0-or-later
#include "packet_compose_dialog.h"

#include "avi_builder.h"
#include "hex_text.h"
#include "hdr_builder.h"
#include "packet_common.h"
#include "packet_summary.h"
#include "ui_PacketComposeDialog.h"

#include <QPushButton>

#include <algorithm>

using namespace vantrel;

namespace {

// The first entry is "not given": the template's value, or the field's default.
void fill(QComboBox *box, const QStringList &words, const QString &unset)
{
    box->addItem(unset, QString());
    for (const QString &w : words)
        box->addItem(w, w);
}

QStringList wordsOf(const std::vector<packets::NamedValue> &names)
{
    QStringList words;
    for (const packets::NamedValue &n : names)
        words << QString::fromLatin1(n.name);
    return words;
}

// An editable box holds a word or typed numbers; the unset entry means none.
std::string given(const QComboBox *box)
{
    if (box->isEditable() && box->currentText() != box->itemText(box->currentIndex()))
        return box->currentText().trimmed().toStdString();
    return box->currentData().toString().toStdString();
}

std::string given(const QLineEdit *edit)
{
    return edit->text().trimmed().toStdString();
}

} // namespace

PacketComposeDialog::PacketComposeDialog(Kind kind, QWidget *parent) : QDialog(parent), kind_(kind)
{
    ui = new Ui_PacketComposeDialog;
    ui->setupUi(this);
    ui->pages->setCurrentIndex(kind);
    const QString unset = tr("(not given)");
    if (kind == Hdr) {
        setWindowTitle(tr("Compose HDR Infoframe"));
        QStringList templates;
        for (const packets::HdrTemplate &t : packets::hdrTemplates())
            templates << QString::fromLatin1(t.name);
        fill(ui->cmbTemplate, templates, tr("(none)"));
        for (int i = 1; i < ui->cmbTemplate->count(); ++i)
            ui->cmbTemplate->setItemData(i, QString::fromLatin1(packets::hdrTemplates()[size_t(i - 1)].description),
                                         Qt::ToolTipRole);
        ui->cmbTemplate->setCurrentIndex(1);
        fill(ui->cmbEotf, wordsOf(packets::hdrEotfNames()), unset);
        QStringList presets;
        for (const packets::HdrPrimariesPreset &p : packets::hdrPrimariesPresets())
            presets << QString::fromLatin1(p.name);
        fill(ui->cmbPrimaries, presets, unset);
        ui->cmbPrimaries->setToolTip(tr("A preset, or three x,y pairs in any order"));
        fill(ui->cmbWhitePoint, {QStringLiteral("d65"), QStringLiteral("dci")}, unset);
        ui->cmbWhitePoint->setToolTip(tr("A preset, or an x,y pair"));
        for (QComboBox *box : {ui->cmbTemplate, ui->cmbEotf, ui->cmbPrimaries, ui->cmbWhitePoint})
            connect(box, &QComboBox::currentTextChanged, this, &PacketComposeDialog::compose);
        for (QLineEdit *edit : {ui->leMaxLuminance, ui->leMinLuminance, ui->leMaxCll, ui->leMaxFall}) {
            edit->setPlaceholderText(unset);
            connect(edit, &QLineEdit::textChanged, this, &PacketComposeDialog::compose);
        }
    } else {
        setWindowTitle(tr("Compose AVI Infoframe"));
        fill(ui->cmbColour, wordsOf(packets::aviColourNames()), tr("(rgb)"));
        fill(ui->cmbColorimetry, wordsOf(packets::aviColorimetryNames()), tr("(none)"));
        fill(ui->cmbRange, wordsOf(packets::aviRangeNames()), tr("(default)"));
        fill(ui->cmbAspect, wordsOf(packets::aviAspectNames()), tr("(the VIC's)"));
        fill(ui->cmbActiveFormat, wordsOf(packets::aviActiveFormatNames()), tr("(none)"));
        fill(ui->cmbItContent, {QStringLiteral("on"), QStringLiteral("off")}, tr("(off)"));
        fill(ui->cmbContentType, wordsOf(packets::aviContentTypeNames()), tr("(none)"));
        for (QComboBox *box : {ui->cmbColour, ui->cmbColorimetry, ui->cmbRange, ui->cmbAspect, ui->cmbActiveFormat,
                               ui->cmbItContent, ui->cmbContentType})
            connect(box, &QComboBox::currentTextChanged, this, &PacketComposeDialog::compose);
        ui->leVic->setPlaceholderText(tr("0 (none)"));
        connect(ui->leVic, &QLineEdit::textChanged, this, &PacketComposeDialog::compose);
    }
    compose();
}

PacketComposeDialog::~PacketComposeDialog()
{
    delete ui;
}

void PacketComposeDialog::startFrom(const QString &boxText)
{
    const hex::ColonHexBytes read = hex::readColonHex(boxText.toStdString());
    if (kind_ != Avi || !read.ok)
        return;
    const packets::AviInfoframe frame = packets::decodeAviInfoframe(read.bytes.data(), read.bytes.size());
    if (!frame.conforms())
        return;
    const packets::AviRequest r = packets::aviRequestOf(frame);
    const auto choose = [](QComboBox *box, const std::string &word) {
        box->setCurrentIndex(std::max(0, box->findData(QString::fromStdString(word))));
    };
    choose(ui->cmbColour, r.colour);
    choose(ui->cmbColorimetry, r.colorimetry);
    choose(ui->cmbRange, r.range);
    choose(ui->cmbAspect, r.aspect);
    choose(ui->cmbActiveFormat, r.activeFormat);
    choose(ui->cmbItContent, r.itContent);
    choose(ui->cmbContentType, r.contentType);
    ui->leVic->setText(QString::fromStdString(r.vic));
    compose();
}

void PacketComposeDialog::compose()
{
    const packets::Built built =
        kind_ == Hdr
            ? packets::buildHdrInfoframe({given(ui->cmbTemplate), given(ui->cmbEotf), given(ui->cmbPrimaries),
                                          given(ui->cmbWhitePoint), given(ui->leMaxLuminance),
                                          given(ui->leMinLuminance), given(ui->leMaxCll), given(ui->leMaxFall)})
            : packets::buildAviInfoframe({given(ui->cmbColour), given(ui->cmbColorimetry), given(ui->cmbRange),
                                          given(ui->leVic), given(ui->cmbAspect), given(ui->cmbActiveFormat),
                                          given(ui->cmbItContent), given(ui->cmbContentType)});
    text_ = built.ok ? QString::fromStdString(vantrel::hex::colonHexText(built.bytes)) : QString();
    const auto kind = kind_ == Hdr ? packets::PacketKind::Hdr : packets::PacketKind::Avi;
    ui->composedText->setText(text_);
    ui->composedSummary->setText(built.ok ? QString::fromStdString(packets::boxTextSummary(kind, text_.toStdString()))
                                          : tr("Refused: %1").arg(QString::fromStdString(built.error)));
    ui->buttons->button(QDialogButtonBox::Ok)->setEnabled(built.ok);
}
