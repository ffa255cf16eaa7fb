#include "device/device_writer.h"

namespace kz::device {

DeviceWriter::DeviceWriter(DeviceLink link, Dispatcher& dispatcher)
    : link_(std::move(link)), dispatcher_(dispatcher), thread_([this] { Run(); }) {}

DeviceWriter::~DeviceWriter() { Stop(); }

void DeviceWriter::Submit(WriteSequence sequence, Done done) {
  {
    std::lock_guard lock(mutex_);
    if (!stopping_) {
      queue_.push_back({std::move(sequence), std::move(done)});
      changed_.notify_all();
      return;
    }
  }
  if (done) dispatcher_.Post([done] { done(false); });
}

bool DeviceWriter::Idle() const {
  std::lock_guard lock(mutex_);
  return queue_.empty() && !busy_;
}

void DeviceWriter::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void DeviceWriter::Run() {
  for (;;) {
    Job job;
    bool posting = true;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) return;  // stopping, and everything was sent
      job = std::move(queue_.front());
      queue_.pop_front();
      busy_ = true;
      posting = !stopping_;
    }
    bool ok = job.sequence.Run(link_);
    {
      std::lock_guard lock(mutex_);
      busy_ = false;
      posting = posting && !stopping_;
    }
    if (posting && job.done) dispatcher_.Post([done = std::move(job.done), ok] { done(ok); });
  }
}

}  // namespace kz::device
