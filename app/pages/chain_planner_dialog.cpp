// SPDX-License-Identifier: GPL-3.0-or-later
#include "chain_planner_dialog.h"

#include "chain_picture.h"
#include "chain_report.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui_ChainPlannerDialog.h"

using namespace vantrel;
using namespace vantrel::chain;

namespace {

const QColor kGreen(172, 222, 172), kAmber(250, 212, 128), kRed(238, 160, 160);

QString q(const std::string &s)
{
    return QString::fromStdString(s);
}

QStringList nodeLines(const Chain &chain, LinkId link)
{
    const std::optional<Table> &t = chain.table(link);
    if (!t)
        return {link == LinkId::SourceBox ? QObject::tr("no table") : QObject::tr("no display")};
    const SinkFacts &f = t->facts;
    QStringList lines;
    lines << q(f.product) + QLatin1String(" (") + q(t->origin) + QLatin1Char(')');
    QString rate = QObject::tr("up to %1 MHz (%2)").arg(f.limitMHz).arg(q(f.limitFrom));
    if (f.scdc)
        rate += QLatin1String(", SCDC");
    if (f.maxFrlRate)
        rate += QObject::tr(", FRL (not carried)");
    if (f.dsc)
        rate += QLatin1String(", DSC");
    lines << rate;
    QStringList hdr;
    if (f.eotfs & 0x04)
        hdr << QStringLiteral("PQ");
    if (f.eotfs & 0x08)
        hdr << QStringLiteral("HLG");
    if (f.dolbyVision)
        hdr << QStringLiteral("Dolby Vision");
    if (f.hdr10Plus)
        hdr << QStringLiteral("HDR10+");
    lines << (hdr.isEmpty() ? QObject::tr("SDR only") : QObject::tr("HDR: %1").arg(hdr.join(QLatin1Char('/'))));
    if (link == LinkId::SourceBox)
        lines << (chain.settings.hdcp == 22   ? QStringLiteral("HDCP 2.2")
                  : chain.settings.hdcp == 14 ? QStringLiteral("HDCP 1.4")
                                              : QObject::tr("no HDCP"));
    QStringList audio;
    for (const AudioFormat &a : f.audio)
        if (!audio.contains(q(a.name)))
            audio << q(a.name);
    lines << (audio.isEmpty() ? QObject::tr("no audio") : QObject::tr("audio: %1").arg(audio.join(QLatin1String(", "))));
    return lines;
}

// What goes on a fix's button: the description up to its colon.
QString buttonText(const Fix &f)
{
    const std::string d = f.description;
    const size_t colon = d.find(": ");
    return q(colon == std::string::npos ? d : d.substr(0, colon));
}

} // namespace

ChainPlannerDialog::ChainPlannerDialog(QWidget *parent) : QDialog(parent)
{
    ui = new Ui_ChainPlannerDialog;
    ui->setupUi(this);
    picture_ = new ChainPicture(ui->picture);
    picture_->setObjectName(QStringLiteral("chainPicture"));
    auto *layout = new QVBoxLayout(ui->picture);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(picture_);
    // The picture keeps its height; the grid and the fixes share the rest.
    ui->picture->setMaximumHeight(200);
    ui->verticalLayout->setStretchFactor(ui->splitter, 1);
    ui->splitter->setStretchFactor(0, 3);
    ui->splitter->setStretchFactor(1, 2);
    ui->splitter->setSizes({600, 400});
    connect(ui->readButton, &QPushButton::clicked, this, &ChainPlannerDialog::readRequested);
    connect(ui->boxFileButton, &QPushButton::clicked, this, [this] { emit fileRequested(0); });
    connect(ui->topFileButton, &QPushButton::clicked, this, [this] { emit fileRequested(1); });
    connect(ui->bottomFileButton, &QPushButton::clicked, this, [this] { emit fileRequested(2); });
    // The reason of the cell the keyboard is on, not only on hover.
    connect(ui->modeGrid, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
        const QTableWidgetItem *item = ui->modeGrid->item(row, column);
        ui->cellReason->setText(item ? item->toolTip() : QString());
    });
}

ChainPlannerDialog::~ChainPlannerDialog()
{
    delete ui;
}

