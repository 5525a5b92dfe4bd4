// SPDX-License-Identifier: GPL-3.0-or-later
// What every window test hands the real MainWindow: a given USB library (the
// scripted one or the simulated box), test time and the feedback recorder.
#pragma once

#include "feedback_recorder.h"
#include "mainwindow.h"

inline MainWindow::Environment testEnvironment(const UsbApi *api, vantrel::Clock &clock, FeedbackRecorder &feedback)
{
    MainWindow::Environment env;
    env.api = api;
    env.apiGiven = true;
    env.clock = &clock;
    env.feedback = &feedback;
    return env;
}
