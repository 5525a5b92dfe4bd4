// SPDX-License-Identifier: GPL-3.0-or-later
// The window's saves keep what the tool's writer keeps (a read-only file
// refused and left as it was, a second hard link still the same file), and
// the EDID library outlives the window: kept by one, listed and loaded by the
// next, read by the tool's own code, exported for another system.
#include "edid_library.h"
#include "edid_library_page.h"
#include "edid_text.h"
#include "signal_history_page.h"
#include "window_rig.h"

#include "ui_EdidLibraryDialog.h"

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include <functional>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace vantrel;

namespace {

edid::EdidImage sampleImage()
{
    edid::EdidImage image{};
    const uint8_t header[] = {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0x4C, 0x2D, 0x56, 0x72};
    std::copy(std::begin(header), std::end(header), image.begin());
    for (size_t i = 12; i < 256; ++i)
        image[i] = uint8_t(i * 3);
    edid::repairChecksums(image);
    return image;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

} // namespace

class WindowEdidLibraryTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
        qputenv("VANTREL_DATA_DIR", dir_.filePath(QStringLiteral("data")).toUtf8());
    }

    // Each save of the window, on a file with a second name and on a file its
    // owner made read-only (refused even for root: no write bit at all).
    void savesKeepLinksAndReadOnlyFiles_data()
    {
        QTest::addColumn<int>("save");
        QTest::newRow("Save to File") << 0;
        QTest::newRow("profile") << 1;
        QTest::newRow("signal history") << 2;
    }

    void savesKeepLinksAndReadOnlyFiles()
    {
#ifdef _WIN32
        QSKIP("hard links and modes are checked where the system has them");
#else
        QFETCH(int, save);
        SimulatedWindowRig rig;
        MainWindow &w = *rig.window;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.edidPage().showEdidHex(sampleImage());
        const std::function<void()> saves[] = {
            [&] { QTest::mouseClick(w.ui->ButSaveEDID, Qt::LeftButton); },
            [&] {
                emit w.ui->menuFile->aboutToShow(); // the menu enables the action as it opens
                w.findChild<QAction *>(QStringLiteral("actionSaveProfile"))->trigger();
            },
            [&] { w.signalHistoryPage().SaveSignalHistory(); }};

        QTemporaryDir dir;
        const QString linked = dir.filePath(QStringLiteral("linked")), other = dir.filePath(QStringLiteral("other"));
        writeFile(linked, "old");
        QCOMPARE(::link(QFile::encodeName(linked).constData(), QFile::encodeName(other).constData()), 0);
        rig.feedback.saveAnswers = {linked};
        saves[save]();
        QVERIFY2(rig.feedback.ofKind("warning").isEmpty(), qPrintable(rig.feedback.summary().join('\n')));
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(other).constData(), &st), 0);
        QCOMPARE(int(st.st_nlink), 2);
        QVERIFY(fileBytes(linked) != "old");
        QCOMPARE(fileBytes(other), fileBytes(linked));

        const QString readOnly = dir.filePath(QStringLiteral("read-only"));
        writeFile(readOnly, "old");
        QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        rig.feedback.clear();
        rig.feedback.saveAnswers = {readOnly};
        saves[save]();
        QCOMPARE(rig.feedback.ofKind("warning").size(), 1);
        QVERIFY2(rig.feedback.texts("warning").first().contains(QStringLiteral("read-only")),
                 qPrintable(rig.feedback.texts("warning").first()));
        QCOMPARE(fileBytes(readOnly), QByteArray("old"));
        QCOMPARE(::stat(QFile::encodeName(readOnly).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0444);
#endif
    }

    void libraryOutlivesTheWindow()
    {
        QByteArray display;
        {
            SimulatedWindowRig rig;
            MainWindow &w = *rig.window;
            QTest::mousePress(w.ui->pbReadTvEdidA, Qt::LeftButton);
            edid::EdidImage shown{};
            QVERIFY(w.edidPage().parseEdidBox(shown).done());
            display = QByteArray(reinterpret_cast<const char *>(shown.data()), 256);
            w.findChild<QAction *>(QStringLiteral("actionEdidLibrary"))->trigger();
            EdidLibraryPage &library = w.edidLibraryPage();
            QVERIFY(library.dialog() && library.dialog()->isVisible());
            library.ui()->nameEdit->setText(QStringLiteral("living room"));
            QTest::mouseClick(library.ui()->saveButton, Qt::LeftButton);
            QCOMPARE(rig.feedback.texts("status").last(), QStringLiteral("Saved to the library as living room"));
            QCOMPARE(library.ui()->tableList->topLevelItemCount(), 1);
        }

        // A new window lists it with its source; a double-click loads it.
        SimulatedWindowRig rig;
        MainWindow &w = *rig.window;
        w.ui->EDIDtext->setPlainText(QStringLiteral("00"));
        w.findChild<QAction *>(QStringLiteral("actionEdidLibrary"))->trigger();
        EdidLibraryPage &library = w.edidLibraryPage();
        QTreeWidget *list = library.ui()->tableList;
        QCOMPARE(list->topLevelItemCount(), 1);
        QTreeWidgetItem *item = list->topLevelItem(0);
        QCOMPARE(item->text(0) + " | " + item->text(1), QStringLiteral("living room | TX A"));
        QVERIFY(!item->text(2).isEmpty());
        library.dialog()->show();
        QVERIFY(QTest::qWaitForWindowExposed(library.dialog()));
        const QPoint at = list->visualItemRect(item).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        edid::EdidImage loaded{};
        QVERIFY(w.edidPage().parseEdidBox(loaded).done());
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(loaded.data()), 256), display);

        // The tool's library reads the same entry.
        std::string error;
        const auto entry = edid::EdidLibrary(edid::EdidLibrary::defaultFolder()).load("living room", error);
        QVERIFY2(entry, error.c_str());
        QCOMPARE(entry->source, std::string("TX A"));

        // Export... of the entry: a registry file, its steps told.
        const QString reg = dir_.filePath(QStringLiteral("tv.reg"));
        rig.feedback.saveAnswers = {reg};
        QTest::mouseClick(library.ui()->exportButton, Qt::LeftButton);
        QVERIFY(fileBytes(reg).startsWith("Windows Registry Editor Version 5.00\r\n"));
        QCOMPARE(rig.feedback.ofKind("about").size(), 1);
        QVERIFY(rig.feedback.ofKind("about").first().text.contains(QStringLiteral("reg import tv.reg")));
    }
};

QTEST_MAIN(WindowEdidLibraryTest)
#include "tst_window_edid_library.moc"
