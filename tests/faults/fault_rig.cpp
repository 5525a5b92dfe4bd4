// SPDX-License-Identifier: GPL-3.0-or-later
#include "fault_rig.h"

#include "edid_text.h"
#include "frames.h"
#include "window_rig.h"

#include <QtTest>

#include <algorithm>

using namespace vantrel;

namespace faults {

const char *faultName(Fault f)
{
    switch (f) {
    case Fault::NoReply: return "noreply";
    case Fault::ShortReply: return "short";
    case Fault::WrongCode: return "wrongcode";
    case Fault::Busy: return "busy";
    case Fault::QueueFail: return "queuefail";
    case Fault::WriteFail: return "writefail";
    case Fault::Gone: return "gone";
    }
    return "?";
}

Rig::Rig(const std::string &config)
{
    const std::vector<std::string> errors = sim::reset(config);
    if (!errors.empty())
        qFatal("simulated box set-up not understood: %s", errors.front().c_str());
    sim::setClock(&clock);
    feedback.onAlert = [this] {
        if (!window)
            return; // start-up: the poll timer does not run yet
        const size_t before = sim::requestLog().size();
        window->pollTick();
        requestsInsideAlerts += int(sim::requestLog().size() - before);
    };
}

Rig::~Rig()
{
    // A box still gone would make the window's close fail.
    sim::clearFaults();
    window.reset();
    sim::setClock(nullptr);
}

void Rig::start()
{
    window = std::make_unique<MainWindow>(testEnvironment(sim::simulatorApi(), clock, feedback));
}

void Rig::tick()
{
    clock.advance(uint32_t(window->pollIntervalMs()));
    window->pollTick();
}

void Rig::settle()
{
    tick();
    if (!feedback.ofKind(QStringLiteral("alert")).isEmpty() || window->edidPage().PendingEdidRead)
        qFatal("the clean tick after start-up did not settle");
    feedback.clear();
}

void Rig::inject(Fault fault, GonePoint gone)
{
    sim::FaultRule rule;
    switch (fault) {
    case Fault::NoReply: rule.kind = sim::FaultKind::NoReply; break;
    case Fault::ShortReply: rule.kind = sim::FaultKind::ShortReply; break;
    case Fault::Busy: rule.kind = sim::FaultKind::Busy; break;
    case Fault::QueueFail: rule.kind = sim::FaultKind::QueueFail; break;
    case Fault::WriteFail: rule.kind = sim::FaultKind::WriteFail; break;
    case Fault::WrongCode:
        for (int code : {0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6})
            sim::addFault({code, -1, sim::FaultKind::WrongCode});
        sim::addFault({frame::kEdidChunk, frame::kSend, sim::FaultKind::WrongCode});
        return;
    case Fault::Gone:
        rule.kind = sim::FaultKind::Gone;
        if (gone.count == 0) {
            // Gone after one throwaway exchange, before the operation starts.
            rule.count = 1;
            sim::addFault(rule);
            uint8_t reply[UsbLink::kMaxReply];
            window->ReadRegister(7, reply, 8);
            feedback.clear();
            return;
        }
        rule.code = gone.code;
        rule.direction = gone.direction;
        rule.count = gone.count;
        break;
    }
    sim::addFault(rule);
}

void Rig::recover()
{
    sim::clearFaults();
    feedback.clear();
}

QStringList Rig::shown() const
{
    QStringList out;
    for (const FeedbackEvent &e : feedback.events) {
        const QString item = e.kind + QLatin1Char(':') + e.text;
        if (!out.contains(item))
            out.append(item);
    }
    return out;
}

QString Rig::lastStatus() const
{
    const QStringList texts = feedback.texts(QStringLiteral("status"));
    return texts.isEmpty() ? QString() : texts.last();
}

bool Rig::statusShown(const QString &text) const
{
    return feedback.texts(QStringLiteral("status")).contains(text);
}

size_t Rig::requestMark() const { return sim::requestLog().size(); }

int Rig::requestsSince(size_t mark, uint8_t direction, uint8_t code) const
{
    const auto &log = sim::requestLog();
    int n = 0;
    for (size_t i = mark; i < log.size(); ++i)
        if (log[i].size() >= 3 && log[i][0] == direction && log[i][2] == code)
            ++n;
    return n;
}

std::array<uint8_t, 256> foreignTable()
{
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = uint8_t(i * 7 + 3);
    const uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(header, header + 8, t.begin()); // no question before the upload
    edid::repairChecksums(t);
    return t;
}

QString tableText(const std::array<uint8_t, 256> &table)
{
    return QString::fromStdString(edid::canonicalEdidText(table));
}

} // namespace faults
