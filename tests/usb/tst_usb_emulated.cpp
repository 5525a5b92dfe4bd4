// SPDX-License-Identifier: GPL-3.0-or-later
// The libusb path end to end: vantrelctl and the link with VANTREL_USB_LIBRARY
// unset, against the box emulated at the usbfs interface (vantrel-usb-rig),
// next to the same programs on the in-process simulated box.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace {

struct Run {
    int status = -1;
    QString out, err;
};

Run start(const QString &program, const QStringList &args, const QProcessEnvironment &env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("timed out");
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// A wait for the box polls as often as the time allows: one line per run of
// equal requests.
QString withoutRepeats(const QString &wire)
{
    QStringList lines = wire.split(QLatin1Char('\n'));
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    return lines.join(QLatin1Char('\n'));
}

// The libusb layer's own lines ("vantrel: libusb ...") have no counterpart on
// the simulated box.
QString withoutLibusbLines(const QString &text)
{
    QStringList kept;
    for (const QString &line : text.split(QLatin1Char('\n')))
        if (!line.startsWith(QLatin1String("vantrel: libusb ")))
            kept << line;
    return kept.join(QLatin1Char('\n'));
}

} // namespace

class TestUsbEmulated : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void sameAsSimulatedBox_data();
    void sameAsSimulatedBox();
    void faults_data();
    void faults();
    void lateReplyIsNotTakenForTheNext();
    void windowStartsAndTicksAsOnTheSimulatedBox();

private:
    QProcessEnvironment env(const QString &mode) const;
    // The rig around program; skips the test when the emulation cannot work here.
    Run underRig(const QStringList &rigOptions, const QString &program, const QStringList &args, const QString &mode);
    QString file(const QString &name) const { return dir_->filePath(name); }
    QString read(const QString &name) const;

    std::unique_ptr<QTemporaryDir> dir_;
    QString simExtra_;
};

QProcessEnvironment TestUsbEmulated::env(const QString &mode) const
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.remove(QStringLiteral("VANTREL_USB_LIBRARY"));
    e.remove(QStringLiteral("VANTREL_USB_IDS"));
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    e.insert(QStringLiteral("VANTREL_SIM"),
             QStringLiteral("state=%1;wire_log=%2;busy_fetch_ms=5;busy_store_ms=10;busy_edid_ms=40;%3")
                 .arg(file(QStringLiteral("state.") + mode), file(QStringLiteral("wire.") + mode), simExtra_));
    return e;
}

QString TestUsbEmulated::read(const QString &name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

Run TestUsbEmulated::underRig(const QStringList &rigOptions, const QString &program, const QStringList &args,
                              const QString &mode)
{
    const Run r = start(QStringLiteral(RIG_PATH),
                        rigOptions + QStringList{QStringLiteral("--log"), file(QStringLiteral("rig.log")), QStringLiteral("--"), program} + args,
                        env(mode));
    if (r.status == 77)
        QTest::qSkip(qPrintable(r.err.trimmed()), __FILE__, __LINE__);
    return r;
}

void TestUsbEmulated::initTestCase()
{
    dir_ = std::make_unique<QTemporaryDir>();
    const Run r = start(QStringLiteral(RIG_PATH), {QStringLiteral("--"), QStringLiteral("true")}, env(QStringLiteral("probe")));
    if (r.status == 77)
        QSKIP(qPrintable(QStringLiteral("the usbfs emulation does not work here, the libusb path is NOT tested: ") + r.err.trimmed()));
    QCOMPARE(r.status, 0);
}

void TestUsbEmulated::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    simExtra_.clear();
}

