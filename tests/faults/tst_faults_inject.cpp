// SPDX-License-Identifier: GPL-3.0-or-later
// The fault matrix for the CEC and infoframe sends: each send is a load and
// an activation, and the window must not end on "written" unless both went
// through. Gone: the box leaves between the two.
#include "fault_rig.h"

#include "frames.h"

#include <QPushButton>
#include <QtTest>

using namespace faults;
using namespace vantrel;

namespace {

const QString kQueue = QStringLiteral("alert:Error Checking RX Queue");

enum Send { Cec, Hdr, Avi };

QString status(const char *text) { return QStringLiteral("status:") + QLatin1String(text); }
QString diagnostic(const char *text) { return QStringLiteral("diagnostic:\n%1\n").arg(QLatin1String(text)); }

// What each send says when it works, and its two failure lines.
struct Words {
    QString written, loadFailed, activationFailed, activationLine;
};
Words wordsOf(Send s)
{
    switch (s) {
    case Cec:
        return {QStringLiteral("CEC values written..."), status("Error Writing CEC command."),
                status("Error Populating CEC values."), diagnostic("Error Populating CEC values.")};
    case Hdr:
        return {QStringLiteral("Infoframe values written..."), status("Error Writing Infoframe values."),
                status("Error Populating IF values."), diagnostic("Error Populating IF values.")};
    case Avi:
        break;
    }
    return {QStringLiteral("AVI values written..."), status("Error Writing AVI command."),
            status("Error Activating AVI values."), diagnostic("Error Activating AVI values.")};
}

uint8_t loadCode(Send s)
{
    return s == Cec ? frame::kCecMessage : s == Hdr ? frame::kHdrLoad : frame::kAviLoad;
}

// The box's record of the last activation of this kind.
std::vector<uint8_t> activated(sim::BoxModel &box, Send s)
{
    if (s == Cec)
        return box.cecLog().empty() ? std::vector<uint8_t>{} : box.cecLog().back().bytes;
    return s == Hdr ? box.storedHdr() : box.storedAvi();
}

} // namespace

Q_DECLARE_METATYPE(Send)

class FaultsInject : public QObject {
    Q_OBJECT

private slots:
    void send_data();
    void send();
};

void FaultsInject::send_data()
{
    QTest::addColumn<Send>("send");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<bool>("reached"); // the activation reached the box

    const struct {
        Send send;
        const char *name;
    } sends[] = {{Cec, "cec"}, {Hdr, "hdr"}, {Avi, "avi"}};
    for (const auto &s : sends) {
        const Words w = wordsOf(s.send);
        auto row = [&](Fault f) -> QTestData & {
            return QTest::newRow(qPrintable(QStringLiteral("%1/%2").arg(s.name, faultName(f)))) << s.send << f;
        };
        // A CEC or HDR send activates after a failed load; an AVI send stops
        // there. A load that gets no answer at all stops every send.
        const QStringList failed =
            s.send == Avi ? QStringList{w.loadFailed} : QStringList{w.loadFailed, w.activationLine};
        const bool onward = s.send != Avi;
        row(Fault::NoReply) << failed << false;
        row(Fault::ShortReply) << failed << onward;
        row(Fault::WrongCode) << failed << onward;
        row(Fault::QueueFail) << (QStringList{kQueue} + failed) << onward;
        row(Fault::WriteFail) << failed << false;
        row(Fault::Gone) << QStringList{QStringLiteral("status:") + w.written, w.activationLine, w.activationFailed}
                         << false;
    }
}

void FaultsInject::send()
{
    QFETCH(Send, send);
    QFETCH(Fault, fault);
    QFETCH(QStringList, shown);
    QFETCH(bool, reached);

    Rig rig;
    rig.start();
    rig.settle();
    MainWindow &w = *rig.window;
    QPushButton *button = send == Cec ? w.ui->ButWriteCEC : send == Hdr ? w.ui->ButWriteIF : w.ui->ButWriteAVI;
    QTextEdit *box = send == Cec ? w.ui->CECtext : send == Hdr ? w.ui->IFtext : w.ui->AVItext;
    // Texts the box does not hold yet, one for the faulted send and one for
    // the retry, so what arrives can be told apart.
    const QStringList typed = send == Cec   ? QStringList{"40:04", "40:36"}
                              : send == Hdr ? QStringList{"87:01:1a:02:00", "87:01:1a:03:00"}
                                            : QStringList{"40:28:11:04:00", "40:28:11:05:00"};
    auto arrived = [&](const QString &text) {
        std::vector<uint8_t> bytes;
        for (const QString &pair : text.split(QLatin1Char(':')))
            bytes.push_back(uint8_t(pair.toUInt(nullptr, 16)));
        const std::vector<uint8_t> now = activated(rig.box(), send);
        return now.size() >= bytes.size() && std::equal(bytes.begin(), bytes.end(), now.begin());
    };
    QVERIFY(!arrived(typed[0]) && !arrived(typed[1]));
    box->setPlainText(typed[0]);
    const Words words = wordsOf(send);

    rig.inject(fault, {loadCode(send), frame::kSend, 1});
    const size_t mark = rig.requestMark();
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(rig.shown(), shown);
    QVERIFY(rig.lastStatus() != words.written);
    QCOMPARE(arrived(typed[0]), reached);
    QCOMPARE(box->toPlainText(), typed[0]);
    if (send == Avi) // the replace register follows only a whole send
        QCOMPARE(rig.requestsSince(mark, frame::kSend, frame::kRegister), 0);
    QCOMPARE(rig.requestsInsideAlerts, 0);

    rig.recover();
    box->setPlainText(typed[1]);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(rig.shown(), QStringList{QStringLiteral("status:") + words.written});
    QVERIFY(arrived(typed[1]));
}

QTEST_MAIN(FaultsInject)
#include "tst_faults_inject.moc"
