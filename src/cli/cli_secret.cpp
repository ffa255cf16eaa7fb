// Reading a secret from the terminal without echo, for the commands that ask for a password.
#include "cli_commands.h"

#include <csignal>
#include <iostream>
#include <termios.h>
#include <unistd.h>

namespace kz::cli {
namespace {

// The terminal's settings while echo is off, put back on every way out (a signal included).
struct termios savedTerminal;
volatile std::sig_atomic_t echoOff = 0;

void RestoreEchoAndDie(int signal) {
  if (echoOff) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

bool ReadSecretLine(const char* prompt, std::string& line) {
  std::cerr << prompt << std::flush;
  if (::tcgetattr(STDIN_FILENO, &savedTerminal) != 0) return false;
  struct termios quiet = savedTerminal;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  quiet.c_lflag |= ECHONL;
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP}) std::signal(s, RestoreEchoAndDie);
  echoOff = 1;
  ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  const bool got = static_cast<bool>(std::getline(std::cin, line));
  ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
  echoOff = 0;
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP}) std::signal(s, SIG_DFL);
  return got;
}

}  // namespace kz::cli