void TestUsbEmulated::sameAsSimulatedBox_data()
{
    QTest::addColumn<QStringList>("rigOptions");
    QTest::addColumn<QString>("simExtra");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("rigLog"); // lines the rig records, in this order
    QTest::addColumn<QString>("libusbErr");  // what the libusb layer itself says on standard error

    const QStringList plain{};
    const QStringList openClose{"vendor 00 ffff", "vendor 02 0002", "vendor 02 0004", "release 0"};
    QTest::newRow("list") << plain << QString() << QStringList{"list"} << QStringList{} << QString();
    QTest::newRow("status") << plain << QString() << QStringList{"status"}
                            << QStringList{"disconnect-claim 0", "clear-halt 81", "clear-halt 01"} + openClose << QString();
    QTest::newRow("settings") << plain << QString() << QStringList{"settings"} << openClose << QString();
    QTest::newRow("settings --raw, json") << plain << QString() << QStringList{"--json", "settings", "--raw"} << openClose << QString();
    QTest::newRow("edid read box") << plain << QString() << QStringList{"edid", "read", "box"} << openClose << QString();
    QTest::newRow("edid read bottom") << plain << QString() << QStringList{"edid", "read", "bottom"} << openClose << QString();
    QTest::newRow("set input") << plain << QString() << QStringList{"set", "input", "PORT B [BOT]"} << openClose << QString();
    QTest::newRow("set edid-mode waits for the box") << plain << QString() << QStringList{"set", "edid-mode", "fixed"} << openClose << QString();
    QTest::newRow("cec send") << plain << QString() << QStringList{"cec", "send", "50:04"} << openClose << QString();
    QTest::newRow("latency") << QStringList{"--latency", "150"} << QString() << QStringList{"status"} << openClose << QString();
    QTest::newRow("no reply") << plain << QStringLiteral("fault=11E0:noreply@1") << QStringList{"status"} << openClose << QString();
    QTest::newRow("stalled vendor requests")
        << QStringList{"--stall-vendor"} << QString() << QStringList{"status"}
        << QStringList{"vendor 00 ffff stalled", "vendor 02 0002 stalled", "vendor 02 0004 stalled", "release 0"}
        << QStringLiteral("vantrel: libusb enable request: LIBUSB_ERROR_PIPE\n"
                          "vantrel: libusb clear-to-send request: LIBUSB_ERROR_PIPE\n"
                          "vantrel: libusb not-clear-to-send request: LIBUSB_ERROR_PIPE\n");
    QTest::newRow("kernel driver bound")
        << QStringList{"--driver", "usbserial_generic"} << QString() << QStringList{"settings"}
        << QStringList{"disconnect-claim 0 unbinding usbserial_generic", "vendor 00 ffff", "vendor 02 0004", "release 0", "attach usbserial_generic"}
        << QString();
}

void TestUsbEmulated::sameAsSimulatedBox()
{
    QFETCH(QStringList, rigOptions);
    QFETCH(QString, simExtra);
    QFETCH(QStringList, args);
    QFETCH(QStringList, rigLog);
    QFETCH(QString, libusbErr);
    simExtra_ = simExtra;

    const Run usb = underRig(rigOptions, QStringLiteral(VANTRELCTL_PATH), args, QStringLiteral("usb"));
    const Run sim = start(QStringLiteral(VANTRELCTL_PATH), QStringList{"--usb-library", "simulator"} + args,
                          env(QStringLiteral("sim")));
    QCOMPARE(usb.status, sim.status);
    // The one difference allowed: the simulated box says what it is.
    QCOMPARE(usb.out, QString(sim.out).remove(QStringLiteral(" (simulated)")));
    QCOMPARE(withoutLibusbLines(usb.err), sim.err);
    QString fromLibusb;
    for (const QString &line : usb.err.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("vantrel: libusb ")))
            fromLibusb += line + QLatin1Char('\n');
    QCOMPARE(fromLibusb, libusbErr);
    QCOMPARE(withoutRepeats(read(QStringLiteral("wire.usb"))), withoutRepeats(read(QStringLiteral("wire.sim"))));

    const QStringList log = read(QStringLiteral("rig.log")).split(QLatin1Char('\n'));
    qsizetype at = 0;
    for (const QString &line : rigLog) {
        const qsizetype found = log.indexOf(line, at);
        QVERIFY2(found >= 0, qPrintable(QStringLiteral("rig log lacks \"%1\" in order:\n%2").arg(line, log.join('\n'))));
        at = found + 1;
    }
}

void TestUsbEmulated::faults_data()
{
    QTest::addColumn<QStringList>("rigOptions");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("errHas");
    QTest::addColumn<QString>("errLacks");
    QTest::addColumn<int>("maxRefusedAfterUnplug"); // -1: not unplugged

    // Every refused call after the unplug is one receive-queue query; one per
    // millisecond of the 4000 ms bound at most, as an empty poll takes.
    QTest::newRow("unplugged during an exchange")
        << QStringList{"--unplug-after", "2"} << QStringList{"status"} << 4
        << QStringList{"vantrelctl: Error Checking RX Queue", "vantrelctl: reading the status records failed"}
        << QString() << 4000;
    QTest::newRow("no permission")
        << QStringList{"--no-permission"} << QStringList{"status"} << 3
        << QStringList{"vantrel: no permission to open the USB device 10c4:ea61.",
                       "packaging/linux/70-vantrel.rules",
                       "vantrel: libusb open: LIBUSB_ERROR_ACCESS",
                       "vantrelctl: the box with serial 2023 is attached but not accessible: no permission to open it"}
        << QStringLiteral("Hardware not found") << -1;
    QTest::newRow("no permission, list reads the names")
        << QStringList{"--no-permission"} << QStringList{"list"} << 0 << QStringList{} << QStringLiteral("vantrel") << -1;
}

