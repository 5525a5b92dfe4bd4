// SPDX-License-Identifier: GPL-3.0-or-later
// A simulated box reached through the real link and request layer, on a
// virtual clock that only moves when something waits.
#pragma once

#include "box.h"
#include "frames.h"
#include "sim_api.h"
#include "usb_link.h"

#include <memory>
#include <string>
#include <vector>

class VirtualClock : public vantrel::Clock {
public:
    uint32_t tickMs() override { return now; }
    void sleepMs(uint32_t ms) override { now += ms; }
    uint32_t now = 1000;
};

struct SimBox {
    explicit SimBox(const std::string &config = "")
    {
        errors = vantrel::sim::reset(config);
        vantrel::sim::setClock(&clock);
        requests = std::make_unique<vantrel::Box>(
            vantrel::sim::simulatorApi(), clock, [this](const std::string &t) { alerts.push_back(t); },
            [this](const vantrel::Outcome &o) { messages.push_back(o.message); });
        link = &requests->link();
        DWORD index = 0;
        found = link->FindDevice("2023", index) && link->OpenDevice(index);
    }
    ~SimBox()
    {
        link->CloseDevice();
        vantrel::sim::setClock(nullptr);
    }

    // One exchange; the reply bytes that arrived (at most 64).
    std::vector<uint8_t> exchange(const vantrel::Bytes &request, uint32_t minReply = 2)
    {
        uint8_t reply[vantrel::UsbLink::kMaxReply];
        ok = requests->exchange(reply, request, minReply);
        return std::vector<uint8_t>(reply, reply + vantrel::UsbLink::kMaxReply);
    }
    std::vector<uint8_t> readItem(uint8_t item, uint8_t length)
    {
        uint8_t reply[vantrel::UsbLink::kMaxReply];
        ok = requests->readRegister(item, reply, length).done();
        return std::vector<uint8_t>(reply, reply + length);
    }
    std::vector<uint8_t> readBlock()
    {
        uint8_t reply[vantrel::UsbLink::kMaxReply];
        ok = requests->readBlock(reply, vantrel::frame::kSettingsBlockLength).done();
        return std::vector<uint8_t>(reply, reply + vantrel::frame::kSettingsBlockLength);
    }
    bool write(uint8_t reg, uint8_t value) { return requests->writeRegister(reg, value).done(); }
    vantrel::sim::BoxModel &model() { return vantrel::sim::box(); }

    VirtualClock clock;
    std::vector<std::string> errors, alerts, messages;
    std::unique_ptr<vantrel::Box> requests;
    vantrel::UsbLink *link = nullptr; // the box's
    bool found = false;
    bool ok = false;
};
