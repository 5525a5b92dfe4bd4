// SPDX-License-Identifier: GPL-3.0-or-later
#include "packet_compose_controls.h"

#include "cec_message.h"
#include "cec_recipes.h"
#include "packet_common.h"
#include "packet_compose_dialog.h"
#include "packet_summary.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

using namespace vantrel;

namespace {

// Recipes are sent from Playback Device 1, as vantrelctl sends them; the
// address the user means for switch-here is theirs to edit in the box.
constexpr unsigned kFrom = 4;
const char kExampleAddress[] = "1.0.0.0";

// The whole line as the tooltip; as much as fits in the label.
void follow(QTextEdit *text, QLabel *decoded, packets::PacketKind kind)
{
    const auto update = [=] {
        const QString line = QString::fromStdString(packets::boxTextSummary(kind, text->toPlainText().toStdString()));
        decoded->setText(decoded->fontMetrics().elidedText(line, Qt::ElideRight, decoded->width()));
        decoded->setToolTip(line);
    };
    QObject::connect(text, &QTextEdit::textChanged, decoded, update);
    decoded->setTextFormat(Qt::PlainText);
    update();
}

} // namespace

PacketComposeControls::PacketComposeControls(const Widgets &w, QWidget *window)
    : QObject(window), w_(w), window_(window)
{
    follow(w.cecText, w.cecDecoded, packets::PacketKind::Cec);
    follow(w.hdrText, w.hdrDecoded, packets::PacketKind::Hdr);
    follow(w.aviText, w.aviDecoded, packets::PacketKind::Avi);
    connect(w.composeHdr, &QPushButton::clicked, this, [this] { compose(PacketComposeDialog::Hdr); });
    connect(w.composeAvi, &QPushButton::clicked, this, [this] { compose(PacketComposeDialog::Avi); });

    // One entry a message: the box holds one message at a time.
    w.cecRecipes->addItem(tr("(choose a recipe)"));
    for (const packets::CecRecipe &r : packets::cecRecipes()) {
        const packets::Built built = packets::buildCecRecipe(
            r.name, *r.arguments ? std::vector<std::string>{kExampleAddress} : std::vector<std::string>{}, kFrom);
        const size_t n = built.messages.size();
        for (size_t i = 0; i < n; ++i) {
            const std::vector<uint8_t> &m = built.messages[i];
            const packets::CecMessage decoded = packets::decodeCecMessage(m.data(), m.size());
            const QString step = n > 1 ? QStringLiteral(" %1/%2").arg(i + 1).arg(n) : QString();
            w.cecRecipes->addItem(
                QStringLiteral("%1%2: %3")
                    .arg(QString::fromLatin1(r.name), step, QString::fromStdString(decoded.opcodeName())),
                QString::fromStdString(vantrel::hex::colonHexText(m)));
            w.cecRecipes->setItemData(w.cecRecipes->count() - 1, QString::fromLatin1(r.description), Qt::ToolTipRole);
        }
    }
    connect(w.cecRecipes, qOverload<int>(&QComboBox::activated), this, &PacketComposeControls::recipeChosen);
}

void PacketComposeControls::compose(int kind)
{
    // Window-modal, without a nested event loop: the poll goes on meanwhile.
    auto *dialog = new PacketComposeDialog(PacketComposeDialog::Kind(kind), window_);
    dialog->setObjectName(QStringLiteral("packetComposeDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QTextEdit *target = kind == PacketComposeDialog::Hdr ? w_.hdrText : w_.aviText;
    dialog->startFrom(target->toPlainText());
    connect(dialog, &QDialog::accepted, target, [dialog, target] {
        if (!dialog->text().isEmpty())
            target->setPlainText(dialog->text());
    });
    dialog->open();
}

void PacketComposeControls::recipeChosen(int index)
{
    const QString text = w_.cecRecipes->itemData(index).toString();
    if (!text.isEmpty())
        w_.cecText->setPlainText(text);
}
