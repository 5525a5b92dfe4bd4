// SPDX-License-Identifier: GPL-3.0-or-later
// A Session on the stand-in USB library and a virtual clock, recording the
// status messages, diagnostic lines and progress calls.
#pragma once

#include "bytes_print.h"
#include "fake_usb.h"
#include "session.h"

#include <QtTest/QtTest>

#include <string>
#include <utility>
#include <vector>

struct Message {
    std::string text;
    int ms;
    bool operator==(const Message &o) const { return text == o.text && ms == o.ms; }
};
using Messages = std::vector<Message>;
using Progress = std::vector<std::pair<int, int>>;

namespace QTest {
template <> inline char *toString<Messages>(const Messages &m)
{
    std::string out;
    for (const Message &x : m)
        out += "(\"" + x.text + "\", " + std::to_string(x.ms) + ") ";
    return qstrdup(out.c_str());
}
} // namespace QTest

struct Rig {
    vantrel::test::VirtualClock clock;
    vantrel::test::FakeUsb fake{clock};
    Messages messages;
    std::vector<std::string> diag;
    Progress progress;
    vantrel::Box box{fake.api(), clock, [](const std::string &) {},
                     [this](const vantrel::Outcome &o) { messages.push_back({o.message, o.ms}); }};
    vantrel::UsbLink &link = box.link();
    vantrel::Session session{box, clock, [this](const std::string &l) { diag.push_back(l); },
                             [this](int a, int b) { progress.push_back({a, b}); }};

    explicit Rig(bool connected = true)
    {
        DWORD index = 0;
        if (connected && !(link.FindDevice("2023", index) && link.OpenDevice(index)))
            qFatal("the stand-in box did not connect");
        fake.clearRecord();
    }

    // Requests written whose sub-code (byte 2) is code.
    std::vector<vantrel::Bytes> framesWith(uint8_t code) const
    {
        std::vector<vantrel::Bytes> out;
        for (const vantrel::Bytes &f : fake.frames())
            if (f.size() > 2 && f[2] == code)
                out.push_back(f);
        return out;
    }
};
