// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_reporter.h"

#include "feedback.h"

#include <QCoreApplication>
#include <QMainWindow>
#include <QProgressBar>
#include <QStatusBar>

void WindowReporter::status(const QString &text, int ms)
{
    feedback_.statusMessage(window_.statusBar(), text, ms);
}

void WindowReporter::statusFromCore(const std::string &text, int ms)
{
    status(QCoreApplication::translate("MainWindow", text.c_str()), ms);
}

void WindowReporter::setupProgressBar()
{
    if (!progressBar_) {
        progressBar_ = new QProgressBar(&window_);
        progressBar_->setTextVisible(false);
        window_.statusBar()->addPermanentWidget(progressBar_, 0);
    }
    progressBar_->hide();
}

void WindowReporter::progress(int a, int b)
{
    if (!progressBar_)
        setupProgressBar();
    if (a <= 0 || b <= 0) {
        progressBar_->hide();
        return;
    }
    progressBar_->show();
    progressBar_->setRange(0, b);
    progressBar_->setValue(a);
}

vantrel::Session WindowReporter::session(vantrel::Box &box)
{
    return vantrel::Session{box, clock_,
                            [this](const std::string &line) { feedback_.diagnostic(QString::fromStdString(line)); },
                            [this](int a, int b) { progress(a, b); }};
}
