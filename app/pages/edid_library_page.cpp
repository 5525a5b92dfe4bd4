// SPDX-License-Identifier: GPL-3.0-or-later
#include "edid_library_page.h"

#include "edid_export.h"
#include "edid_export_action.h"
#include "edid_page.h"
#include "edid_text.h"
#include "feedback.h"

#include <QDialog>
#include <QHeaderView>
#include <QMainWindow>
#include <QMenu>
#include <QTextEdit>

#include "ui_EdidLibraryDialog.h"
#include "ui_VantrelForm.h"

#include <algorithm>

using namespace vantrel;

namespace {

QString sourceText(const edid::LibraryEntry &e)
{
    QString text = QString::fromStdString(e.source);
    if (!e.detail.empty())
        text += QLatin1Char(' ') + QString::fromStdString(e.detail);
    for (size_t i = 0; i < e.edits.size(); ++i)
        text += (i ? QStringLiteral(", ") : QStringLiteral(": ")) + QString::fromStdString(e.edits[i]);
    return text;
}

} // namespace

EdidLibraryPage::EdidLibraryPage(const PageContext &context, EdidPage &edid, std::string folder)
    : c_(context), edid_(edid), library_(std::move(folder))
{
}

EdidLibraryPage::~EdidLibraryPage()
{
    delete ui_;
}

void EdidLibraryPage::addActions(QMenu *tools)
{
    action_ = tools->addAction(tr("EDID &library..."));
    action_->setObjectName(QStringLiteral("actionEdidLibrary"));
    action_->setFont(c_.ui->actionAbout->font());
    QObject::connect(action_, &QAction::triggered, c_.window, [this] { openLibrary(); });
    QAction *exportAction = tools->addAction(tr("E&xport EDID..."));
    exportAction->setObjectName(QStringLiteral("actionExportEdid"));
    exportAction->setFont(c_.ui->actionAbout->font());
    QObject::connect(exportAction, &QAction::triggered, c_.window, [this] { exportEdidBox(); });
    // The EDID box's own menu offers the same, beside cut and paste.
    QTextEdit *box = c_.ui->EDIDtext;
    box->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(box, &QWidget::customContextMenuRequested, c_.window,
                     [this](const QPoint &at) { showContextMenu(at); });
}

void EdidLibraryPage::showContextMenu(const QPoint &at)
{
    QTextEdit *box = c_.ui->EDIDtext;
    QMenu *menu = box->createStandardContextMenu(at);
    menu->addSeparator();
    menu->addAction(tr("Save to &library..."), c_.window, [this] {
        openLibrary();
        ui_->nameEdit->setFocus();
    });
    menu->addAction(tr("E&xport..."), c_.window, [this] { exportEdidBox(); });
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(box->viewport()->mapToGlobal(at));
}

