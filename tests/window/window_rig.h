// SPDX-License-Identifier: GPL-3.0-or-later
// What every window test hands the real MainWindow: a given USB library (the
// scripted one or the simulated box), test time and the feedback recorder.
#pragma once

#include "edid_decode_page.h"
#include "edid_page.h"
#include "fake_usb.h"
#include "feedback_recorder.h"
#include "mainwindow.h"
#include "packet_decode_page.h"
#include "settings_page.h"
#include "sim_api.h"
#include "virtual_clock.h"

#include <array>
#include <cstdint>
#include <memory>

inline MainWindow::Environment testEnvironment(const UsbApi *api, vantrel::Clock &clock, FeedbackRecorder &feedback)
{
    MainWindow::Environment env;
    env.api = api;
    env.apiGiven = true;
    env.clock = &clock;
    env.feedback = &feedback;
    return env;
}

// The window on the scripted USB library; block is what the box's block read
// answers once answerBlock() is called, every other request gets the idle reply.
struct ScriptedWindowRig {
    vantrel::test::VirtualClock clock;
    vantrel::test::FakeUsb usb{clock};
    FeedbackRecorder feedback;
    std::array<uint8_t, 40> block{};
    std::unique_ptr<MainWindow> window;

    void answerBlock()
    {
        usb.responder = [this](const vantrel::Bytes &r) {
            if (r.size() == 3 && r[2] == 0xE1)
                return vantrel::test::FakeUsb::echo(vantrel::test::settingsBlockReply(block));
            return vantrel::test::FakeUsb::idleReply(r, usb.edid);
        };
    }
    void start(MainWindow::Environment env) { window = std::make_unique<MainWindow>(env); }
    void start() { start(testEnvironment(usb.api(), clock, feedback)); }
};

// The window on the simulated box with its busy times off, started, the
// start-up's messages forgotten.
struct SimulatedWindowRig {
    vantrel::test::VirtualClock clock;
    FeedbackRecorder feedback;
    std::unique_ptr<MainWindow> window;

    SimulatedWindowRig()
    {
        vantrel::sim::reset("busy_fetch_ms=0;busy_store_ms=0;busy_edid_ms=0");
        vantrel::sim::setClock(&clock);
        window = std::make_unique<MainWindow>(testEnvironment(vantrel::sim::simulatorApi(), clock, feedback));
        feedback.clear();
    }
    ~SimulatedWindowRig() { vantrel::sim::setClock(nullptr); }
};
