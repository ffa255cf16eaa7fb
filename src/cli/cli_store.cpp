#include "cli_store.h"

#include "base/paths.h"
#include "device/presence.h"
#include "device/write_sequence.h"
#include "settings/mouse_settings.h"
#include "settings/pointer_settings.h"
#include "store/schema.h"

namespace kz::cli {
namespace {

// The pointer values a fresh profile stands for, so that storing a profile records its own.
std::shared_ptr<settings::PointerSettings> FactoryPointer() {
  auto pointer = std::make_shared<settings::InMemoryPointerSettings>();
  settings::MouseSettings factory;
  pointer->SetDoubleClickTime(settings::DoubleClickTimeOfStep(factory.doubleClick));
  pointer->SetWheelScrollLines(settings::WheelScrollLinesOf(factory.scrollByPage, factory.scrollSpeed));
  pointer->SetMouseSpeed(settings::MouseSpeedOfStep(factory.pointerSpeed));
  return pointer;
}

}  // namespace

std::unique_ptr<app::Services> MakeToolServices(QueueDispatcher& dispatcher) {
  app::ServiceParts parts;
  parts.values.dataDir = paths::DataDir();
  parts.values.programDir = paths::ProgramDir();
  parts.dispatcher = &dispatcher;
  parts.pointer = FactoryPointer();
  parts.writer = std::make_unique<device::DirectWriter>(device::ChannelLink());
  parts.pages.pageSlots = 3;  // the settings pages: mouse settings, buttons, lighting
  return std::make_unique<app::Services>(std::move(parts));
}

bool OpenToolStore(const Invocation& call, app::Services& services) {
  const std::string& dataDir = services.values.dataDir;
  // Named here, before the database's own "unable to open database file" would hide the cause.
  if (dataDir.empty()) {
    Fail(call, kExitFailure, ShowableText(paths::NoHomeText()));
    return false;
  }
  if (std::string problem = paths::PathProblem(dataDir + store::kDatabaseFileName); !problem.empty()) {
    Fail(call, kExitFailure, ShowableText(problem));
    return false;
  }
  if (!paths::MakeOwnDir(dataDir)) {
    Fail(call, kExitFailure, "cannot make the data folder " + ShowableText(dataDir));
    return false;
  }
  // The tool may wait for the window's short writes.
  switch (app::OpenStoreAndUser(services, 5000)) {
    case app::StoreResult::kNoDatabase:
      Fail(call, kExitFailure, "cannot open the database in " + ShowableText(dataDir));
      return false;
    case app::StoreResult::kNoUser:
      Fail(call, kExitFailure, "cannot load the current user: " + services.db.GetLastErrorString());
      return false;
    case app::StoreResult::kOk:
      break;
  }
  return true;
}

int WriteProfile(const Invocation& call, profile::ProfileSession& session) {
  if (!device::IsMousePresent())
    return Fail(call, kExitNoMouse, call.simulate ? "the simulated mouse is unplugged"
                                                  : "no mouse present (USB 7616:530A); is it plugged in?");
  bool ok = false;
  session.WriteProfile([&ok](bool written) { ok = written; });  // a direct writer: done at once
  if (!ok) return Fail(call, kExitWriteFailed, "the mouse did not take the settings: " + LastHidErrorText());
  *call.out << "wrote profile " << session.ActiveProfile() << " to the mouse\n";
  return kExitOk;
}

bool ToolStoreExists(const app::Services& services) {
  // OpenOrCreate starts from the program folder's database when the data folder has none.
  return paths::FileExists(services.values.dataDir + store::kDatabaseFileName) ||
         paths::FileExists(services.values.programDir + store::kDatabaseFileName);
}

std::string ValidUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const size_t size = text.size();
  auto continuation = [&](size_t at, unsigned char low = 0x80, unsigned char high = 0xBF) {
    return at < size && bytes[at] >= low && bytes[at] <= high;
  };
  for (size_t i = 0; i < size;) {
    const unsigned char b = bytes[i];
    size_t length = 0;
    if (b < 0x80) length = 1;
    else if (b >= 0xC2 && b <= 0xDF) length = continuation(i + 1) ? 2 : 0;
    else if (b == 0xE0) length = continuation(i + 1, 0xA0) && continuation(i + 2) ? 3 : 0;
    else if (b == 0xED) length = continuation(i + 1, 0x80, 0x9F) && continuation(i + 2) ? 3 : 0;  // no surrogates
    else if (b >= 0xE1 && b <= 0xEF) length = continuation(i + 1) && continuation(i + 2) ? 3 : 0;
    else if (b == 0xF0) length = continuation(i + 1, 0x90) && continuation(i + 2) && continuation(i + 3) ? 4 : 0;
    else if (b == 0xF4) length = continuation(i + 1, 0x80, 0x8F) && continuation(i + 2) && continuation(i + 3) ? 4 : 0;
    else if (b >= 0xF1 && b <= 0xF3) length = continuation(i + 1) && continuation(i + 2) && continuation(i + 3) ? 4 : 0;
    if (length == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(text, i, length);
      i += length;
    }
  }
  return out;
}

}  // namespace kz::cli
