#pragma once
// The services of a test: a database in the test's own folder, pointer settings in memory, the
// given mouse, and a writer and dispatcher of the test's choice. Nothing reaches the real desktop,
// the real mouse or the home folder.
#include <memory>
#include <string>

#include "app/services.h"
#include "base/dispatcher.h"
#include "device/hidm.h"

namespace kztest {

struct TestServiceOptions {
  std::string dataDir;  // ends in "/"
  kz::Dispatcher* dispatcher = nullptr;
  std::shared_ptr<kz::device::HidBackend> backend;
  std::shared_ptr<kz::settings::PointerSettings> pointer;  // nullptr: in memory
  // nullptr: the writer thread over the command channel, as in the program.
  std::unique_ptr<kz::device::SequenceWriter> writer;
  kz::profile::ProfileSession::Options pages;
};

inline std::unique_ptr<kz::app::Services> MakeTestServices(TestServiceOptions options) {
  kz::app::ServiceParts parts;
  parts.values.dataDir = options.dataDir;
  parts.values.programDir = options.dataDir;
  parts.dispatcher = options.dispatcher;
  parts.backend = std::move(options.backend);
  parts.pointer = options.pointer ? std::move(options.pointer)
                                  : std::make_shared<kz::settings::InMemoryPointerSettings>();
  parts.writer = std::move(options.writer);
  parts.pages = options.pages;
  return std::make_unique<kz::app::Services>(std::move(parts));
}

}  // namespace kztest
