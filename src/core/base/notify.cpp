#include "base/notify.h"

#include <cstdio>
#include <mutex>

#include "base/dispatcher.h"

namespace kz {
namespace {
std::mutex gMutex;
MessageHandler gHandler;
Dispatcher* gDispatcher = nullptr;
}  // namespace

void SetMessageHandler(MessageHandler handler, Dispatcher* dispatcher) {
  std::lock_guard lock(gMutex);
  gHandler = std::move(handler);
  gDispatcher = dispatcher;
}

void ShowMessage(const std::string& text) {
  MessageHandler handler;
  Dispatcher* dispatcher = nullptr;
  {
    std::lock_guard lock(gMutex);
    handler = gHandler;
    dispatcher = gDispatcher;
  }
  if (!handler) {
    std::fprintf(stderr, "%s\n", text.c_str());
    return;
  }
  if (dispatcher && !dispatcher->OnOwnerThread()) {
    dispatcher->Post([handler, text] { handler(text); });
    return;
  }
  handler(text);
}

}  // namespace kz
