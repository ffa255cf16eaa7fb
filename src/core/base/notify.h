#pragma once
// User-visible messages raised by core code (message boxes of start-up and the store). The window
// program installs a handler that shows a dialog; without one the text goes to standard error.
#include <functional>
#include <string>

namespace kz {

using MessageHandler = std::function<void(const std::string& text)>;

void SetMessageHandler(MessageHandler handler);
void ShowMessage(const std::string& text);

}  // namespace kz
