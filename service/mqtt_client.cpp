// SPDX-License-Identifier: GPL-3.0-or-later
#include "mqtt_client.h"

#include <mosquitto.h>
#include <mqtt_protocol.h>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>

namespace vantrel::service {

namespace {

constexpr size_t kMaxInbox = 64;      // commands beyond this are counted, not kept
constexpr size_t kKeptPayload = 64 * 1024; // a discovery message; a command past it is too long anyway
constexpr int kKeepAliveS = 30;

void initLibrary()
{
    static const bool done = [] {
        mosquitto_lib_init();
        return true;
    }();
    (void)done;
}

std::string reason(int rc)
{
    return rc == MOSQ_ERR_ERRNO ? std::strerror(errno) : mosquitto_strerror(rc);
}

void check(int rc, const std::string &what)
{
    if (rc != MOSQ_ERR_SUCCESS)
        throw ServeError{what + ": " + reason(rc)};
}

} // namespace

MqttClient::MqttClient(const MqttOptions &options, Say say) : options_(options), say_(std::move(say))
{
    initLibrary();
    m_ = mosquitto_new(options.clientId.c_str(), true, this);
    if (!m_)
        throw ServeError{"cannot make an MQTT client"};
    // MQTT 5: a subscription can refuse the retained messages of its topics.
    mosquitto_int_option(m_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
    mosquitto_connect_v5_callback_set(m_, onConnect);
    mosquitto_disconnect_v5_callback_set(m_, onDisconnect);
    mosquitto_message_v5_callback_set(m_, onMessage);
    if (!options.willTopic.empty())
        check(mosquitto_will_set(m_, options.willTopic.c_str(), int(options.willPayload.size()),
                                 options.willPayload.data(), 1, true),
              "MQTT last will");
    if (!options.user.empty())
        check(mosquitto_username_pw_set(m_, options.user.c_str(), options.password.c_str()), "MQTT credentials");
    if (!options.caFile.empty())
        check(mosquitto_tls_set(m_, options.caFile.c_str(), nullptr, nullptr, nullptr, nullptr),
              "MQTT TLS with " + options.caFile);
    retryAt_ = std::chrono::steady_clock::now();
    connect();
}

MqttClient::~MqttClient()
{
    stop();
    mosquitto_destroy(m_);
}

void MqttClient::problem(const std::string &kind, const std::string &text)
{
    if (kind == problemKind_)
        return;
    problemKind_ = kind;
    say_("MQTT broker " + options_.host + ":" + std::to_string(options_.port) + ": " + text);
}

void MqttClient::connect()
{
    const int rc = !begun_ ? mosquitto_connect_async(m_, options_.host.c_str(), options_.port, kKeepAliveS)
                         : mosquitto_reconnect_async(m_);
    if (rc == MOSQ_ERR_SUCCESS) {
        begun_ = true;
        linking_ = true;
        return;
    }
    lost(rc);
}

// The link failed or went: said once per kind, tried again after the back-off.
void MqttClient::lost(int rc)
{
    const bool wasConnected = connected_;
    connected_ = false;
    linking_ = false;
    const std::string why = reason(rc);
    problem(why, (wasConnected ? "connection lost: " : "cannot connect: ") + why + "; trying again");
    retryAt_ = std::chrono::steady_clock::now() + std::chrono::seconds(backoffS_);
    backoffS_ = std::min(backoffS_ * 2, 30);
}

void MqttClient::wait(long ms)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        if (!linking_ && !stopped_ && now >= retryAt_)
            connect();
        if (connectedNow_ || !inbox_.empty() || now >= until)
            return;
        auto next = until;
        if (!linking_ && retryAt_ < next)
            next = retryAt_;
        const long left = long(std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count());
        const int fd = linking_ ? mosquitto_socket(m_) : -1;
        pollfd p{fd, short(POLLIN | (mosquitto_want_write(m_) ? POLLOUT : 0)), 0};
        // The keep-alive must be kept even when nothing else happens.
        const long timeout = std::max(0L, std::min(left, long(kKeepAliveS) * 1000 / 2));
        const timespec ts{timeout / 1000, (timeout % 1000) * 1000000};
        sigset_t none;
        sigemptyset(&none);
        const int n = ::ppoll(fd >= 0 ? &p : nullptr, fd >= 0 ? 1 : 0, &ts, &none);
        if (n < 0 && errno == EINTR)
            return; // a signal: the caller decides
        if (fd < 0)
            continue;
        int rc = MOSQ_ERR_SUCCESS;
        if (n > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR)))
            rc = mosquitto_loop_read(m_, 1);
        if (rc == MOSQ_ERR_SUCCESS && n > 0 && (p.revents & POLLOUT))
            rc = mosquitto_loop_write(m_, 1);
        if (rc == MOSQ_ERR_SUCCESS && linking_)
            rc = mosquitto_loop_misc(m_);
        if (rc != MOSQ_ERR_SUCCESS && linking_)
            lost(rc);
    }
}

