#pragma once
// User-visible messages raised by core code (message boxes of start-up, the store, and later the
// worker threads). The window program installs a handler that shows a dialog; without one the
// text goes to standard error.
#include <functional>
#include <string>

namespace kz {

class Dispatcher;

using MessageHandler = std::function<void(const std::string& text)>;

// With a dispatcher, a message raised on any other thread than the dispatcher's is handed to that
// thread, so a dialog is only ever made where the window lives.
void SetMessageHandler(MessageHandler handler, Dispatcher* dispatcher = nullptr);
void ShowMessage(const std::string& text);

}  // namespace kz
