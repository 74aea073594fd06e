#include "adapters/posix/MqttPublisher.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <mosquitto.h>
#include <pthread.h>
#include <vector>

namespace baromon::platform {

namespace {

constexpr int kMaxDelaySeconds = 60;
constexpr int kKeepAliveSeconds = 60;
// A connection neither made nor refused by then (a host that drops the packets) is given up.
constexpr auto kConnectLimit = std::chrono::seconds(30);
// The library sends an unacknowledged record again after a reconnection; should that ever
// not happen, the record goes again after this long.
constexpr auto kRecordResend = std::chrono::minutes(2);
// The longest a value waits for the thread (the values change about once a second), and the
// longest the stop waits for it.
constexpr int kLoopMillis = 1000;
// The longest the stop waits for the broker to take the records still waiting.
constexpr auto kStopSendLimit = std::chrono::seconds(3);

std::once_flag libraryReady;

} // namespace

std::unique_ptr<MqttPublisher> MqttPublisher::start(const MqttOptions& options, std::string& error) {
  std::call_once(libraryReady, [] { mosquitto_lib_init(); });
  std::unique_ptr<MqttPublisher> publisher(new MqttPublisher(options));
  if (!publisher->configure(error)) {
    return nullptr;
  }
  // The stop signals belong to the monitor's loop, not to this thread.
  sigset_t all;
  sigset_t old;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &old);
  publisher->thread_ = std::thread([p = publisher.get()] { p->run(); });
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  return publisher;
}

MqttPublisher::MqttPublisher(MqttOptions options)
    : options_(std::move(options)), base_("baromon/" + options_.station + "/") {}

bool MqttPublisher::configure(std::string& error) {
  mosq_ = mosquitto_new(nullptr, true, this);
  if (mosq_ == nullptr) {
    error = "cannot make an MQTT client";
    return false;
  }
  const BrokerAddress& b = options_.broker;
  int rc = MOSQ_ERR_SUCCESS;
  if (!b.user.empty()) {
    rc = mosquitto_username_pw_set(mosq_, b.user.c_str(), b.password ? b.password->c_str() : nullptr);
  }
  const std::string status = base_ + "status";
  if (rc == MOSQ_ERR_SUCCESS) {
    rc = mosquitto_will_set(mosq_, status.c_str(), 7, "offline", 1, true);
  }
  if (rc == MOSQ_ERR_SUCCESS && b.tls) {
    rc = options_.caFile.empty()
             ? mosquitto_int_option(mosq_, MOSQ_OPT_TLS_USE_OS_CERTS, 1)
             : mosquitto_tls_set(mosq_, options_.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
  }
  if (rc != MOSQ_ERR_SUCCESS) {
    error = std::string("MQTT options refused: ") + mosquitto_strerror(rc);
    return false;
  }
  mosquitto_connect_callback_set(mosq_, onConnect);
  mosquitto_publish_callback_set(mosq_, onPublish);
  return true;
}

MqttPublisher::~MqttPublisher() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) {
    thread_.join();
  }
  if (mosq_ != nullptr) {
    mosquitto_destroy(mosq_);
  }
}

void MqttPublisher::reading(const TelemetryReading& values) {
  auto due = gate_.due(values);
  if (due.empty()) {
    return;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& [key, payload] : due) {
    latest_[key] = std::move(payload);
    dirty_.insert(key);
  }
}

void MqttPublisher::record(const TelemetryRecord& values) {
  std::string json = recordJson(options_.station, values);
  std::lock_guard<std::mutex> lock(mutex_);
  if (!records_.push(std::move(json)) && !dropReported_) {
    dropReported_ = true;
    std::fprintf(stderr,
                 "baromon: the MQTT broker has been away for a day; the oldest records are not sent\n");
  }
}

LinkChange MqttPublisher::poll() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (changes_.empty()) {
    return LinkChange::None;
  }
  const LinkChange change = changes_.front();
  changes_.pop_front();
  return change;
}

void MqttPublisher::run() {
  bool first = true;
  while (true) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_) {
        break;
      }
    }
    if (!socketOpen_ && !connectOrWait(first)) {
      continue;
    }
    const int rc = mosquitto_loop(mosq_, kLoopMillis, 1);
    if (rc != MOSQ_ERR_SUCCESS) {
      socketOpen_ = false;
      linkFailed(mosquitto_strerror(rc));
      continue;
    }
    if (!connected_ && Steady::now() - attemptStarted_ > kConnectLimit) {
      mosquitto_disconnect(mosq_);
      socketOpen_ = false;
      linkFailed("no answer");
      continue;
    }
    if (connected_) {
      sendWaiting();
    }
  }
  finish();
}

// Starts a connection when it is time; else waits for that time (or the stop).
bool MqttPublisher::connectOrWait(bool& first) {
  if (Steady::now() < nextAttempt_) {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait_until(lock, nextAttempt_, [this] { return stopping_; });
    return false;
  }
  const BrokerAddress& b = options_.broker;
  const int rc = first ? mosquitto_connect_async(mosq_, b.host.c_str(), b.port, kKeepAliveSeconds)
                       : mosquitto_reconnect_async(mosq_);
  first = false;
  if (rc != MOSQ_ERR_SUCCESS) {
    linkFailed(rc == MOSQ_ERR_ERRNO ? "cannot connect" : mosquitto_strerror(rc));
    return false;
  }
  socketOpen_ = true;
  attemptStarted_ = Steady::now();
  return true;
}

