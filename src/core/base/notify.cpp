#include "base/notify.h"

#include <cstdio>
#include <mutex>

namespace kz {
namespace {
std::mutex gMutex;
MessageHandler gHandler;
}  // namespace

void SetMessageHandler(MessageHandler handler) {
  std::lock_guard lock(gMutex);
  gHandler = std::move(handler);
}

void ShowMessage(const std::string& text) {
  MessageHandler handler;
  {
    std::lock_guard lock(gMutex);
    handler = gHandler;
  }
  if (handler)
    handler(text);
  else
    std::fprintf(stderr, "%s\n", text.c_str());
}

}  // namespace kz