void ChainPlannerDialog::showPlan(const Chain &chain, const Plan &plan)
{
    ui->settingsLabel->setText(tr("Settings: %1").arg(q(settingsText(chain.settings))));
    QList<ChainPicture::Node> nodes;
    nodes.append({tr("Source"), {tr("sees the box's table")}, kGreen, true});
    const char *titles[3] = {QT_TR_NOOP("Box (the table it presents)"), QT_TR_NOOP("TX A"), QT_TR_NOOP("TX B")};
    int l = 0;
    for (LinkId link : {LinkId::SourceBox, LinkId::BoxTop, LinkId::BoxBottom}) {
        QColor colour = kGreen;
        for (const Loss &loss : plan.losses)
            if ((link == LinkId::SourceBox && loss.why.rfind("The box", 0) == 0) || loss.output == link)
                colour = kAmber;
        for (const Best &b : plan.best)
            if (b.output == link && !b.chainFound)
                colour = kRed;
        if (!chain.table(link))
            colour = link == LinkId::SourceBox ? kRed : palette().color(QPalette::Mid);
        nodes.append({tr(titles[l++]), nodeLines(chain, link), colour, chain.table(link).has_value()});
    }
    // The link into the box is drawn with the box's colour, and so on.
    picture_->setNodes(nodes);
    fillGrid(chain, plan);
    fillFixes(plan);
}

void ChainPlannerDialog::fillGrid(const Chain &chain, const Plan &plan)
{
    QTableWidget *g = ui->modeGrid;
    g->clear();
    g->setRowCount(int(plan.modes.size()));
    g->setColumnCount(int(kFormats.size() * kDepths.size()));
    int column = 0;
    for (Format f : kFormats)
        for (unsigned bpc : kDepths)
            g->setHorizontalHeaderItem(column++, new QTableWidgetItem(QStringLiteral("%1\n%2-bit").arg(q(formatLabel(f))).arg(bpc)));
    for (size_t m = 0; m < plan.modes.size(); ++m)
        g->setVerticalHeaderItem(int(m), new QTableWidgetItem(q(plan.modes[m].name)));
    const size_t perMode = kFormats.size() * kDepths.size();
    for (size_t i = 0; i < plan.rows.size() && i / perMode < plan.modes.size(); ++i) {
        const Row &r = plan.rows[i];
        const bool both = (r.toTop || !chain.top) && (r.toBottom || !chain.bottom) && (r.toTop || r.toBottom);
        const bool one = r.toTop || r.toBottom;
        auto *item = new QTableWidgetItem(r.toTop && r.toBottom ? QStringLiteral("A B")
                                          : r.toTop             ? QStringLiteral("A")
                                          : r.toBottom          ? QStringLiteral("B")
                                                                : QStringLiteral("-"));
        item->setTextAlignment(Qt::AlignCenter);
        item->setBackground(both ? kGreen : one ? kAmber : kRed);
        item->setForeground(QColor(Qt::black));
        QString tip = tr("%1: %2 MHz").arg(q(signalText(r.signal)), q(mhzText(r.rateMHz)));
        if (!r.reason.empty())
            tip += QLatin1String(". ") + q(r.reason);
        else
            tip += tr(", reaches every display");
        item->setToolTip(tip);
        g->setItem(int(i / perMode), int(i % perMode), item);
    }
    g->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    g->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (g->rowCount() && g->columnCount())
        g->setCurrentCell(0, 0);
}

void ChainPlannerDialog::fillFixes(const Plan &plan)
{
    QLayout *layout = ui->fixesLayout;
    while (QLayoutItem *item = layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    fixes_.clear();
    auto label = [&](const QString &text, bool bold = false) {
        auto *l = new QLabel(text, ui->fixesPane);
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        if (bold) {
            QFont f = l->font();
            f.setBold(true);
            l->setFont(f);
        }
        layout->addWidget(l);
    };
    label(tr("Best"), true);
    for (const Best &b : plan.best)
        label(tr("%1: %2%3").arg(q(linkLabel(b.output)),
                                 b.chainFound ? q(signalText(b.chain)) : tr("nothing reaches it"),
                                 b.chainFound && b.hdr ? tr(", HDR (PQ) too") : QString()));
    label(tr("Sound on %1: %2").arg(q(linkLabel(plan.audio.output)), q(plan.audio.best.empty() ? "none" : plan.audio.best)));
    label(tr("Losses and fixes"), true);
    if (plan.losses.empty())
        label(tr("Nothing is lost against what the displays alone take."));
    for (const Loss &loss : plan.losses) {
        label(tr("%1: %2 -> %3. %4").arg(q(linkLabel(loss.output)), q(loss.from), q(loss.to), q(loss.why)));
        if (loss.fixes.empty())
            label(tr("No fix within what the box carries."));
        for (const Fix &f : loss.fixes) {
            const int index = int(fixes_.size());
            fixes_.push_back(f);
            auto *b = new QPushButton(buttonText(f), ui->fixesPane);
            b->setObjectName(QStringLiteral("fixButton%1").arg(index));
            b->setToolTip(q(f.description));
            connect(b, &QPushButton::clicked, this, [this, index] { emit fixChosen(index); });
            layout->addWidget(b);
        }
    }
    static_cast<QVBoxLayout *>(layout)->addStretch(1);
}