void TestUsbEmulated::faults()
{
    QFETCH(QStringList, rigOptions);
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QStringList, errHas);
    QFETCH(QString, errLacks);
    QFETCH(int, maxRefusedAfterUnplug);

    const Run r = underRig(rigOptions, QStringLiteral(VANTRELCTL_PATH), args, QStringLiteral("usb"));
    QVERIFY2(r.status == status, qPrintable(QStringLiteral("status %1; stderr:\n%2").arg(r.status).arg(r.err)));
    for (const QString &text : errHas)
        QVERIFY2(r.err.contains(text), qPrintable(QStringLiteral("no \"%1\" in:\n%2").arg(text, r.err)));
    if (!errLacks.isEmpty())
        QVERIFY2(!r.err.contains(errLacks), qPrintable(r.err));
    if (args == QStringList{"list"})
        QCOMPARE(r.out, QStringLiteral("0  2023  VANTREL HDMI Processor  [used]\n"));
    if (maxRefusedAfterUnplug >= 0) {
        const QString log = read(QStringLiteral("rig.log"));
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("refused after unplug: (\\d+)")).match(log);
        QVERIFY2(m.hasMatch(), qPrintable(log));
        qInfo("%s", qPrintable(log.section(QLatin1Char('\n'), -3).trimmed()));
        QVERIFY2(m.captured(1).toInt() <= maxRefusedAfterUnplug, qPrintable(log));
    }
}

// The reply to the first read comes 200 ms after the link gave up on it, and
// before the next exchange: the next read must still get its own reply.
void TestUsbEmulated::lateReplyIsNotTakenForTheNext()
{
    const QStringList reads{"--pause", "500", "6", "15:1F", "1E:1F"};
    const Run usb = underRig({"--late", "1:4200"}, QStringLiteral(PROBE_PATH), reads, QStringLiteral("usb"));
    QProcessEnvironment e = env(QStringLiteral("sim"));
    e.insert(QStringLiteral("VANTREL_USB_LIBRARY"), QStringLiteral("simulator"));
    const Run sim = start(QStringLiteral(PROBE_PATH), reads, e);
    QCOMPARE(usb.status, 0);
    QCOMPARE(sim.status, 0);
    const QStringList got = usb.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList want = sim.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(got.size(), 3);
    QVERIFY2(got[0].startsWith(QLatin1String("1 ok - ")), qPrintable(got[0])); // nothing within the bound
    for (int i = 1; i < 3; ++i)
        QCOMPARE(got[i].section(QLatin1String(" wall="), 0, 0), want[i].section(QLatin1String(" wall="), 0, 0));
}

// The window's start-up reads, its EDID read and its first ticks, each run cut
// off after four seconds: the frames of the shorter run begin the longer one.
void TestUsbEmulated::windowStartsAndTicksAsOnTheSimulatedBox()
{
#ifndef WINDOW_PATH
    QSKIP("the window is not built (VANTREL_BUILD_GUI=OFF)");
#else
    const QStringList forFourSeconds{QStringLiteral("4"), QStringLiteral(WINDOW_PATH)};
    const Run usb = underRig({}, QStringLiteral("timeout"), forFourSeconds, QStringLiteral("usb"));
    QProcessEnvironment e = env(QStringLiteral("sim"));
    e.insert(QStringLiteral("VANTREL_USB_LIBRARY"), QStringLiteral("simulator"));
    const Run sim = start(QStringLiteral("timeout"), forFourSeconds, e);
    // Still running when cut off: it got past start-up without a message box.
    QVERIFY2(usb.status == 124, qPrintable(usb.err));
    QVERIFY2(sim.status == 124, qPrintable(sim.err));
    QVERIFY2(!usb.err.contains(QLatin1String("vantrel: ")), qPrintable(usb.err));

    QStringList a = withoutRepeats(read(QStringLiteral("wire.usb"))).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList b = withoutRepeats(read(QStringLiteral("wire.sim"))).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (a.size() > b.size())
        std::swap(a, b);
    QVERIFY2(a.size() >= 33, qPrintable(a.join(QLatin1Char('\n')))); // start-up and the whole EDID read
    QCOMPARE(a, b.mid(0, a.size()));
    const QStringList log = read(QStringLiteral("rig.log")).split(QLatin1Char('\n'));
    QVERIFY(log.contains(QStringLiteral("vendor 00 ffff")) && log.contains(QStringLiteral("vendor 02 0002")));
#endif
}

QTEST_GUILESS_MAIN(TestUsbEmulated)
#include "tst_usb_emulated.moc"
