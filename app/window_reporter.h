// SPDX-License-Identifier: GPL-3.0-or-later
// How the window reports what the box operations tell: status-bar messages
// through the feedback seam, the transfer progress bar, and the sessions the
// multi-step operations run in.
#pragma once

#include "session.h"

#include <QString>

#include <string>

class Feedback;
class QMainWindow;
class QProgressBar;

class WindowReporter {
public:
    WindowReporter(QMainWindow &window, Feedback &feedback, vantrel::Clock &clock)
        : window_(window), feedback_(feedback), clock_(clock)
    {}

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
    vantrel::Session session(vantrel::BoxRequests &box);

private:
    QMainWindow &window_;
    Feedback &feedback_;
    vantrel::Clock &clock_;
    QProgressBar *progressBar_ = nullptr;
};
