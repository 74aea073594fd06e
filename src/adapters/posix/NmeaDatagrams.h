#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Outlets.h"

namespace baromon::platform {

// Sends each sentence as one UDP datagram to one host or broadcast address, as boats'
// multiplexers do. Nothing waits: a datagram the kernel cannot take now is dropped.
class NmeaDatagrams final : public SentenceOutlet {
public:
  // "HOST:PORT" (IPv6 in brackets); a broadcast address is allowed. nullptr with `error`
  // set when the text is malformed or the address cannot be had.
  static std::unique_ptr<NmeaDatagrams> sendTo(const std::string& where, std::string& error);
  ~NmeaDatagrams() override;
  NmeaDatagrams(const NmeaDatagrams&) = delete;
  NmeaDatagrams& operator=(const NmeaDatagrams&) = delete;

  void poll() override {}
  void send(const std::string& line) override;
  std::uint64_t droppedDatagrams() const { return dropped_; }

private:
  NmeaDatagrams(int fd, const void* address, unsigned length);

  int fd_;
  alignas(8) unsigned char address_[128];
  unsigned length_;
  std::uint64_t dropped_ = 0;
};

} // namespace baromon::platform
