#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Outlets.h"

namespace baromon::platform {

// Where the values go: `mqtt://[user[:password]@]host[:port]` (1883) or `mqtts://` (8883,
// TLS). User and password may carry %XX escapes, so that ':' and '@' fit in them.
struct BrokerAddress {
  bool tls = false;
  std::string host;
  int port = 0;
  std::string user;
  std::optional<std::string> password;
};

// The address, or nothing with the reason in `error`.
std::optional<BrokerAddress> parseBrokerUrl(const std::string& url, std::string& error);

// The password when the address carries none: the first line of `passwordFile` when one is
// named (a service keeps it there, readable by its user only), else BAROMON_MQTT_PASSWORD.
// False, with the reason in `error`, when the file cannot be read.
bool completePassword(BrokerAddress& broker, const std::string& passwordFile, const char* environmentValue,
                      std::string& error);

// A station name is one topic level: not empty, no '/', '+', '#' nor control characters.
bool validStation(const std::string& station, std::string& error);

// The values as texts: hundredths of a hPa with two decimals, tenths with one.
std::string hundredthsText(std::int32_t hundredths);
std::string tenthsText(std::int32_t tenths);

// The five-minute record as one JSON object, named by its UTC time.
std::string recordJson(const std::string& station, const TelemetryRecord& record);

struct Message {
  std::string topic;
  std::string payload;
  bool retained = false;
  int qos = 0;
};

// The retained configurations by which a home-automation hub finds the station's sensors
// by itself (`homeassistant/sensor/<station>_<key>/config`; the alarm as
// `homeassistant/binary_sensor/<station>_alarm/config`).
std::vector<Message> discoveryConfigs(const std::string& station);

// Which readings to send now: each at most once a second, and only when its text
// changed or a minute has passed. Keys are the topic's last level.
class ReadingGate {
public:
  static constexpr std::int64_t kMinimumSeconds = 1;
  static constexpr std::int64_t kRepeatSeconds = 60;
  std::vector<std::pair<std::string, std::string>> due(const TelemetryReading& values);

private:
  struct Sent {
    std::string payload;
    std::int64_t at = 0;
  };
  std::map<std::string, Sent> sent_;
};

// Records waiting for the broker, oldest first; a day of them at most (the oldest goes).
class RecordQueue {
public:
  static constexpr std::size_t kLimit = 288;
  // False when the oldest had to go to make room.
  bool push(std::string payload);
  bool empty() const { return items_.empty(); }
  std::size_t size() const { return items_.size(); }
  const std::string& front() const { return items_.front(); }
  void pop() { items_.pop_front(); }

private:
  std::deque<std::string> items_;
};

} // namespace baromon::platform
