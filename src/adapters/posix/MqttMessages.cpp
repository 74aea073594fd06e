#include "adapters/posix/MqttMessages.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace baromon::platform {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

std::optional<std::string> percentDecoded(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) {
      return std::nullopt;
    }
    const int high = hexValue(text[i + 1]);
    const int low = hexValue(text[i + 2]);
    if (high < 0 || low < 0) {
      return std::nullopt;
    }
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

bool parsePort(const std::string& text, int& port) {
  if (text.empty() || text.size() > 5) {
    return false;
  }
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') {
      return false;
    }
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > 65535) {
    return false;
  }
  port = value;
  return true;
}

// "host", "host:port", "[v6]" or "[v6]:port".
bool parseHostPort(const std::string& text, BrokerAddress& broker) {
  std::string portText;
  if (!text.empty() && text[0] == '[') {
    const auto close = text.find(']');
    if (close == std::string::npos || close == 1) {
      return false;
    }
    broker.host = text.substr(1, close - 1);
    const std::string rest = text.substr(close + 1);
    if (!rest.empty()) {
      if (rest[0] != ':') {
        return false;
      }
      portText = rest.substr(1);
      if (!parsePort(portText, broker.port)) {
        return false;
      }
    }
    return true;
  }
  const auto colon = text.rfind(':');
  broker.host = colon == std::string::npos ? text : text.substr(0, colon);
  if (broker.host.empty() || broker.host.find(':') != std::string::npos) {
    return false;
  }
  return colon == std::string::npos || parsePort(text.substr(colon + 1), broker.port);
}

std::string jsonText(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// The station in a form a hub accepts inside an identifier.
std::string identifierPart(const std::string& station) {
  std::string out;
  for (const char c : station) {
    const bool plain =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    out += plain ? c : '_';
  }
  return out;
}

std::string fixedPoint(std::int32_t value, int decimals) {
  const std::int64_t scale = decimals == 2 ? 100 : 10;
  const std::int64_t v = value;
  const std::int64_t magnitude = v < 0 ? -v : v;
  char text[32];
  std::snprintf(text, sizeof text, "%s%lld.%0*lld", v < 0 ? "-" : "",
                static_cast<long long>(magnitude / scale), decimals,
                static_cast<long long>(magnitude % scale));
  return text;
}

} // namespace

std::optional<BrokerAddress> parseBrokerUrl(const std::string& url, std::string& error) {
  BrokerAddress broker;
  std::string rest;
  if (url.rfind("mqtt://", 0) == 0) {
    rest = url.substr(7);
    broker.port = 1883;
  } else if (url.rfind("mqtts://", 0) == 0) {
    rest = url.substr(8);
    broker.tls = true;
    broker.port = 8883;
  } else {
    error = "--mqtt takes mqtt://[user[:password]@]host[:port] or mqtts://..., not '" + url + "'";
    return std::nullopt;
  }
  if (!rest.empty() && rest.back() == '/') {
    rest.pop_back();
  }
  const auto at = rest.rfind('@');
  if (at != std::string::npos) {
    const std::string credentials = rest.substr(0, at);
    rest = rest.substr(at + 1);
    const auto colon = credentials.find(':');
    const auto user = percentDecoded(credentials.substr(0, colon));
    std::optional<std::string> password;
    if (colon != std::string::npos) {
      password = percentDecoded(credentials.substr(colon + 1));
    }
    if (!user || user->empty() || (colon != std::string::npos && !password)) {
      error =
          "--mqtt: the user name or password is not well formed (write ':', '@' and '%' as %3A, %40, %25)";
      return std::nullopt;
    }
    broker.user = *user;
    broker.password = password;
  }
  if (rest.find('/') != std::string::npos || !parseHostPort(rest, broker)) {
    error = "--mqtt: '" + rest + "' is not HOST or HOST:PORT with PORT from 1 to 65535";
    return std::nullopt;
  }
  return broker;
}

bool completePassword(BrokerAddress& broker, const std::string& passwordFile, const char* environmentValue,
                      std::string& error) {
  if (broker.password) {
    return true;
  }
  if (!passwordFile.empty()) {
    errno = 0;
    std::ifstream in(passwordFile);
    if (!in) {
      error = "cannot read the MQTT password from " + passwordFile + ": " + std::strerror(errno);
      return false;
    }
    std::string line;
    if (!std::getline(in, line)) {
      error = "cannot read the MQTT password from " + passwordFile + ": the file is empty";
      return false;
    }
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    broker.password = line;
    return true;
  }
  if (environmentValue != nullptr) {
    broker.password = std::string(environmentValue);
  }
  return true;
}

bool validStation(const std::string& station, std::string& error) {
  bool ok = !station.empty() && station.size() <= 64;
  for (const char c : station) {
    if (c == '/' || c == '+' || c == '#' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      ok = false;
    }
  }
  if (!ok) {
    error =
        "--station takes a name of 1 to 64 characters without '/', '+', '#' or control characters, not '" +
        station + "'";
  }
  return ok;
}

