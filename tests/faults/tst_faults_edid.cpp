// SPDX-License-Identifier: GPL-3.0-or-later
// The fault matrix for the EDID page: the three reads and the upload against
// every fault kind of the simulated box, and the save against the places a
// file cannot go. A failed transfer must leave the text box as it was and
// never end on the success message; the next try must work.
#include "fault_rig.h"

#include "edid_file.h"
#include "edid_text.h"
#include "frames.h"

#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_LINUX
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

using namespace faults;
using namespace vantrel;

namespace {

const QString kRead = QStringLiteral("status:Error Reading values");
const QString kWrite = QStringLiteral("status:Error Writing values");
const QString kQueue = QStringLiteral("alert:Error Checking RX Queue");
const QString kChunk = QStringLiteral("status:Error Writing EDID values.");
const QString kStore = QStringLiteral("status:Error Populating EDID values.");
const QString kWritten = QStringLiteral("EDID values written...");

enum Source { Box, Top, Bottom };

QString successText(Source s)
{
    return s == Source::Box ? QStringLiteral("EDID values read.") : QStringLiteral("TV EDID values read.");
}

sim::EdidTable tableOf(sim::BoxModel &box, Source s)
{
    return s == Source::Box ? box.presentedTable() : *box.displayTable(s == Bottom);
}

QPushButton *buttonOf(MainWindow &w, Source s)
{
    return s == Source::Box ? w.ui->ButReadEDID : s == Top ? w.ui->pbReadTvEdidA : w.ui->pbReadTvEdidB;
}

#ifdef Q_OS_LINUX
// Root writes into read-only folders; dropping this one capability from the
// effective set lets the folder's permissions count, until the guard ends.
class WithoutDacOverride {
public:
    WithoutDacOverride()
    {
        if (syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
        active_ = syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~WithoutDacOverride()
    {
        if (active_)
            syscall(SYS_capset, &header_, saved_);
    }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};
#endif

// /dev/full, or for root a private twin: should a save ever swap a plain
// file in over its target again, root would replace the system's device.
QString fullDevice(const QTemporaryDir &dir)
{
#ifdef Q_OS_LINUX
    if (geteuid() != 0)
        return QStringLiteral("/dev/full");
    const QString path = dir.filePath(QStringLiteral("full"));
    if (mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 7)) == 0)
        return path;
#endif
    Q_UNUSED(dir);
    return QString();
}

bool isDevice(const QString &path)
{
#ifdef Q_OS_LINUX
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISCHR(st.st_mode);
#else
    Q_UNUSED(path);
    return false;
#endif
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(Source)

class FaultsEdid : public QObject {
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void upload_data();
    void upload();
    void save_data();
    void save();
    void toolWriterOnAFullDevice();
};

// The text box holds a table unlike any the box has. Gone: after half the chunks.
void FaultsEdid::read_data()
{
    QTest::addColumn<Source>("source");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QStringList>("shown"); // besides the success message
    QTest::addColumn<bool>("fresh");        // the table arrived and is shown
    QTest::addColumn<bool>("ready");        // the box reported ready: the read is a success
    QTest::addColumn<int>("statusReads");   // of the busy wait; -1: while the fetch keeps the box busy

    const struct {
        Source source;
        const char *name;
    } sources[] = {{Source::Box, "box"}, {Top, "top"}, {Bottom, "bottom"}};
    for (const auto &s : sources) {
        auto row = [&](Fault f) -> QTestData & {
            return QTest::newRow(qPrintable(QStringLiteral("%1/%2").arg(s.name, faultName(f)))) << s.source << f;
        };
        // A fetch that is not acknowledged ends the read: no wait, no chunks.
        row(Fault::NoReply) << QStringList{kWrite} << false << true << 0;
        row(Fault::ShortReply) << QStringList{kWrite} << false << true << 0;
        row(Fault::WrongCode) << QStringList{kWrite} << false << true << 0;
        // The wait is bounded: 502 status reads, then the chunks, shown with a
        // warning in place of the success message.
        row(Fault::Busy) << QStringList{QStringLiteral("status:The box never reported ready: the table may be stale.")}
                         << true << false << 502;
        row(Fault::QueueFail) << QStringList{kQueue, kWrite} << false << true << 0;
        row(Fault::WriteFail) << QStringList{kWrite} << false << true << 0;
        // A chunk that does not come ends the read without a word.
        row(Fault::Gone) << QStringList{} << false << true << -1;
    }
}

void FaultsEdid::read()
{
    QFETCH(Source, source);
    QFETCH(Fault, fault);
    QFETCH(QStringList, shown);
    QFETCH(bool, fresh);
    QFETCH(bool, ready);
    QFETCH(int, statusReads);

    Rig rig;
    rig.start();
    rig.settle();
    MainWindow &w = *rig.window;
    const QString before = tableText(foreignTable());
    w.ui->EDIDtext->setPlainText(before);
    const QString table = tableText(tableOf(rig.box(), source));

    rig.inject(fault, {frame::kEdidChunk, frame::kAsk, 8});
    const size_t mark = rig.requestMark();
    QTest::mouseClick(buttonOf(w, source), Qt::LeftButton);
    if (fresh && ready)
        shown << QStringLiteral("status:") + successText(source);
    QCOMPARE(rig.shown(), shown);
    QCOMPARE(rig.statusShown(successText(source)), fresh && ready);
    QCOMPARE(w.ui->EDIDtext->toPlainText(), fresh ? table : before);
    const int reads = rig.requestsSince(mark, frame::kAsk, frame::kBlock);
    if (statusReads >= 0)
        QCOMPARE(reads, statusReads);
    else
        QVERIFY2(reads > 1 && reads < 502, qPrintable(QString::number(reads)));
    QCOMPARE(rig.requestsInsideAlerts, 0);

    rig.recover();
    QTest::mouseClick(buttonOf(w, source), Qt::LeftButton);
    QCOMPARE(rig.shown(), QStringList{QStringLiteral("status:") + successText(source)});
    QCOMPARE(w.ui->EDIDtext->toPlainText(), table);
    QVERIFY(w.progressBar()->isHidden());
}

// CUSTOM mode, preset 1; the text box holds a valid table the box does not
// have. Gone: after 16 of the 32 chunk writes.
void FaultsEdid::upload_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QStringList>("shown");

    // The first unacknowledged chunk ends the upload: nothing is stored.
    QTest::newRow("noreply") << Fault::NoReply << QStringList{kChunk};
    QTest::newRow("short") << Fault::ShortReply << QStringList{kChunk};
    QTest::newRow("wrongcode") << Fault::WrongCode << QStringList{kChunk};
    QTest::newRow("queuefail") << Fault::QueueFail << QStringList{kQueue, kChunk};
    QTest::newRow("writefail") << Fault::WriteFail << QStringList{kChunk};
    QTest::newRow("gone") << Fault::Gone << QStringList{kChunk};
}

void FaultsEdid::upload()
{
    QFETCH(Fault, fault);
    QFETCH(QStringList, shown);

    Rig rig("p2=3;p19=1");
    rig.start();
    rig.settle();
    MainWindow &w = *rig.window;
    QVERIFY(w.ui->customEDID->isChecked());
    QCOMPARE(w.ui->cmBEdid->currentIndex(), 0);
    const std::array<uint8_t, 256> table = foreignTable();
    const QString text = tableText(table);
    w.ui->EDIDtext->setPlainText(text);
    const sim::EdidTable stored = rig.box().customTable();
    QVERIFY(stored != table);

    rig.inject(fault, {frame::kEdidChunk, frame::kSend, 16});
    const uint32_t start = rig.clock.now;
    QTest::mouseClick(w.ui->ButWriteEDID, Qt::LeftButton);
    // One bound at most, on virtual time: the upload stops at the chunk.
    QVERIFY(rig.clock.now - start <= UsbLink::kReplyBoundMs + 16 * 30);
    QCOMPARE(rig.shown(), shown);
    QCOMPARE(rig.lastStatus(), QStringLiteral("Error Writing EDID values."));
    QVERIFY(!rig.statusShown(kWritten));
    QCOMPARE(w.ui->EDIDtext->toPlainText(), text);
    QVERIFY(w.progressBar()->isHidden());
    QVERIFY(rig.box().customTable() == stored); // the store never reached it
    QCOMPARE(rig.requestsInsideAlerts, 0);

    rig.recover();
    rig.clock.advance(1000); // the box may still be storing what did arrive
    QTest::mouseClick(w.ui->ButWriteEDID, Qt::LeftButton);
    QCOMPARE(rig.shown(), QStringList{QStringLiteral("status:") + kWritten});
    QVERIFY(rig.box().customTable() == table);
}

// Where the Save button's file cannot be written. The failure must be said,
// and whatever was there before must still be there.
void FaultsEdid::save_data()
{
    QTest::addColumn<QString>("place");
    QTest::newRow("read-only folder") << QStringLiteral("readonly");
    QTest::newRow("missing folder") << QStringLiteral("missing");
    QTest::newRow("/dev/full") << QStringLiteral("full");
}

void FaultsEdid::save()
{
    QFETCH(QString, place);

    Rig rig;
    rig.start();
    rig.settle();
    MainWindow &w = *rig.window;
    const std::array<uint8_t, 256> table = foreignTable();
    w.ui->EDIDtext->setPlainText(tableText(table));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto writableAgain = qScopeGuard(
        [&] { QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); });
    QString path;
    QByteArray old;
#ifdef Q_OS_LINUX
    std::unique_ptr<WithoutDacOverride> noOverride;
#endif
    if (place == QLatin1String("readonly")) {
        path = dir.filePath(QStringLiteral("table.bin"));
        old = QByteArray(256, '\x5A');
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(old) == old.size());
        f.close();
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
#ifdef Q_OS_LINUX
        noOverride = std::make_unique<WithoutDacOverride>();
#endif
    } else if (place == QLatin1String("missing")) {
        path = dir.filePath(QStringLiteral("gone/table.bin"));
    } else {
        path = fullDevice(dir);
        if (path.isEmpty())
            QSKIP("no full device to try");
    }

    rig.feedback.saveAnswers = {path};
    QTest::mouseClick(w.ui->ButSaveEDID, Qt::LeftButton);
    const QList<FeedbackEvent> warnings = rig.feedback.ofKind(QStringLiteral("warning"));
    QCOMPARE(warnings.size(), 1);
    QCOMPARE(warnings.first().title, QStringLiteral("VANTREL Utility"));
    const QString prefix = QStringLiteral("Cannot write file %1:\n").arg(path);
    QVERIFY2(warnings.first().text.startsWith(prefix) && warnings.first().text.endsWith(QLatin1Char('.')) &&
                 warnings.first().text.size() > prefix.size() + 1,
             qPrintable(warnings.first().text));
    qInfo("%s", qPrintable(warnings.first().text));
    QVERIFY(!rig.statusShown(QStringLiteral("File saved")));

