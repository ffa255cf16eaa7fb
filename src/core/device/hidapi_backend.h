#pragma once
// The backend for a real mouse: hidapi over hidraw.
//
// hidapi finds and opens the mouse and writes the output reports (zero-filled to the report
// length). Reports are read from a second descriptor of the same hidraw node, waited for with poll()
// together with an eventfd: hidapi's own read cannot be woken from another thread, and the reader
// must block without spinning yet return 0 as soon as the connection is closed. hidraw gives every
// open descriptor its own copy of each report, so the two descriptors do not compete. Writes are
// serialised among themselves but never wait for a read.
#include "device/hidm.h"

#include <memory>
#include <mutex>

namespace kz::device {

class HidapiBackend : public HidBackend {
 public:
  HidapiBackend();
  ~HidapiBackend() override;

  int Open(unsigned short vendorId, unsigned short productId, std::string& error) override;
  void Close() override;
  int Write(const unsigned char* bytes, int count, std::string& error) override;
  int Read(unsigned char* buffer, int capacity, std::string& error) override;
  std::vector<std::string> PresentIdentifiers() override;

  // The hidraw node of the open connection ("" when closed), for diagnostics and tests.
  std::string OpenPath() const;

 private:
  struct Connection;
  std::shared_ptr<Connection> Current() const;

  mutable std::mutex mutex_;
  std::shared_ptr<Connection> connection_;
};

}  // namespace kz::device