void MqttPublisher::linkFailed(const char* why) {
  const bool wasConnected = connected_;
  connected_ = false;
  if (!down_) {
    down_ = true;
    std::fprintf(stderr, "baromon: MQTT broker %s:%d %s (%s); trying again\n", options_.broker.host.c_str(),
                 options_.broker.port, wasConnected ? "went away" : "not reachable", why);
    std::lock_guard<std::mutex> lock(mutex_);
    changes_.push_back(LinkChange::Lost);
  }
  nextAttempt_ = Steady::now() + std::chrono::seconds(delaySeconds_);
  delaySeconds_ = std::min(delaySeconds_ * 2, kMaxDelaySeconds);
}

void MqttPublisher::publish(const Message& m, int* mid) {
  mosquitto_publish(mosq_, mid, m.topic.c_str(), static_cast<int>(m.payload.size()), m.payload.data(), m.qos,
                    m.retained);
}

void MqttPublisher::sendWaiting() {
  std::vector<Message> out;
  std::string record;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& [key, payload] : latest_) {
      if (justConnected_ || dirty_.count(key) != 0) {
        out.push_back(Message{base_ + key, payload, key == "alarm", 0});
      }
    }
    dirty_.clear();
    const bool resend = recordInFlight_ && Steady::now() - recordSentAt_ > kRecordResend;
    if ((!recordInFlight_ || resend) && !records_.empty()) {
      record = records_.front();
    }
  }
  if (justConnected_) {
    justConnected_ = false;
    publish(Message{base_ + "status", "online", true, 1});
    for (const Message& config : discoveryConfigs(options_.station)) {
      publish(config);
    }
  }
  for (const Message& m : out) {
    publish(m);
  }
  if (!record.empty()) {
    recordInFlight_ = true;
    recordSentAt_ = Steady::now();
    publish(Message{base_ + "record", record, false, 1}, &recordMid_);
  }
}

void MqttPublisher::finish() {
  if (connected_) {
    sendRecordsAtStop();
    // Said before going, so that the will (for a killed monitor) is not needed.
    publish(Message{base_ + "status", "offline", true, 1});
    mosquitto_disconnect(mosq_);
    for (int i = 0; i < 5 && mosquitto_loop(mosq_, 100, 1) == MOSQ_ERR_SUCCESS; ++i) {
    }
  }
  std::size_t left = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    left = records_.size();
  }
  if (left > 0) {
    std::fprintf(stderr,
                 "baromon: %zu %s not confirmed by the MQTT broker at the stop (they are in monitor.txt)\n",
                 left, left == 1 ? "record" : "records");
  }
}

// The records still waiting, one at a time and in order as always, while the broker answers
// and for a few seconds at most: a broker that froze must not hold the stop.
void MqttPublisher::sendRecordsAtStop() {
  const auto until = Steady::now() + kStopSendLimit;
  while (connected_ && Steady::now() < until) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (records_.empty()) {
        return;
      }
    }
    sendWaiting();
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Steady::now());
    const int rc = mosquitto_loop(mosq_, static_cast<int>(std::clamp<long>(left.count(), 1, 100)), 1);
    if (rc != MOSQ_ERR_SUCCESS) {
      connected_ = false;
    }
  }
}

void MqttPublisher::onConnect(struct mosquitto*, void* self, int rc) {
  auto* p = static_cast<MqttPublisher*>(self);
  if (rc != 0) {
    if (!p->refusalTold_) {
      p->refusalTold_ = true;
      const BrokerAddress& b = p->options_.broker;
      std::fprintf(stderr, "baromon: the MQTT broker %s:%d refused the login%s%s%s: %s\n", b.host.c_str(),
                   b.port, b.user.empty() ? "" : " of user '", b.user.c_str(), b.user.empty() ? "" : "'",
                   rc == 4 || rc == 5 ? "wrong user name or password, or not allowed"
                                      : mosquitto_connack_string(rc));
    }
    return;
  }
  p->connected_ = true;
  p->justConnected_ = true;
  p->refusalTold_ = false;
  p->delaySeconds_ = 1;
  if (p->down_) {
    p->down_ = false;
    std::fprintf(stderr, "baromon: MQTT broker %s:%d reachable again\n", p->options_.broker.host.c_str(),
                 p->options_.broker.port);
    std::lock_guard<std::mutex> lock(p->mutex_);
    p->changes_.push_back(LinkChange::Back);
  }
}

void MqttPublisher::onPublish(struct mosquitto*, void* self, int mid) {
  auto* p = static_cast<MqttPublisher*>(self);
  if (!p->recordInFlight_ || mid != p->recordMid_) {
    return;
  }
  p->recordInFlight_ = false;
  std::lock_guard<std::mutex> lock(p->mutex_);
  if (!p->records_.empty()) {
    p->records_.pop();
  }
}

} // namespace baromon::platform