void EdidLibraryPage::openLibrary()
{
    if (!dialog_) {
        dialog_ = new QDialog(c_.window);
        dialog_->setObjectName(QStringLiteral("edidLibraryDialog"));
        ui_ = new Ui_EdidLibraryDialog;
        ui_->setupUi(dialog_);
        ui_->tableList->header()->setStretchLastSection(false);
        ui_->tableList->header()->setSectionResizeMode(1, QHeaderView::Stretch);
        QObject::connect(ui_->saveButton, &QPushButton::clicked, c_.window,
                         [this] { saveToLibrary(ui_->nameEdit->text().trimmed()); });
        QObject::connect(ui_->nameEdit, &QLineEdit::returnPressed, c_.window,
                         [this] { saveToLibrary(ui_->nameEdit->text().trimmed()); });
        QObject::connect(ui_->loadButton, &QPushButton::clicked, c_.window,
                         [this] { loadIntoEdidBox(selectedName()); });
        QObject::connect(ui_->tableList, &QTreeWidget::itemActivated, c_.window,
                         [this](QTreeWidgetItem *item) { loadIntoEdidBox(item->text(0)); });
        QObject::connect(ui_->exportButton, &QPushButton::clicked, c_.window,
                         [this] { exportEntry(selectedName()); });
        QObject::connect(ui_->removeButton, &QPushButton::clicked, c_.window,
                         [this] { removeEntry(selectedName()); });
    }
    refresh();
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

void EdidLibraryPage::refresh()
{
    if (!ui_)
        return;
    std::vector<std::string> problems;
    const std::vector<edid::LibraryEntry> entries = library_.list(&problems);
    ui_->folderLabel->setText(tr("Tables kept in %1; vantrelctl names them lib:NAME.")
                                  .arg(QString::fromStdString(library_.folder())));
    ui_->tableList->clear();
    for (const edid::LibraryEntry &e : entries) {
        auto *item = new QTreeWidgetItem(ui_->tableList);
        item->setText(0, QString::fromStdString(e.name));
        item->setText(1, sourceText(e));
        item->setToolTip(1, sourceText(e));
        item->setText(2, QString::fromStdString(e.savedAt));
        item->setText(3, QString::number(e.table.size()));
    }
    for (int column : {0, 2, 3})
        ui_->tableList->resizeColumnToContents(column);
    const bool any = !entries.empty();
    ui_->loadButton->setEnabled(any);
    ui_->exportButton->setEnabled(any);
    ui_->removeButton->setEnabled(any);
    if (any && !ui_->tableList->currentItem())
        ui_->tableList->setCurrentItem(ui_->tableList->topLevelItem(0));
    if (!problems.empty())
        warn(tr("Some library entries cannot be read:\n%1")
                 .arg(QString::fromStdString(problems.front()) +
                      (problems.size() > 1 ? tr("\n(and %n more)", nullptr, int(problems.size() - 1)) : QString())));
}

QString EdidLibraryPage::selectedName() const
{
    const QTreeWidgetItem *item = ui_ ? ui_->tableList->currentItem() : nullptr;
    return item ? item->text(0) : QString();
}

void EdidLibraryPage::warn(const QString &text)
{
    c_.reporter.feedback().warning(dialog_ ? static_cast<QWidget *>(dialog_) : c_.window, tr("VANTREL Utility"), text);
}

bool EdidLibraryPage::saveToLibrary(const QString &name)
{
    if (const std::string problem = edid::EdidLibrary::nameProblem(name.toStdString()); !problem.empty()) {
        warn(tr("Cannot save \"%1\": %2.").arg(name, QString::fromStdString(problem)));
        return false;
    }
    edid::EdidImage image{};
    int values = 0;
    if (!edid_.parseEdidBox(image, &values).done())
        return false;
    edid::LibraryEntry e;
    e.name = name.toStdString();
    // Whole blocks of what the box holds; the zero blocks after a table are padding.
    const int blocks = std::clamp((values + 127) / 128, 1, edid::kEdidSize / 128);
    e.table = edid::tableBlocks(std::vector<uint8_t>(image.begin(), image.begin() + blocks * 128));
    const EdidPage::Origin &o = edid_.TableOrigin;
    const bool asCame = !o.source.empty() && o.text == c_.ui->EDIDtext->toPlainText();
    e.source = asCame ? o.source : std::string("typed");
    if (asCame) {
        e.detail = o.detail;
        e.edits = o.edits;
    } else if (!o.source.empty()) {
        e.detail = "over " + o.source; // what the typing started from
    }
    std::string error;
    const bool exists = library_.load(e.name, error).has_value();
    if (exists && !c_.reporter.feedback().question(tr("VANTREL Utility"),
                                                   tr("The library holds \"%1\" already.").arg(name),
                                                   tr("Replace it?")))
        return false;
    if (!library_.save(e, true, error)) {
        warn(tr("Cannot save \"%1\" to the library:\n%2").arg(name, QString::fromStdString(error)));
        return false;
    }
    c_.reporter.status(tr("Saved to the library as %1").arg(name), 2000);
    refresh();
    return true;
}

bool EdidLibraryPage::loadIntoEdidBox(const QString &name)
{
    if (name.isEmpty())
        return false;
    std::string error;
    const auto e = library_.load(name.toStdString(), error);
    if (!e) {
        warn(QString::fromStdString(error));
        return false;
    }
    // The box holds two blocks; a longer table is the designer's to fit.
    if (e->table.size() > size_t(edid::kEdidSize)) {
        warn(tr("\"%1\" is %2 bytes; the box holds 256. Open it in the EDID designer to fit it.")
                 .arg(name)
                 .arg(e->table.size()));
        return false;
    }
    edid::EdidImage image{};
    std::copy(e->table.begin(), e->table.end(), image.begin());
    edid_.showEdidHex(image);
    edid_.noteOrigin(e->source, e->detail, e->edits);
    c_.reporter.status(tr("Loaded %1 from the library").arg(name), 2000);
    return true;
}

bool EdidLibraryPage::exportEdidBox()
{
    edid::EdidImage image{};
    if (!edid_.parseEdidBox(image).done())
        return false;
    return exportTableInteractively(c_.window, c_.reporter, {image.begin(), image.end()});
}

bool EdidLibraryPage::exportEntry(const QString &name)
{
    std::string error;
    const auto e = name.isEmpty() ? std::nullopt : library_.load(name.toStdString(), error);
    if (!e) {
        if (!name.isEmpty())
            warn(QString::fromStdString(error));
        return false;
    }
    return exportTableInteractively(dialog_, c_.reporter, e->table);
}

bool EdidLibraryPage::removeEntry(const QString &name)
{
    if (name.isEmpty() ||
        !c_.reporter.feedback().question(tr("VANTREL Utility"), tr("Remove \"%1\" from the library?").arg(name),
                                         QString()))
        return false;
    std::string error;
    if (!library_.remove(name.toStdString(), error)) {
        warn(tr("Cannot remove \"%1\":\n%2").arg(name, QString::fromStdString(error)));
        return false;
    }
    refresh();
    return true;
}