std::string hundredthsText(std::int32_t hundredths) { return fixedPoint(hundredths, 2); }
std::string tenthsText(std::int32_t tenths) { return fixedPoint(tenths, 1); }

std::string recordJson(const std::string& station, const TelemetryRecord& r) {
  return "{\"time\":" + jsonText(r.timeUtc) + ",\"station\":" + jsonText(station) +
         ",\"counter\":" + std::to_string(r.counter) + ",\"pressure\":" + hundredthsText(r.pressure) +
         ",\"tendency1h\":" + tenthsText(r.tendency1h) + ",\"tendency3h\":" + tenthsText(r.tendency3h) +
         ",\"variation\":" + tenthsText(r.variation) + "}";
}

std::vector<Message> discoveryConfigs(const std::string& station) {
  struct Sensor {
    const char* key;
    const char* name;
    const char* deviceClass; // none for the tendencies: no class is a pressure change
    const char* unit;
  };
  static const Sensor kSensors[] = {
      {"pressure", "Pressure", "atmospheric_pressure", "hPa"},
      {"tendency1h", "Tendency 1 h", nullptr, "hPa"},
      {"tendency3h", "Tendency 3 h", nullptr, "hPa"},
      {"tendency6h", "Tendency 6 h", nullptr, "hPa"},
      {"variation", "Variation", nullptr, "hPa"},
      {"temperature", "Temperature", "temperature",
       "\xC2\xB0"
       "C"},
      {"voltage", "Voltage", "voltage", "V"},
  };
  const std::string id = identifierPart(station);
  const std::string base = "baromon/" + station + "/";
  const std::string device = "{\"identifiers\":[" + jsonText("baromon_" + id) +
                             "],\"name\":" + jsonText("baromon " + station) +
                             ",\"manufacturer\":\"baromon\",\"model\":\"barograph logger\"}";
  const std::string availability = ",\"availability_topic\":" + jsonText(base + "status") +
                                   ",\"payload_available\":\"online\",\"payload_not_available\":\"offline\"}";
  std::vector<Message> out;
  for (const Sensor& s : kSensors) {
    std::string json = "{\"name\":" + jsonText(s.name) +
                       ",\"unique_id\":" + jsonText("baromon_" + id + "_" + s.key) +
                       ",\"state_topic\":" + jsonText(base + s.key);
    if (s.deviceClass != nullptr) {
      json += ",\"device_class\":" + jsonText(s.deviceClass);
    }
    json += ",\"unit_of_measurement\":" + jsonText(s.unit) +
            ",\"state_class\":\"measurement\",\"device\":" + device + availability;
    out.push_back(Message{"homeassistant/sensor/" + id + "_" + s.key + "/config", json, true, 1});
  }
  // The alarm is on or off: a binary sensor, which the hub refuses whole when it carries a
  // unit or a state class. "safety": on means a storm may be coming.
  const std::string alarm =
      "{\"name\":\"Fast pressure fall\",\"unique_id\":" + jsonText("baromon_" + id + "_alarm") +
      ",\"state_topic\":" + jsonText(base + "alarm") +
      ",\"payload_on\":\"ON\",\"payload_off\":\"OFF\",\"device_class\":\"safety\""
      ",\"device\":" +
      device + availability;
  out.push_back(Message{"homeassistant/binary_sensor/" + id + "_alarm/config", alarm, true, 1});
  return out;
}

std::vector<std::pair<std::string, std::string>> ReadingGate::due(const TelemetryReading& v) {
  std::vector<std::pair<std::string, std::string>> values{
      {"pressure", hundredthsText(v.pressure)}, {"tendency1h", tenthsText(v.tendency1h)},
      {"tendency3h", tenthsText(v.tendency3h)}, {"tendency6h", tenthsText(v.tendency6h)},
      {"variation", tenthsText(v.variation)},   {"alarm", v.alarm ? "ON" : "OFF"},
  };
  if (v.hasTemperature) {
    values.emplace_back("temperature", tenthsText(v.temperature));
  }
  if (v.hasVoltage) {
    values.emplace_back("voltage", tenthsText(v.voltage));
  }
  std::vector<std::pair<std::string, std::string>> out;
  for (auto& [key, payload] : values) {
    auto found = sent_.find(key);
    bool send = found == sent_.end();
    if (!send) {
      const std::int64_t age = v.utcSeconds - found->second.at;
      // A clock set back must not silence a value for the time it went back.
      send = age < 0 || age >= kRepeatSeconds || (age >= kMinimumSeconds && payload != found->second.payload);
    }
    if (send) {
      sent_[key] = Sent{payload, v.utcSeconds};
      out.emplace_back(key, std::move(payload));
    }
  }
  return out;
}

bool RecordQueue::push(std::string payload) {
  bool kept = true;
  if (items_.size() >= kLimit) {
    items_.pop_front();
    kept = false;
  }
  items_.push_back(std::move(payload));
  return kept;
}

} // namespace baromon::platform
