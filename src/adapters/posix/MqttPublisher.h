#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "adapters/posix/MqttMessages.h"
#include "platform/Outlets.h"

struct mosquitto;

namespace baromon::platform {

struct MqttOptions {
  BrokerAddress broker;
  std::string station;
  std::string caFile; // TLS: trust this CA instead of the system's store
};

// `--mqtt`: the values under baromon/<station>/ on a broker. The tick only hands values
// over (a mutex held for a copy); a thread of its own connects, reconnects with back-off,
// runs the library's network loop and publishes. Readings: newest wins; records: QoS 1,
// one at a time in order, kept up to a day while the broker is away.
class MqttPublisher final : public TelemetryOutlet {
public:
  // Starts the thread; the connection is made there, so an unreachable broker costs the
  // start nothing. Null, with the reason in `error`, when the library refuses the options.
  static std::unique_ptr<MqttPublisher> start(const MqttOptions& options, std::string& error);
  ~MqttPublisher() override;
  MqttPublisher(const MqttPublisher&) = delete;
  MqttPublisher& operator=(const MqttPublisher&) = delete;

  void reading(const TelemetryReading& values) override;
  void record(const TelemetryRecord& values) override;
  LinkChange poll() override;

private:
  using Steady = std::chrono::steady_clock;
  explicit MqttPublisher(MqttOptions options);
  bool configure(std::string& error);
  void run();
  bool connectOrWait(bool& first);
  void linkFailed(const char* why);
  void sendWaiting();
  void publish(const Message& message, int* mid = nullptr);
  void finish();
  void sendRecordsAtStop();
  static void onConnect(struct mosquitto*, void* self, int rc);
  static void onPublish(struct mosquitto*, void* self, int mid);

  MqttOptions options_;
  std::string base_; // baromon/<station>/
  struct mosquitto* mosq_ = nullptr;
  std::thread thread_;

  // Shared with the tick, under mutex_.
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::map<std::string, std::string> latest_;
  std::set<std::string> dirty_;
  RecordQueue records_;
  std::deque<LinkChange> changes_;
  bool dropReported_ = false;

  // The tick's own.
  ReadingGate gate_;

  // The thread's own.
  bool socketOpen_ = false;
  bool connected_ = false;
  bool justConnected_ = false;
  bool down_ = false; // a loss was told and no return yet
  bool refusalTold_ = false;
  int delaySeconds_ = 1;
  Steady::time_point nextAttempt_{};
  Steady::time_point attemptStarted_{};
  bool recordInFlight_ = false;
  int recordMid_ = 0;
  Steady::time_point recordSentAt_{};
};

} // namespace baromon::platform