bool MqttClient::takeConnected()
{
    const bool now = connectedNow_;
    connectedNow_ = false;
    return now;
}

void MqttClient::stop()
{
    if (stopped_)
        return;
    stopped_ = true;
    if (!linking_)
        return;
    // What was published last (offline) leaves, and the broker's answers
    // are read: the library closes the socket right after the disconnection,
    // and a socket closed with unread bytes is reset, which makes the broker
    // drop the disconnection unread and fire the last will.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    for (int quiet = 0; quiet < 2 && mosquitto_socket(m_) >= 0 && std::chrono::steady_clock::now() < until;) {
        pollfd p{mosquitto_socket(m_), short(POLLIN | (mosquitto_want_write(m_) ? POLLOUT : 0)), 0};
        const int n = ::poll(&p, 1, 50);
        quiet = n > 0 ? 0 : quiet + 1;
        if (n > 0 && (p.revents & POLLIN) && mosquitto_loop_read(m_, 1) != MOSQ_ERR_SUCCESS)
            break;
        if (n > 0 && (p.revents & POLLOUT) && mosquitto_loop_write(m_, 1) != MOSQ_ERR_SUCCESS)
            break;
    }
    mosquitto_disconnect(m_);
    linking_ = connected_ = false;
}

std::optional<ServeError> MqttClient::publish(const std::string &topic, const std::string &payload, bool retain)
{
    if (stopped_)
        return ServeError{"stopped"};
    const int rc = mosquitto_publish(m_, nullptr, topic.c_str(), int(payload.size()), payload.data(), 1, retain);
    if (rc != MOSQ_ERR_SUCCESS)
        return ServeError{reason(rc)};
    return std::nullopt;
}

std::optional<ServeError> MqttClient::subscribe(const std::string &topic, bool replayRetained)
{
    const int options = replayRetained ? 0 : MQTT_SUB_OPT_SEND_RETAIN_NEVER;
    const int rc = mosquitto_subscribe_v5(m_, nullptr, topic.c_str(), 1, options, nullptr);
    if (rc != MOSQ_ERR_SUCCESS)
        return ServeError{reason(rc)};
    return std::nullopt;
}

void MqttClient::unsubscribe(const std::string &topic)
{
    mosquitto_unsubscribe(m_, nullptr, topic.c_str());
}

std::vector<InMessage> MqttClient::takeMessages()
{
    std::vector<InMessage> messages(std::make_move_iterator(inbox_.begin()), std::make_move_iterator(inbox_.end()));
    inbox_.clear();
    return messages;
}

size_t MqttClient::takeDropped()
{
    const size_t n = dropped_;
    dropped_ = 0;
    return n;
}

void MqttClient::onConnect(mosquitto *, void *self, int rc, int, const mqtt5__property *)
{
    auto *c = static_cast<MqttClient *>(self);
    if (rc != 0) {
        c->problem("refused " + std::to_string(rc),
                   std::string("refused the connection: ") + mosquitto_reason_string(rc) + "; trying again");
        return;
    }
    if (!c->problemKind_.empty())
        c->say_("MQTT broker " + c->options_.host + ":" + std::to_string(c->options_.port) + ": connected");
    c->problemKind_.clear();
    c->backoffS_ = 1;
    c->connected_ = true;
    c->connectedNow_ = true;
}

void MqttClient::onDisconnect(mosquitto *, void *self, int rc, const mqtt5__property *)
{
    auto *c = static_cast<MqttClient *>(self);
    if (c->stopped_)
        return;
    if (c->linking_)
        c->lost(rc == 0 ? MOSQ_ERR_CONN_LOST : rc);
}

void MqttClient::onMessage(mosquitto *, void *self, const mosquitto_message *m, const mqtt5__property *)
{
    auto *c = static_cast<MqttClient *>(self);
    if (c->inbox_.size() >= kMaxInbox) {
        ++c->dropped_;
        return;
    }
    InMessage in;
    in.topic = m->topic ? m->topic : "";
    in.size = m->payload && m->payloadlen > 0 ? size_t(m->payloadlen) : 0;
    if (in.size)
        in.payload.assign(static_cast<const char *>(m->payload), std::min(in.size, kKeptPayload));
    in.retained = m->retain;
    c->inbox_.push_back(std::move(in));
}

} // namespace vantrel::service
