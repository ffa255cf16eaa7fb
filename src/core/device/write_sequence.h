#pragma once
// A write to the mouse as data: the command texts in order, the pauses the mouse needs between
// them and the log lines around each command. The owning thread builds it from the models (which
// read the database for macros); a writer thread then sends it without touching any model.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kz::device {

// How a sequence reaches the mouse: a sender of command texts and the pause between commands.
// The real link goes through the command channel; tests give a recording sender and a pause that
// returns at once.
struct DeviceLink {
  std::function<bool(std::string_view text)> send;
  std::function<void(int milliseconds)> pause;
};

// SendCommandText of the channel and a real sleep: for threads that may wait for the mouse.
DeviceLink ChannelLink();

struct WriteStep {
  enum class Kind { Log, Send, Pause, Call };
  Kind kind = Kind::Send;
  std::string text;  // the log line or the command text
  int milliseconds = 0;
  // A Send whose refusal does not end the sequence (firmware updates go on past a lost record).
  bool refusalIgnored = false;
  // A Call runs this on the sending thread between two steps (progress of a long sequence).
  std::function<void()> call;
};

class WriteSequence {
 public:
  void Log(std::string line) { steps_.push_back({WriteStep::Kind::Log, std::move(line), 0}); }
  void Send(std::string command) { steps_.push_back({WriteStep::Kind::Send, std::move(command), 0}); }
  void Pause(int milliseconds) { steps_.push_back({WriteStep::Kind::Pause, {}, milliseconds}); }
  // A command whose refusal is passed over: the steps after it still run.
  void SendIgnoringRefusal(std::string command) {
    steps_.push_back({WriteStep::Kind::Send, std::move(command), 0, true});
  }
  // Runs `call` on the thread that sends the sequence, when the steps before it are done.
  void Call(std::function<void()> call) { steps_.push_back({WriteStep::Kind::Call, {}, 0, false, std::move(call)}); }
  void Append(const WriteSequence& other) { steps_.insert(steps_.end(), other.steps_.begin(), other.steps_.end()); }

  const std::vector<WriteStep>& Steps() const { return steps_; }
  // The command texts alone, in order.
  std::vector<std::string> Commands() const;
  bool HasCommands() const;

  // Runs the steps in order on `link`, stopping at the first command the mouse refuses (nothing
  // after it runs, its log lines included) unless that command's refusal is ignored. True when
  // every command whose refusal counts went out.
  bool Run(const DeviceLink& link) const;

 private:
  std::vector<WriteStep> steps_;
};

// Where the owning thread hands sequences. `done` gets the sequence's result on the owning thread.
class SequenceWriter {
 public:
  using Done = std::function<void(bool ok)>;
  virtual ~SequenceWriter() = default;
  virtual void Submit(WriteSequence sequence, Done done) = 0;
};

// Runs each sequence at once on the calling thread (the command-line tool has no window to keep
// responsive; tests want the result before the next line).
class DirectWriter : public SequenceWriter {
 public:
  explicit DirectWriter(DeviceLink link) : link_(std::move(link)) {}
  void Submit(WriteSequence sequence, Done done) override;

 private:
  DeviceLink link_;
};

}  // namespace kz::device