#ifdef Q_OS_LINUX
    noOverride.reset();
#endif
    if (place == QLatin1String("readonly")) {
        QCOMPARE(fileBytes(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"table.bin"});
    } else if (place == QLatin1String("missing")) {
        QVERIFY(!QFileInfo::exists(QFileInfo(path).path()));
    } else {
        QVERIFY(isDevice(path));
    }

    // The same save to a place that takes it.
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    rig.feedback.clear();
    const QString good = dir.filePath(QStringLiteral("saved.bin"));
    rig.feedback.saveAnswers = {good};
    QTest::mouseClick(w.ui->ButSaveEDID, Qt::LeftButton);
    QCOMPARE(rig.lastStatus(), QStringLiteral("File saved"));
    QCOMPARE(fileBytes(good), QByteArray(reinterpret_cast<const char *>(table.data()), 256));
}

// vantrelctl saves through the plain writer: the same promise on /dev/full.
void FaultsEdid::toolWriterOnAFullDevice()
{
    QTemporaryDir dir;
    const QString path = fullDevice(dir);
    if (path.isEmpty())
        QSKIP("no full device to try");
    std::string error;
    const std::array<uint8_t, 256> table = foreignTable();
    QVERIFY(!edid::atomicWriteFile(path.toStdString(), edid::edidFileBytes(table), error));
    QCOMPARE(QString::fromStdString(error), QStringLiteral("No space left on device"));
    QVERIFY(isDevice(path));
}

QTEST_MAIN(FaultsEdid)
#include "tst_faults_edid.moc"
