#pragma once
// The HID library of the program: the five HIDM_* operations over a replaceable backend.
//
// Report framing (both backends keep to it):
// - The first byte of every command and of every report from the mouse is the HID report id, 0x03.
// - A command goes out as ONE output report of kOutputReportLength bytes (report id included),
//   zero-filled after the command bytes. A command longer than that is refused (kHidErrTooLong) and
//   nothing is sent; it is never split, because the mouse would read the pieces as separate commands.
// - The status report is the input report 0x03 of kInputReportLength (25) bytes.
// As a report descriptor: a vendor collection (usage page 0xFF00) with report id 3 of 24 input and
// 63 output bytes (the emulated mouse of the tests, tests/data/umockdev/, carries exactly that).
// When the mouse shows several HID interfaces, the hidapi backend takes the vendor-page one.
// The simulated mouse receives the command bytes as they were given (it can tell "03 10 ... 00" from
// the zero fill), the hidapi backend sends the filled report.
//
// Threads: any number of threads may write while one thread is blocked in HIDM_Read. HIDM_Read
// blocks (in poll or on a condition variable, never spinning) until a report arrives, an error
// occurs, or the connection is closed by HIDM_Uninit from any thread; then it returns 0. Closing the
// connection is therefore how a reader is stopped.
#include <memory>
#include <string>
#include <vector>

namespace kz::device {

inline constexpr int kReportId = 0x03;
inline constexpr int kOutputReportLength = 64;
inline constexpr int kInputReportLength = 25;

// Negative results of the HIDM_* operations and of a backend.
enum HidError : int {
  kHidErrNoDevice = -1,     // no mouse found (or it was unplugged)
  kHidErrOpen = -2,         // the mouse was found but could not be opened
  kHidErrNotOpen = -3,      // the connection is not open
  kHidErrTooLong = -4,      // the command does not fit one output report
  kHidErrWrite = -5,        // the system refused the write
  kHidErrRead = -6,         // the system reported a read error (device gone, I/O error)
  kHidErrRefused = -7,      // the mouse refused the report
  kHidErrArgument = -8,     // no bytes, a null buffer or a negative count
  kHidErrReportId = -9,     // the report id is not 0x03
};

// One way of reaching a mouse. Every method may be called from any thread.
class HidBackend {
 public:
  virtual ~HidBackend() = default;
  // 0, or a negative HidError with a description in `error`.
  virtual int Open(unsigned short vendorId, unsigned short productId, std::string& error) = 0;
  // Ends the connection and wakes a thread blocked in Read, which then returns 0.
  virtual void Close() = 0;
  // `count` bytes, the first being the report id, at most kOutputReportLength. Returns `count`
  // or a negative HidError.
  virtual int Write(const unsigned char* bytes, int count, std::string& error) = 0;
  // Blocks until one report arrives (its length), the connection is closed (0) or an error occurs.
  virtual int Read(unsigned char* buffer, int capacity, std::string& error) = 0;
  // Device identifiers of the present mice, formed like "USB\VID_7616&PID_530A\<serial>".
  virtual std::vector<std::string> PresentIdentifiers() = 0;
  // The built-in simulated mouse answers true.
  virtual bool IsSimulated() const { return false; }
};

// Checks the arguments of a write: 0 when `count` bytes (1 to kOutputReportLength) are given,
// else kHidErrArgument or kHidErrTooLong with the reason in `error`. Every backend's Write and
// HIDM_Write use it, so a command is refused the same way whichever backend is in place.
int CheckWriteArguments(const unsigned char* bytes, int count, std::string& error);

// Makes `backend` the one the HIDM_* operations use, process-wide (as a HID library holds its
// one device handle). An open connection is closed first. nullptr leaves no mouse at all: the
// program installs its choice at start.
void InstallBackend(std::shared_ptr<HidBackend> backend);
// The installed backend, or nullptr.
std::shared_ptr<HidBackend> CurrentBackend();
// True when the environment asks for the simulated mouse (KZMOUSE_DEVICE=sim).
bool SimulationRequested();
// A new backend: the simulated mouse (state and trace files from the environment) or hidapi.
std::shared_ptr<HidBackend> MakeBackend(bool simulate);
// True when HIDM_Init succeeded and HIDM_Uninit has not been called since.
bool HidmIsOpen();

// Opens the mouse by vendor and product number. 0 or a negative HidError. Opening an open
// connection does nothing and returns 0.
int HIDM_Init(unsigned short vendorId, unsigned short productId);
// Sends one command (bytes[0] is the report id). Returns count or a negative HidError.
int HIDM_Write(const unsigned char* bytes, int count);
// Blocks for one report: its length (> 0), 0 when the connection is closed (or not open), or a
// negative HidError.
int HIDM_Read(unsigned char* buffer, int capacity);
// Fills `text` (always terminated when capacity > 0) with the description of `code`; for the last
// failure of the calling thread the backend's own text is added. Returns the text length.
int HIDM_GetErrorDescript(int code, char* text, int capacity);
// Closes the connection (wakes a blocked HIDM_Read). Safe to call when nothing is open.
void HIDM_Uninit();

// The code of the calling thread's last failed HIDM_* call (0 before any failure), for callers that
// only got a success flag (SendCommandText) and want to tell the user why.
int LastHidError();

}  // namespace kz::device
