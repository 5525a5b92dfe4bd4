// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the built vantrelctl against the simulated box in a throwaway folder:
// the box keeps its state in a file there between runs, and writes every
// request it gets to a wire log the test reads back.
#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

struct CtlRun {
    int status = -1;
    QString out;
    QString err;
    QStringList outLines() const { return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

class CtlRunner {
public:
    // Short busy periods keep the EDID waits quick; they still happen.
    QString simConfig = QStringLiteral("busy_fetch_ms=5;busy_store_ms=10;busy_edid_ms=40");
    QString library = QStringLiteral("simulator");

    QString path(const QString &name) const { return dir_.filePath(name); }

    // The environment and arguments every run gets.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("VANTREL_USB_LIBRARY"));
        env.insert(QStringLiteral("VANTREL_DATA_DIR"), path(QStringLiteral("data"))); // the EDID library's home
        env.insert(QStringLiteral("VANTREL_SIM"), QStringLiteral("state=%1;wire_log=%2;%3")
                                                     .arg(path(QStringLiteral("state")), path(QStringLiteral("wire")), simConfig));
        return env;
    }
    QStringList arguments(const QStringList &args) const
    {
        return library.isNull() ? args : QStringList{QStringLiteral("--usb-library"), library} + args;
    }

    CtlRun run(const QStringList &args, const QByteArray &input = {}) const
    {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(QStringLiteral(VANTRELCTL_PATH), arguments(args));
        if (!input.isNull()) {
            p.write(input);
            p.closeWriteChannel();
        }
        CtlRun r;
        if (!p.waitForFinished(30000)) {
            p.kill();
            return r;
        }
        r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    // The request frames since the last call, one "11 0F E0 06" line each.
    QStringList takeWire() const
    {
        QFile f(path(QStringLiteral("wire")));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        const QStringList lines = QString::fromLatin1(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        f.close();
        f.remove();
        return lines;
    }

private:
    QTemporaryDir dir_;
};

// Fails the test with the run's standard error when its status is not the expected one.
#define EXPECT_STATUS(run, expected)                                                                  \
    do {                                                                                              \
        const CtlRun &r_ = (run);                                                                     \
        if (r_.status != (expected))                                                                  \
            QFAIL(qPrintable(QStringLiteral("status %1, expected %2; stderr: %3")                     \
                                 .arg(r_.status).arg(expected).arg(r_.err)));                          \
    } while (0)
