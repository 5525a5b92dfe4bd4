// SPDX-License-Identifier: GPL-3.0-or-later
// serve's link to the MQTT broker (libmosquitto, MQTT 5), run on the
// caller's thread: wait() sleeps on the broker's socket until something
// arrives or the time is up, and reconnects with back-off (1 s doubling up
// to 30 s). Each kind of failure is said once, and so is the way back.
#pragma once

#include "serve_ports.h"

#include <chrono>
#include <deque>
#include <functional>
#include <string>

struct mosquitto;
struct mosquitto_message;
struct mqtt5__property;

namespace vantrel::service {

struct MqttOptions {
    std::string host = "localhost";
    int port = 1883;
    std::string user, password; // from the credentials file; empty: none
    std::string caFile;         // TLS with this CA; empty: plain
    std::string clientId;
    std::string willTopic, willPayload;
};

class MqttClient : public Publisher {
public:
    using Say = std::function<void(const std::string &)>;
    // Throws ServeError when the client cannot be set up. Connecting starts
    // here and goes on in wait().
    MqttClient(const MqttOptions &options, Say say);
    ~MqttClient() override;
    MqttClient(const MqttClient &) = delete;
    MqttClient &operator=(const MqttClient &) = delete;

    std::optional<ServeError> publish(const std::string &topic, const std::string &payload, bool retain) override;
    std::optional<ServeError> subscribe(const std::string &topic, bool replayRetained) override;
    void unsubscribe(const std::string &topic) override;
    bool takeConnected() override;
    bool connected() const override { return connected_; }
    std::vector<InMessage> takeMessages() override;
    size_t takeDropped() override;

    // Returns when a message or a connection arrived, a signal came, or ms passed.
    void wait(long ms);
    // Sends what is queued (a second at most) and disconnects.
    void stop();

private:
    static void onConnect(mosquitto *, void *self, int rc, int flags, const mqtt5__property *);
    static void onDisconnect(mosquitto *, void *self, int rc, const mqtt5__property *);
    static void onMessage(mosquitto *, void *self, const mosquitto_message *m, const mqtt5__property *);

    void connect();
    void lost(int rc);
    void problem(const std::string &kind, const std::string &text);
    void serviceSocket(long ms);

    MqttOptions options_;
    Say say_;
    mosquitto *m_ = nullptr;
    bool connected_ = false, connectedNow_ = false;
    bool linking_ = false; // a socket is open or opening
    bool begun_ = false;   // the first connection was started
    std::chrono::steady_clock::time_point retryAt_;
    int backoffS_ = 1;
    std::string problemKind_; // the failure said last; empty while all is well
    std::deque<InMessage> inbox_;
    size_t dropped_ = 0;
    bool stopped_ = false;
};

} // namespace vantrel::service
