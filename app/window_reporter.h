// SPDX-License-Identifier: GPL-3.0-or-later
// The window's reporter: what the box operations tell goes to the status bar
// through the feedback seam; it also keeps the transfer progress bar and makes
// the sessions the multi-step operations run in. vantrelctl has its own.
#pragma once

#include "outcome.h"
#include "session.h"

#include <QString>

#include <string>

class Feedback;
class QMainWindow;
class QProgressBar;

class WindowReporter : public vantrel::Reporter {
public:
    WindowReporter(QMainWindow &window, Feedback &feedback, vantrel::Clock &clock)
        : window_(window), feedback_(feedback), clock_(clock)
    {}

    // Shown whatever the verdict: the window tells and goes on.
    void report(const vantrel::Outcome &message) override { statusFromCore(message.message, message.ms); }
    Feedback &feedback() { return feedback_; }
    // Transient status-bar text with its display time.
    void status(const QString &text, int ms);
    // A core's untranslated wording, translated in the window's context.
    void statusFromCore(const std::string &text, int ms);
    // a <= 0 or b <= 0 hides the bar.
    void progress(int a, int b);
    // One bar for every transfer, made once, hidden until a transfer moves it.
    void setupProgressBar();
    QProgressBar *progressBar() const { return progressBar_; }
    vantrel::Session session(vantrel::Box &box);

private:
    QMainWindow &window_;
    Feedback &feedback_;
    vantrel::Clock &clock_;
    QProgressBar *progressBar_ = nullptr;
};
