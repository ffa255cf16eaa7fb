#include "cloud/owner_queue.h"

namespace kz::cloud {

OwnerQueue::OwnerQueue(Dispatcher& dispatcher) : dispatcher_(dispatcher) {}

OwnerQueue::~OwnerQueue() { Close(); }

void OwnerQueue::Post(std::function<void()> task) {
  {
    std::lock_guard lock(state_->mutex);
    if (state_->closed) return;
    state_->tasks.push_back(std::move(task));
  }
  state_->changed.notify_all();
  // The dispatcher's task may run after this object is gone: it holds the state, not the queue.
  std::weak_ptr<State> weak = state_;
  dispatcher_.Post([weak] {
    if (std::shared_ptr<State> state = weak.lock()) Drain(*state);
  });
}

bool OwnerQueue::Call(const std::function<void()>& task) {
  if (dispatcher_.OnOwnerThread()) {
    if (Closed()) return false;
    task();
    return true;
  }
  // Shared with the posted task, which may outlive this call when the queue closes first.
  struct Answer {
    bool done = false;
  };
  auto answer = std::make_shared<Answer>();
  std::shared_ptr<State> state = state_;
  Post([task, answer, state] {
    task();
    {
      std::lock_guard lock(state->mutex);
      answer->done = true;
    }
    state->changed.notify_all();
  });
  std::unique_lock lock(state->mutex);
  state->changed.wait(lock, [&] { return answer->done || state->closed; });
  return answer->done;
}

void OwnerQueue::Notify() {
  { std::lock_guard lock(state_->mutex); }
  state_->changed.notify_all();
}

int OwnerQueue::Drain(State& state) {
  {
    std::lock_guard lock(state.mutex);
    if (state.running) return 0;
    state.running = true;
  }
  int ran = 0;
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard lock(state.mutex);
      if (state.closed || state.tasks.empty()) {
        state.running = false;
        break;
      }
      task = std::move(state.tasks.front());
      state.tasks.pop_front();
    }
    task();
    ++ran;
  }
  return ran;
}

int OwnerQueue::RunPending() { return Drain(*state_); }

bool OwnerQueue::Pump(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    RunPending();
    // `done` is looked at under the lock a Notify takes, so a change just before the wait wakes it.
    std::unique_lock lock(state_->mutex);
    if (done()) return true;
    if (!state_->tasks.empty() && !state_->running) continue;
    if (state_->changed.wait_until(lock, deadline) == std::cv_status::timeout) {
      lock.unlock();
      RunPending();
      return done();
    }
  }
}

void OwnerQueue::Close() {
  std::deque<std::function<void()>> dropped;
  {
    std::lock_guard lock(state_->mutex);
    state_->closed = true;
    dropped.swap(state_->tasks);
  }
  state_->changed.notify_all();
}

bool OwnerQueue::Closed() const {
  std::lock_guard lock(state_->mutex);
  return state_->closed;
}

}  // namespace kz::cloud
