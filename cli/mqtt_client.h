// SPDX-License-Identifier: GPL-3.0-or-later
// serve's link to the MQTT broker (libmosquitto): connects in the
// background, reconnects with back-off, leaves a last will, and hands the
// messages of its subscriptions to the polling thread.
#pragma once

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

struct mosquitto;
struct mosquitto_message;

namespace vantrel::cli {

struct MqttOptions {
    std::string host = "localhost";
    int port = 1883;
    std::string user, password; // from the credentials file; empty: none
    std::string caFile;         // TLS with this CA; empty: plain
    std::string clientId;
    std::string willTopic, willPayload;
    std::vector<std::string> subscriptions;
};

struct MqttMessage {
    std::string topic, payload;
};

class MqttClient {
public:
    // Throws CliError(kExitFailed) when the client cannot be set up (a TLS
    // file that cannot be read, say). Connecting happens in the background.
    explicit MqttClient(const MqttOptions &options);
    ~MqttClient();
    MqttClient(const MqttClient &) = delete;
    MqttClient &operator=(const MqttClient &) = delete;

    // Queued while disconnected only as far as libmosquitto queues QoS 1.
    void publish(const std::string &topic, const std::string &payload, bool retain);
    // True once after each (re)connection: time to publish everything again.
    bool takeConnected() { return connectedNow_.exchange(false); }
    bool connected() const { return connected_; }
    std::vector<MqttMessage> takeMessages();
    // Publishes nothing more; waits a little for what was queued to go out.
    void stop();

private:
    static void onConnect(mosquitto *, void *self, int rc);
    static void onDisconnect(mosquitto *, void *self, int rc);
    static void onMessage(mosquitto *, void *self, const mosquitto_message *m);

    MqttOptions options_;
    mosquitto *m_ = nullptr;
    std::atomic<bool> connected_{false}, connectedNow_{false};
    std::mutex mutex_;
    std::deque<MqttMessage> inbox_;
    bool stopped_ = false;
};

} // namespace vantrel::cli
