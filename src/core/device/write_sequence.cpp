#include "device/write_sequence.h"

#include <chrono>
#include <thread>

#include "base/log.h"
#include "device/channel.h"

namespace kz::device {

DeviceLink ChannelLink() {
  return {[](std::string_view text) { return SendCommandText(text); },
          [](int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }};
}

std::vector<std::string> WriteSequence::Commands() const {
  std::vector<std::string> commands;
  for (const WriteStep& step : steps_)
    if (step.kind == WriteStep::Kind::Send) commands.push_back(step.text);
  return commands;
}

bool WriteSequence::HasCommands() const {
  for (const WriteStep& step : steps_)
    if (step.kind == WriteStep::Kind::Send) return true;
  return false;
}

bool WriteSequence::Run(const DeviceLink& link) const {
  for (const WriteStep& step : steps_) {
    switch (step.kind) {
      case WriteStep::Kind::Log:
        kz::Log("%s", step.text.c_str());
        break;
      case WriteStep::Kind::Pause:
        link.pause(step.milliseconds);
        break;
      case WriteStep::Kind::Send:
        if (!link.send(step.text) && !step.refusalIgnored) return false;
        break;
      case WriteStep::Kind::Call:
        if (step.call) step.call();
        break;
    }
  }
  return true;
}

void DirectWriter::Submit(WriteSequence sequence, Done done) {
  bool ok = sequence.Run(link_);
  if (done) done(ok);
}

}  // namespace kz::device
