// SPDX-License-Identifier: GPL-3.0-or-later
// The real window on the simulated box, both on one virtual clock, with the
// box's fault plan in reach: one rig per cell of the fault matrix.
#pragma once

#include "feedback_recorder.h"
#include "mainwindow.h"
#include "sim_api.h"
#include "virtual_clock.h"

#include <QMetaType>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace faults {

// The kinds of the box's fault plan, the columns of the matrix.
enum class Fault { NoReply, ShortReply, WrongCode, Busy, QueueFail, WriteFail, Gone };
const char *faultName(Fault f);

// Where a "gone" fault takes the box away: once `count` requests matching
// code and direction (-1: any) have been answered. count 0: before the
// operation's first exchange.
struct GonePoint {
    int code = -1;
    int direction = -1;
    uint32_t count = 0;
};

class Rig {
public:
    // config: the simulated box's set-up, in the VANTREL_SIM form.
    explicit Rig(const std::string &config = "");
    ~Rig();
    Rig(const Rig &) = delete;
    Rig &operator=(const Rig &) = delete;

    void start();
    // One poll tick, a poll interval after the last.
    void tick();
    // The first tick after start-up (its pending EDID re-read), then a clean record.
    void settle();
    // From now on every exchange meets the fault. A wrong code spares the
    // EDID chunk reads: their replies carry no code, only table bytes.
    void inject(Fault fault, GonePoint gone = {});
    // The box behaves again; the record starts afresh.
    void recover();

    // "kind:text" of everything the user was told, each once, in order of first appearance.
    QStringList shown() const;
    // The status-bar text left standing; empty when there was none.
    QString lastStatus() const;
    bool statusShown(const QString &text) const;

    // The simulated box's request log, and requests in it since a mark.
    size_t requestMark() const;
    int requestsSince(size_t mark, uint8_t direction, uint8_t code) const;

    vantrel::sim::BoxModel &box() { return vantrel::sim::box(); }

    vantrel::test::VirtualClock clock;
    FeedbackRecorder feedback;
    std::unique_ptr<MainWindow> window;
    // Exchanges made by poll ticks delivered inside the link's alerts, as a
    // modal box's nested loop delivers them: always expected to be 0.
    int requestsInsideAlerts = 0;
};

// A valid table (both checksums right) unlike any the box makes, and its text.
std::array<uint8_t, 256> foreignTable();
QString tableText(const std::array<uint8_t, 256> &table);

} // namespace faults

Q_DECLARE_METATYPE(faults::Fault)
