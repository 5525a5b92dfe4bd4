// SPDX-License-Identifier: GPL-3.0-or-later
// What serve's engine asks of the world: a broker to publish to and take
// commands from, and the box to read and change. The engine holds no socket
// and opens no library, so it runs in a test against fakes of both.
#pragma once

#include "box.h"
#include "json_support.h"

#include <optional>
#include <string>
#include <vector>

namespace vantrel::service {

using report::Json;

// A failure of the broker link, in a person's words.
struct ServeError {
    std::string message;
};

struct InMessage {
    std::string topic;
    std::string payload; // the first bytes only: enough to tell a command from one too long
    size_t size = 0;     // the whole payload's
    bool retained = false;
};

class Publisher {
public:
    virtual ~Publisher() = default;
    // nullopt when the message was handed to the link.
    virtual std::optional<ServeError> publish(const std::string &topic, const std::string &payload, bool retain) = 0;
    // replayRetained: whether the broker sends what it keeps on the topic.
    virtual std::optional<ServeError> subscribe(const std::string &topic, bool replayRetained) = 0;
    virtual void unsubscribe(const std::string &topic) = 0;
    // True once after each (re)connection.
    virtual bool takeConnected() = 0;
    virtual bool connected() const = 0;
    virtual std::vector<InMessage> takeMessages() = 0;
    // Messages that arrived while the queue was full and were not kept.
    virtual size_t takeDropped() = 0;
};

// A box reading: the status object of status --json and every setting.
struct BoxReading {
    Json status, settings;
};

class ServedBox {
public:
    virtual ~ServedBox() = default;
    // The one box, open or not, for as long as serve runs: the engine's
    // presence monitor opens it, looks for it again and probes it.
    virtual Box &box() = 0;
    // Every setting and the status; nullopt when a read failed.
    virtual std::optional<BoxReading> read() = 0;
    // Runs a command (its kind and value as parseControl made them): empty
    // when done, else why not. Nothing changes when it is refused.
    virtual std::string run(const struct ControlCommand &command) = 0;
};

} // namespace vantrel::service
