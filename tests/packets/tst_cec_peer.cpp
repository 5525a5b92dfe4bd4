// SPDX-License-Identifier: GPL-3.0-or-later
// The CEC names against those of the installed cec-ctl (v4l-utils), read from
// its --help-all: every opcode it can send, whether it broadcasts it, and
// the UI commands of User Control Pressed. Offline; no CEC device needed.
#include "cec_names.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

#include <map>

using namespace vantrel::packets;

namespace {

QString peerHelp()
{
    QProcess peer;
    peer.start(QStringLiteral("cec-ctl"), {QStringLiteral("--help-all")});
    if (!peer.waitForFinished(10000))
        return QString();
    return QString::fromUtf8(peer.readAllStandardOutput());
}

// "Report Physical Address" -> "REPORT_PHYSICAL_ADDR", cec-ctl's spelling.
QString peerOpcodeName(const char *name)
{
    QString n = QString::fromLatin1(name).toUpper().replace(QLatin1Char(' '), QLatin1Char('_'));
    n.replace(QStringLiteral("ADDRESS"), QStringLiteral("ADDR"));
    n.replace(QStringLiteral("EXTERNAL"), QStringLiteral("EXT"));
    return n;
}

// "F1 (Blue)" -> "f1-blue", "Select A/V Input Function" -> "select-av-input-function".
QString peerUiName(const std::string &name)
{
    QString n = QString::fromStdString(name).toLower();
    n.remove(QLatin1Char('(')).remove(QLatin1Char(')')).remove(QLatin1Char('/'));
    return n.replace(QLatin1Char(' '), QLatin1Char('-'));
}

} // namespace

class CecPeerTest : public QObject {
    Q_OBJECT

private:
    QString help_;

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("cec-ctl")).isEmpty())
            QSKIP("cec-ctl (v4l-utils) is not installed");
        help_ = peerHelp();
        QVERIFY2(help_.contains(QStringLiteral("Send STANDBY message")), "cec-ctl --help-all lists no messages");
    }

    void opcodes()
    {
        // "Send REPORT_PHYSICAL_ADDR message (0x84, bcast)"
        static const QRegularExpression send(
            QStringLiteral("Send ([A-Z0-9_]+) message \\((0x[0-9a-f]{2})(, bcast)?\\)"));
        std::map<int, std::pair<QString, bool>> peer;
        for (auto it = send.globalMatch(help_); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            // CDC and HTNG entries are sub-commands of CDC Message and of
            // Vendor Command With ID, not opcodes of their own.
            if (m.captured(1).startsWith(QStringLiteral("CDC_")) || m.captured(1).startsWith(QStringLiteral("HTNG_")))
                continue;
            peer[m.captured(2).toInt(nullptr, 16)] = {m.captured(1), !m.captured(3).isEmpty()};
        }
        QVERIFY(peer.size() > 60);

        QStringList onlyOurs;
        for (const CecOpcode &op : cecOpcodes()) {
            const auto it = peer.find(op.code);
            if (it == peer.end()) {
                onlyOurs << QString::asprintf("0x%02x", op.code);
                continue;
            }
            QCOMPARE(peerOpcodeName(op.name), it->second.first);
            // cec-ctl broadcasts exactly the opcodes that are broadcast only.
            QVERIFY2((op.addressing == CecAddressing::Broadcast) == it->second.second, op.name);
            peer.erase(it);
        }
        QStringList onlyPeer;
        for (const auto &[code, entry] : peer)
            onlyPeer << QString::asprintf("0x%02x %s", code, qPrintable(entry.first));
        QVERIFY2(onlyPeer.isEmpty(), qPrintable(onlyPeer.join(", ")));
        // CDC Message has no message of its own in cec-ctl, only its sub-commands.
        QCOMPARE(onlyOurs, QStringList{QStringLiteral("0xf8")});
    }

    void uiCommands()
    {
        // The value list under --user-control-pressed: "      up (0x01)".
        const int start = help_.indexOf(QStringLiteral("'ui-cmd' can have these values:"));
        QVERIFY(start >= 0);
        const int end = help_.indexOf(QLatin1Char('\''), start + 32);
        static const QRegularExpression value(QStringLiteral("^\\s+([a-z0-9-]+) \\((0x[0-9a-f]{2})\\)$"),
                                              QRegularExpression::MultilineOption);
        std::map<int, QString> peer;
        for (auto it = value.globalMatch(help_.mid(start, end - start)); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            peer[m.captured(2).toInt(nullptr, 16)] = m.captured(1);
        }
        QVERIFY(peer.size() > 80);
        // The same codes named, and named alike.
        for (int code = 0; code < 256; ++code) {
            const std::string ours = uiCommandName(uint8_t(code));
            const bool known = ours.rfind("unknown", 0) != 0;
            QVERIFY2(known == (peer.count(code) == 1), qPrintable(QString::asprintf("UI command 0x%02x", code)));
            if (known)
                QCOMPARE(peerUiName(ours), peer[code]);
        }
    }
};

QTEST_GUILESS_MAIN(CecPeerTest)
#include "tst_cec_peer.moc"
