// SPDX-License-Identifier: GPL-3.0-or-later
#include "mqtt_client.h"

#include "cli_error.h"

#include <mosquitto.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace vantrel::cli {

namespace {

constexpr size_t kMaxInbox = 64; // commands beyond this are dropped, not queued without end

void initLibrary()
{
    static const bool done = [] {
        mosquitto_lib_init();
        return true;
    }();
    (void)done;
}

void check(int rc, const std::string &what)
{
    if (rc != MOSQ_ERR_SUCCESS)
        throw CliError{kExitFailed, what + ": " + mosquitto_strerror(rc)};
}

} // namespace

MqttClient::MqttClient(const MqttOptions &options) : options_(options)
{
    initLibrary();
    m_ = mosquitto_new(options.clientId.c_str(), true, this);
    if (!m_)
        throw CliError{kExitFailed, "cannot make an MQTT client"};
    mosquitto_connect_callback_set(m_, onConnect);
    mosquitto_disconnect_callback_set(m_, onDisconnect);
    mosquitto_message_callback_set(m_, onMessage);
    if (!options.willTopic.empty())
        check(mosquitto_will_set(m_, options.willTopic.c_str(), int(options.willPayload.size()),
                                 options.willPayload.data(), 1, true),
              "MQTT last will");
    if (!options.user.empty())
        check(mosquitto_username_pw_set(m_, options.user.c_str(), options.password.c_str()), "MQTT credentials");
    if (!options.caFile.empty())
        check(mosquitto_tls_set(m_, options.caFile.c_str(), nullptr, nullptr, nullptr, nullptr),
              "MQTT TLS with " + options.caFile);
    // 1, 2, 4 ... up to 30 s between attempts while the broker is away.
    mosquitto_reconnect_delay_set(m_, 1, 30, true);
    const int rc = mosquitto_connect_async(m_, options.host.c_str(), options.port, 30);
    if (rc != MOSQ_ERR_SUCCESS)
        std::fprintf(stderr, "vantrelctl: MQTT broker %s:%d: %s; still trying\n", options.host.c_str(), options.port,
                     mosquitto_strerror(rc));
    check(mosquitto_loop_start(m_), "MQTT network thread");
}

MqttClient::~MqttClient()
{
    stop();
    mosquitto_destroy(m_);
}

void MqttClient::stop()
{
    if (stopped_)
        return;
    stopped_ = true;
    // What was published last (offline) gets a moment to leave.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (connected_ && mosquitto_want_write(m_) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    mosquitto_disconnect(m_);
    mosquitto_loop_stop(m_, false);
}

void MqttClient::publish(const std::string &topic, const std::string &payload, bool retain)
{
    if (stopped_)
        return;
    mosquitto_publish(m_, nullptr, topic.c_str(), int(payload.size()), payload.data(), 1, retain);
}

std::vector<MqttMessage> MqttClient::takeMessages()
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<MqttMessage> messages(inbox_.begin(), inbox_.end());
    inbox_.clear();
    return messages;
}

void MqttClient::onConnect(mosquitto *m, void *self, int rc)
{
    auto *c = static_cast<MqttClient *>(self);
    if (rc != 0) {
        std::fprintf(stderr, "vantrelctl: MQTT broker refused the connection: %s\n", mosquitto_connack_string(rc));
        return;
    }
    for (const std::string &topic : c->options_.subscriptions)
        mosquitto_subscribe(m, nullptr, topic.c_str(), 1);
    c->connected_ = true;
    c->connectedNow_ = true;
}

void MqttClient::onDisconnect(mosquitto *, void *self, int)
{
    static_cast<MqttClient *>(self)->connected_ = false;
}

void MqttClient::onMessage(mosquitto *, void *self, const mosquitto_message *m)
{
    auto *c = static_cast<MqttClient *>(self);
    std::lock_guard<std::mutex> lock(c->mutex_);
    if (c->inbox_.size() >= kMaxInbox)
        return;
    std::string payload;
    if (m->payload && m->payloadlen > 0)
        payload.assign(static_cast<const char *>(m->payload), size_t(m->payloadlen));
    c->inbox_.push_back({m->topic ? m->topic : "", std::move(payload)});
}

} // namespace vantrel::cli
