// SPDX-License-Identifier: GPL-3.0-or-later
// vantrelctl as scripts use it: the exit status of every kind of outcome, in
// text and JSON alike; the facts status --json adds; status --watch on a
// changing source; the bash completion and the manual page.
#include "ctl_runner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <csignal>
#include <unistd.h>

namespace {

// One JSON document, or a failure naming what was printed instead.
bool parseDocument(const QString &text, QJsonObject &doc)
{
    QJsonParseError error{};
    const QJsonDocument parsed = QJsonDocument::fromJson(text.toUtf8(), &error);
    doc = parsed.object();
    return error.error == QJsonParseError::NoError && parsed.isObject();
}

// "timing.code" -> doc["timing"]["code"].
QJsonValue member(const QJsonObject &doc, const QString &path)
{
    QJsonValue v = doc;
    for (const QString &key : path.split(QLatin1Char('.')))
        v = v.toObject().value(key);
    return v;
}

} // namespace

class CliScripting : public QObject {
    Q_OBJECT

private slots:
    void exitStatusOfEveryOutcome_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("sim");     // added to the runner's configuration
        QTest::addColumn<QString>("library"); // empty: the simulated box
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");    // on standard error
        QTest::addColumn<QString>("shows");   // on standard output, text mode
        const QString sixty(60, QLatin1Char('x'));
        // Done.
        QTest::newRow("status") << QStringList{"status"} << "" << "" << 0 << "" << "Output: TX A";
        QTest::newRow("acknowledged reset") << QStringList{"reset", "all", "--yes"} << "" << "" << 0 << "" << "reset all done";
        QTest::newRow("cec message") << QStringList{"cec", "send", "50:04"} << "" << "" << 0 << "CEC values written" << "sent";
        QTest::newRow("edid group help") << QStringList{"edid", "--help"} << "" << "" << 0 << "" << "edid decode";
        QTest::newRow("cec group help") << QStringList{"cec", "--help"} << "" << "" << 0 << "" << "cec store";
        QTest::newRow("infoframe group help") << QStringList{"infoframe", "-h"} << "" << "" << 0 << "" << "infoframe avi";
        QTest::newRow("help for a group") << QStringList{"help", "edid"} << "" << "" << 0 << "" << "edid read";
        QTest::newRow("version") << QStringList{"--version"} << "" << "" << 0 << "" << "vantrelctl ";
        // Refused: the box would not be sent the text, or the control is locked.
        QTest::newRow("cec text too short") << QStringList{"cec", "send", "50:0"} << "" << "" << 1 << "is not colon hex text" << "";
        QTest::newRow("one-byte message") << QStringList{"cec", "send", "50"} << "" << "" << 1 << "2 to 31 bytes" << "";
        QTest::newRow("stored command too long") << QStringList{"cec", "store", "sp", sixty} << "" << "" << 1 << "5 to 59 characters" << "";
        QTest::newRow("infoframe not hex") << QStringList{"infoframe", "hdr", "87:0g"} << "" << "" << 1 << "\"87:0g\" is not colon hex text" << "";
        QTest::newRow("follow-up text refused") << QStringList{"set", "force-hdr", "on", "--hdr", "87-01"} << "" << "" << 1 << "not colon hex" << "";
        QTest::newRow("locked control") << QStringList{"set", "priority", "forced"} << "" << "" << 1 << "auto-switch" << "";
        // Usage.
        QTest::newRow("no command") << QStringList{} << "" << "" << 2 << "no command given" << "";
        QTest::newRow("unknown command") << QStringList{"stauts"} << "" << "" << 2 << "did you mean \"status\"" << "";
        QTest::newRow("group without its word") << QStringList{"edid"} << "" << "" << 2 << "edid read" << "";
        QTest::newRow("unknown word in a group") << QStringList{"edid", "raed"} << "" << "" << 2 << "did you mean \"read\"" << "";
        QTest::newRow("unknown word, nothing near") << QStringList{"edid", "frob"} << "" << "" << 2 << "needs one of" << "";
        QTest::newRow("unknown command option") << QStringList{"status", "--bogus"} << "" << "" << 2 << "bogus" << "";
        QTest::newRow("unknown option first") << QStringList{"--bogus", "status"} << "" << "" << 2 << "bogus" << "";
        QTest::newRow("missing value") << QStringList{"set", "input"} << "" << "" << 2 << "usage" << "";
        QTest::newRow("unknown setting") << QStringList{"set", "inptu", "1"} << "" << "" << 2 << "did you mean \"input\"" << "";
        QTest::newRow("value out of range") << QStringList{"set", "input", "5"} << "" << "" << 2 << "PORT A [TOP]" << "";
        QTest::newRow("--hdr with another setting") << QStringList{"set", "cec", "on", "--hdr", "87:01"} << "" << "" << 2 << "--hdr" << "";
        QTest::newRow("reset without --yes") << QStringList{"reset", "all"} << "" << "" << 2 << "--yes" << "";
        QTest::newRow("a path, not an option") << QStringList{"edid", "decode", "/nonexistent/b.bin"} << "" << "" << 1 << "cannot read /nonexistent/b.bin" << "";
        QTest::newRow("empty field") << QStringList{"infoframe", "hdr", "--max-cll", "", "--print"} << "" << "" << 2 << "--max-cll needs a value" << "";
        QTest::newRow("empty template") << QStringList{"infoframe", "hdr", "--template=", "--print"} << "" << "" << 2 << "--template needs a value" << "";
        QTest::newRow("built-in library") << QStringList{"--usb-library=", "infoframe", "decode", "avi", "00:00"} << "" << "" << 0 << "" << "PASS";
        QTest::newRow("fraction rounded") << QStringList{"infoframe", "hdr", "--template", "hdr10-1000", "--max-cll", "1000.4", "--print"} << "" << "" << 0 << "--max-cll 1000.4 is rounded to 1000" << "87:01:1a";
        QTest::newRow("opcode typo") << QStringList{"cec", "send", "--to", "tv", "standbye", "--print"} << "" << "" << 2 << "did you mean \"standby\"" << "";
        QTest::newRow("recipe typo") << QStringList{"cec", "recipe", "tv-onn", "--print"} << "" << "" << 2 << "did you mean \"tv-on\"" << "";
        QTest::newRow("interval without --watch") << QStringList{"status", "5"} << "" << "" << 2 << "--watch" << "";
        // No box.
        QTest::newRow("no box with the serial") << QStringList{"status"} << "serials=2024" << "" << 3 << "2023" << "";
        QTest::newRow("no device at all") << QStringList{"list"} << "serials=" << "" << 3 << "no device" << "";
        QTest::newRow("library not loadable") << QStringList{"status"} << "" << "/nonexistent/libnone.so" << 3 << "libnone" << "";
        // Exchange failed or not acknowledged.
        QTest::newRow("write not echoed") << QStringList{"set", "cec", "off"} << "fault=10E0:wrongcode" << "" << 4 << "setting cec failed: the box did not acknowledge it" << "";
        QTest::newRow("reset not echoed") << QStringList{"reset", "all", "--yes"} << "fault=10E0:wrongcode" << "" << 4 << "the reset failed" << "";
        QTest::newRow("reset unanswered") << QStringList{"reset", "settings", "--yes"} << "fault=10E0:noreply" << "" << 4 << "the reset failed" << "";
        QTest::newRow("box edid fetch not echoed") << QStringList{"edid", "read", "box"} << "fault=B4:wrongcode" << "" << 4 << "fetching the EDID failed" << "";
        QTest::newRow("top edid fetch unanswered") << QStringList{"edid", "read", "top"} << "fault=B5:noreply" << "" << 4 << "fetching the EDID failed" << "";
        QTest::newRow("bottom edid fetch not written") << QStringList{"edid", "read", "bottom"} << "fault=B6:writefail" << "" << 4 << "fetching the EDID failed" << "";
        QTest::newRow("activation not echoed") << QStringList{"infoframe", "hdr", "87:01:1a"} << "fault=B3:wrongcode" << "" << 4 << "failed" << "";
        QTest::newRow("status read lost") << QStringList{"status"} << "fault=11E0:noreply:1@2" << "" << 4 << "status records" << "";
        QTest::newRow("device gone") << QStringList{"settings"} << "fault=*:gone:0" << "" << 4 << "failed" << "";
        QTest::newRow("box busy") << QStringList{"settings"} << "fault=E1:busy:5" << "" << 4 << "busy" << "";
        // The table is read after the 502nd busy read and shown, but the read is no success.
        QTest::newRow("edid read, box never ready") << QStringList{"edid", "read"} << "fault=E1:busy:600" << "" << 4 << "never reported ready" << "00 FF FF FF FF FF FF 00";
    }
    void exitStatusOfEveryOutcome()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, sim);
        QFETCH(QString, library);
        QFETCH(int, status);
        QFETCH(QString, says);
        QFETCH(QString, shows);
        for (const bool json : {false, true}) {
            CtlRunner ctl; // a fresh box each time: a reset or a failure leaves nothing behind
            ctl.simConfig += QLatin1Char(';') + sim;
            if (!library.isEmpty())
                ctl.library = library;
            const CtlRun r = ctl.run(json ? QStringList{"--json"} + args : args);
            EXPECT_STATUS(r, status);
            QVERIFY2(r.err.contains(says), qPrintable(r.err));
            if (!json) {
                QVERIFY2(r.out.contains(shows), qPrintable(r.out));
                continue;
            }
            // Every run prints one document, a parse error included.
            QJsonObject doc;
            QVERIFY2(parseDocument(r.out, doc), qPrintable(r.out));
            if (status != 0) {
                QCOMPARE(doc.value("exitStatus").toInt(), status);
                QVERIFY(!doc.value("error").toString().isEmpty());
            } else {
                QVERIFY(!doc.contains("error"));
            }
        }
    }

    void pipesAndQuietRuns()
    {
        CtlRunner ctl;
        // -o -: the 256 bytes on standard output, the same as in a file.
        const QString file = ctl.path(QStringLiteral("top.bin"));
        EXPECT_STATUS(ctl.run({"edid", "read", "top", "-o", file}), 0);
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray table = saved.readAll();
        QCOMPARE(table.size(), 256);
        QProcess p;
        p.setProcessEnvironment(ctl.environment());
        p.start(QStringLiteral(VANTRELCTL_PATH), ctl.arguments({"edid", "read", "top", "-o", "-"}));
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardOutput(), table);
        EXPECT_STATUS(ctl.run({"--json", "edid", "read", "-o", "-"}), 2); // bytes and a document do not mix

        // edid decode without FILE reads standard input.
        const CtlRun fromFile = ctl.run({"edid", "decode", file});
        const CtlRun fromInput = ctl.run({"edid", "decode"}, table);
        QCOMPARE(fromInput.status, fromFile.status);
        QVERIFY(!fromInput.out.isEmpty());
        QCOMPARE(fromInput.out, fromFile.out);

        // --quiet drops what went well, not what went wrong.
        QVERIFY(ctl.run({"cec", "send", "50:04"}).err.contains(QLatin1String("CEC values written")));
        const CtlRun quiet = ctl.run({"--quiet", "cec", "send", "50:04"});
        EXPECT_STATUS(quiet, 0);
        QCOMPARE(quiet.err, QString());
        const CtlRun quietFailure = ctl.run({"cec", "send", "50:0", "-q"});
        EXPECT_STATUS(quietFailure, 1);
        QVERIFY(quietFailure.err.contains(QLatin1String("not colon hex")));
        // A failure shows no success message first.
        QVERIFY(!quietFailure.err.contains(QLatin1String("written")));
    }

    // Input a user or a script can get wrong: each ends promptly with its
    // status, the reason on standard error and in the JSON document alike.
    void hostileInputEndsPromptly_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input"); // standard input; null: none
        QTest::addColumn<QString>("stdoutTo"); // "": a pipe; a path; "closed"
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason");
        const QByteArray endless(200 * 1024, '0');
        QTest::newRow("watch nan") << QStringList{"status", "--watch", "nan"} << QByteArray() << "" << 2 << "\"nan\"";
        QTest::newRow("watch inf") << QStringList{"status", "--watch=inf"} << QByteArray() << "" << 2 << "\"inf\"";
        QTest::newRow("watch -inf") << QStringList{"status", "--watch", "--", "-inf"} << QByteArray() << "" << 2
                                    << "-inf";
        QTest::newRow("oversized standard input")
            << QStringList{"edid", "decode", "-"} << endless << "" << 1 << "longer than";
        QTest::newRow("cec reason in json")
            << QStringList{"cec", "send", "zz"} << QByteArray() << "" << 1 << "colon hex";
        QTest::newRow("full standard output") << QStringList{"settings"} << QByteArray() << "/dev/full" << 1 << "";
        QTest::newRow("closed standard output") << QStringList{"settings"} << QByteArray() << "closed" << 1 << "";
    }
    void hostileInputEndsPromptly()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QFETCH(QString, stdoutTo);
        QFETCH(int, status);
        QFETCH(QString, reason);
        for (const bool json : {false, true}) {
            CtlRunner ctl;
            QProcess p;
            p.setProcessEnvironment(ctl.environment());
            if (stdoutTo == QLatin1String("closed"))
                p.setChildProcessModifier([] { ::close(1); });
            else if (!stdoutTo.isEmpty())
                p.setStandardOutputFile(stdoutTo);
            p.start(QStringLiteral(VANTRELCTL_PATH), ctl.arguments(json ? QStringList{"--json"} + args : args));
            QVERIFY(p.waitForStarted());
            if (!input.isNull())
                p.write(input);
            p.closeWriteChannel();
            QVERIFY2(p.waitForFinished(10000), "still running");
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            const QString err = QString::fromUtf8(p.readAllStandardError());
            QVERIFY2(p.exitCode() == status, qPrintable(err));
            if (!stdoutTo.isEmpty()) {
                QVERIFY2(err.contains(QLatin1String("cannot write standard output")), qPrintable(err));
                continue;
            }
            QVERIFY2(err.contains(reason), qPrintable(err));
            QJsonObject doc;
            if (json) {
                QVERIFY(parseDocument(QString::fromUtf8(p.readAllStandardOutput()), doc));
                QVERIFY2(doc.value("error").toString().contains(reason), qPrintable(doc.value("error").toString()));
            }
        }
    }

    void statusJsonCarriesTheDecodedFacts_data()
    {
        QTest::addColumn<QString>("signal");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QJsonValue>("expected");
        QTest::newRow("default: 4k60 4:2:0 10-bit") << "" << "timing.width" << QJsonValue(3840);
        QTest::newRow("default refresh") << "" << "timing.refreshHz" << QJsonValue(60);
        QTest::newRow("default depth") << "" << "colourDepth" << QJsonValue(10);
        QTest::newRow("interlaced") << "vic=5" << "timing.interlaced" << QJsonValue(true);
        QTest::newRow("interlaced height") << "vic=5" << "timing.height" << QJsonValue(1080);
        QTest::newRow("vendor format") << "hdmi_vic=1" << "timing.name" << QJsonValue("3840x2160p30");
        QTest::newRow("3D structure") << "vic=16;3d=tb" << "timing.structure3d" << QJsonValue("Top/Bottom 3D");
        QTest::newRow("450 MHz 4:4:4") << "clock=450;colour=444" << "colourDepth" << QJsonValue(12);
        QTest::newRow("4k60 at 300 MHz") << "clock=none" << "clockMHz" << QJsonValue(300);
        QTest::newRow("RGB names no depth") << "colour=rgb" << "colourDepth" << QJsonValue();
        QTest::newRow("colour format") << "colour=422" << "colourFormat" << QJsonValue("YCbCr 4:2:2");
        QTest::newRow("hdcp") << "hdcp=1.4" << "hdcp" << QJsonValue("1.4");
        QTest::newRow("dvi") << "hdmi=0" << "hdmi" << QJsonValue(false);
        QTest::newRow("colorimetry") << "colorimetry=709" << "colorimetry" << QJsonValue("ITU-R BT.709");
        QTest::newRow("no colorimetry") << "colorimetry=none" << "colorimetry" << QJsonValue();
        QTest::newRow("HLG has no name here") << "hdr=hlg" << "eotfName" << QJsonValue();
        QTest::newRow("HLG's code") << "hdr=hlg" << "eotf" << QJsonValue(3);
        QTest::newRow("no HDR infoframe") << "hdr=none" << "infoframeBytes" << QJsonValue();
        QTest::newRow("infoframe bytes") << "hdr=02:00:c2" << "infoframeBytes" << QJsonValue(QJsonArray{2, 0, 0xc2});
        QTest::newRow("source vendor") << "source_vendor=ACME" << "sourceVendor" << QJsonValue("ACME");
        QTest::newRow("no source") << "source=off" << "outputs" << QJsonValue(QJsonArray{});
        // Without a source the box says nothing of these: null, not a guess.
        QTest::newRow("no source, no hdmi") << "source=off"
                                            << "hdmi" << QJsonValue(QJsonValue::Null);
        QTest::newRow("no source, no colour") << "source=off"
                                              << "colourFormat" << QJsonValue(QJsonValue::Null);
    }
    void statusJsonCarriesTheDecodedFacts()
    {
        QFETCH(QString, signal);
        QFETCH(QString, field);
        QFETCH(QJsonValue, expected);
        CtlRunner ctl;
        ctl.simConfig += QLatin1Char(';') + signal;
        const CtlRun r = ctl.run({"status", "--json"});
        EXPECT_STATUS(r, 0);
        QJsonObject doc;
        QVERIFY(parseDocument(r.out, doc));
        QCOMPARE(member(doc, field), expected);
        QVERIFY(doc.value("input").toString().startsWith(QLatin1String("Input : "))); // the texts stay
    }

    void watchPrintsEachChangeUntilInterrupted()
    {
        CtlRunner ctl;
        const QString signalFile = ctl.path(QStringLiteral("signal"));
        const auto setSignal = [&](const QByteArray &keys) {
            QFile f(signalFile);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(keys);
        };
        setSignal("vic=16\n");
        ctl.simConfig += QStringLiteral(";signal_file=") + signalFile;
        QProcess p;
        p.setProcessEnvironment(ctl.environment());
        p.start(QStringLiteral(VANTRELCTL_PATH), ctl.arguments({"--json", "status", "--watch", "0.1"}));
        QVERIFY(p.waitForStarted());
        QStringList lines;
        const auto waitForLines = [&](int n) {
            QElapsedTimer t;
            t.start();
            while (lines.size() < n && t.elapsed() < 10000) {
                p.waitForReadyRead(200);
                while (p.canReadLine())
                    lines << QString::fromUtf8(p.readLine()).trimmed();
            }
            return lines.size() >= n;
        };
        QVERIFY(waitForLines(1));
        QTest::qWait(350); // polls that find nothing new print nothing
        setSignal("vic=4\nhdr=none\n");
        QVERIFY(waitForLines(2));
        setSignal("source=off\n");
        QVERIFY(waitForLines(3));
        QTest::qWait(350);
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        while (p.canReadLine())
            lines << QString::fromUtf8(p.readLine()).trimmed();
        lines.removeAll(QString());
        QCOMPARE(lines.size(), 3);

        QList<int> codes;
        for (const QString &line : lines) {
            QJsonObject doc;
            QVERIFY2(parseDocument(line, doc), qPrintable(line));
            QVERIFY(!doc.value("time").toString().isEmpty());
            codes << member(doc, "timing.code").toInt();
        }
        QCOMPARE(codes, (QList<int>{16, 4, 0}));
    }

    void completionOffersWhatMayComeNext_data()
    {
        QTest::addColumn<QString>("line"); // the command line up to the cursor
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("first word") << "vantrelctl s" << QStringList{"status", "settings", "set", "serve"};
        QTest::newRow("group") << "vantrelctl edid " << QStringList{"read", "write", "check", "decode", "edit", "diff", "save-as", "list", "load", "export"};
        QTest::newRow("after an option") << "vantrelctl --json cec s" << QStringList{"send", "store"};
        QTest::newRow("setting names") << "vantrelctl set edid-h" << QStringList{"edid-hdr"};
        QTest::newRow("list values") << "vantrelctl set input P"
                                     << QStringList{"PORT\\ A\\ \\[TOP\\]", "PORT\\ B\\ \\[BOT\\]"};
        QTest::newRow("quoted prefix") << "vantrelctl set input \"P"
                                       << QStringList{"PORT\\ A\\ \\[TOP\\]", "PORT\\ B\\ \\[BOT\\]"};
        QTest::newRow("button values") << "vantrelctl set audio " << QStringList{"HDMI", "JACK"};
        QTest::newRow("switch") << "vantrelctl set cec o" << QStringList{"on", "off"};
        QTest::newRow("reset") << "vantrelctl reset " << QStringList{"settings", "edid", "all"};
        QTest::newRow("edid source") << "vantrelctl edid read t" << QStringList{"top"};
        QTest::newRow("infoframe kind") << "vantrelctl infoframe decode " << QStringList{"hdr", "avi"};
        QTest::newRow("command options") << "vantrelctl status --w" << QStringList{"--watch"};
        QTest::newRow("option value") << "vantrelctl --usb-library " << QStringList{"simulator"};
        QTest::newRow("a text: nothing") << "vantrelctl cec send " << QStringList{};
        QTest::newRow("unknown setting: nothing") << "vantrelctl set volume " << QStringList{};
        QTest::newRow("template") << "vantrelctl infoframe hdr --template h"
                                  << QStringList{"hdr10-1000", "hdr10-4000", "hlg"};
        QTest::newRow("address") << "vantrelctl cec send --to pl" << QStringList{"playback1", "playback2", "playback3"};
        QTest::newRow("opcode") << "vantrelctl cec send --to tv image-" << QStringList{"image-view-on"};
        QTest::newRow("colour") << "vantrelctl infoframe avi --colour yuv4"
                                << QStringList{"yuv422", "yuv444", "yuv420"};
        QTest::newRow("profile parts") << "vantrelctl profile diff p.json --only e" << QStringList{"edid"};
    }
    void completionOffersWhatMayComeNext()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, expected);
        // bash with the installed script sourced, as bash-completion runs it.
        const QString script = QStringLiteral(
            "source \"$1\"\n"
            "read -ra COMP_WORDS <<<\"$2\"\n"
            "[[ $2 == *' ' ]] && COMP_WORDS+=('')\n"
            "COMP_CWORD=$(( ${#COMP_WORDS[@]} - 1 ))\n"
            "_vantrelctl\n"
            "for c in \"${COMPREPLY[@]}\"; do printf '%s\\n' \"$c\"; done\n");
        QProcess bash;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PATH"), QFileInfo(QStringLiteral(VANTRELCTL_PATH)).absolutePath() +
                                               QLatin1Char(':') + env.value(QStringLiteral("PATH")));
        bash.setProcessEnvironment(env);
        bash.start(QStringLiteral("bash"), {QStringLiteral("-c"), script, QStringLiteral("bash"),
                                            QStringLiteral(VANTREL_SOURCE_DIR "/packaging/completion/vantrelctl.bash"),
                                            line});
        QVERIFY(bash.waitForFinished(10000));
        QCOMPARE(bash.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(bash.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 expected);
    }

    void manualPageNamesEveryCommandOptionAndSetting()
    {
        const QString page = QStringLiteral(VANTREL_SOURCE_DIR "/packaging/man/vantrelctl.1");
        // groff itself: no warnings at the strictest level.
        QProcess groff;
        groff.start(QStringLiteral("groff"), {"-man", "-Tutf8", "-ww", "-z", page});
        QVERIFY2(groff.waitForFinished(10000), "groff (groff-base) is needed");
        QCOMPARE(QString::fromUtf8(groff.readAllStandardError()), QString());
        QCOMPARE(groff.exitCode(), 0);

        QFile f(page);
        QVERIFY(f.open(QIODevice::ReadOnly));
        // Roff escapes the hyphens; the words are compared without them.
        const QString text = QString::fromUtf8(f.readAll()).remove(QLatin1Char('\\'));
        CtlRunner ctl;
        ctl.library = QString(); // the completion's question comes first on the line
        QStringList names = ctl.run({"__complete", "", "set"}).outLines();       // settings
        QVERIFY(names.size() > 20);
        names += ctl.run({"__complete", "--", "set"}).outLines();                // common options and set's
        for (const QString &command : ctl.run({"__complete", ""}).outLines())    // first words
            names += command;
        QStringList commands = ctl.run({"__complete", ""}).outLines();
        for (const char *group : {"edid", "cec", "infoframe", "profile"})
            for (const QString &word : ctl.run({"__complete", "", group}).outLines())
                commands += QLatin1String(group) + QLatin1Char(' ') + word;
        names += commands;
        for (const char *c : {"status", "settings", "edid read", "edid write", "edid check", "infoframe avi",
                              "infoframe decode"})
            names += ctl.run(QStringList{"__complete", "--"} + QString::fromLatin1(c).split(QLatin1Char(' '))).outLines();
        names += QStringList{"VANTREL_USB_LIBRARY", "VANTREL_SIM", "VANTREL_USB_IDS"};
        for (const QString &name : names)
            QVERIFY2(text.contains(name), qPrintable(name));
        // Each command's synopsis starts its own paragraph.
        const QStringList rows = text.split(QLatin1Char('\n'));
        for (int i = 1; i < rows.size(); ++i) {
            const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^\\.BR (\"([^\"]+)\"|(\\S+)) \"")).match(rows[i]);
            if (m.hasMatch() && commands.contains(m.captured(2) + m.captured(3)))
                QVERIFY2(rows[i - 1] == QLatin1String(".TP"), qPrintable(rows[i]));
        }
    }
};

QTEST_GUILESS_MAIN(CliScripting)
#include "tst_cli_scripting.moc"
