#pragma once
// The built-in simulated mouse: a HID backend that keeps the mouse's on-board state, changes it on
// the commands the program sends, and answers "03F9" with a status report of that state.
//
// Commands it understands (bytes after the report id 0x03):
//   10 count active l1 l2 l3 l4          DPI levels (units of 50, 0 = disabled)
//   12 00 rate 10 01 01 sense x y switch report rate and sensitivity
//   09 breath r1 b1 g1 r2 b2 g2 speed speed   lights (colours arrive red, blue, green)
//   11 00 f1 ... f11                      button map (11 function codes, page order)
//   14..17 button plays events...         macro block 1..4 of a firmware button (14 starts anew; a
//                                         later block without all the ones before it is dropped)
//   58 02 / 58 04 01 hi lo / 58 03 len hi lo data... / 58 01   firmware start / block / record / end
//   F9                                    status query: one status report is queued for reading
// Anything else is traced and otherwise ignored, as the firmware does.
//
// Simulated firmware images: a record that writes address 0xFDFF sets the firmware version byte
// reported after the final "58 01" (high four bits major, low four bits minor); an image without it
// keeps the version.
//
// Activity: Click, Scroll and Move go into the status report (bytes 16, 23 and 24) and are cleared
// once reported, so each report carries what happened since the previous one.
//
// Files: with a state path the on-board state is loaded at construction and saved after every
// change (KZMOUSE_SIM_STATE); with a trace path every received command is appended as one line of
// upper-case hex bytes separated by one blank (KZMOUSE_SIM_TRACE). Both are owner-only (0600), and
// a link, FIFO or device at either path is refused with a problem text, never followed or removed.
#include "device/hidm.h"

#include <array>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace kz::device {

// The on-board state, as the mouse keeps it across power cycles.
struct SimMouseState {
  int dpiCount = 4;
  int dpiActive = 1;
  std::array<unsigned char, 4> dpi{0x20, 0x40, 0x80, 0xA4};  // 1600, 3200, 6400, 8200
  int reportRateCode = 0x00;                                 // the fourth choice
  int sense = 0, sensitivityX = 0, sensitivityY = 0;         // neutral
  int sensitivitySwitch = 0;
  int lightBreath = 0x11;                                    // both lights breathing
  std::array<unsigned char, 3> light1{0x00, 0x91, 0xFF};     // red, green, blue (preset 0)
  std::array<unsigned char, 3> light2{0x00, 0x91, 0xFF};
  int lightSpeed = 0;
  std::array<unsigned char, 11> buttonMap{0xF1, 0xF2, 0xF3, 0xFE, 0xF4, 0xF5,
                                          0x28, 0xF6, 0xF7, 0xF8, 0xF9};
  // Macro blocks by firmware button number; each block is the command's bytes after the
  // sub-command (button, plays, events..., as received).
  std::map<int, std::vector<std::vector<unsigned char>>> macros;
  int firmware = 0x03;  // "0.3"

  bool operator==(const SimMouseState&) const = default;
  // One text the state file holds; Parse refuses (false, `out` untouched) a malformed text.
  std::string Serialize() const;
  static bool Parse(const std::string& text, SimMouseState& out);
};

class SimulatedMouse : public HidBackend {
 public:
  // Factory state, no files.
  SimulatedMouse();
  // Loads the state from `statePath` when it holds one (and saves there after every change);
  // appends the trace to `tracePath`. Empty paths turn either off.
  SimulatedMouse(std::string statePath, std::string tracePath);
  // The mouse the program uses with KZMOUSE_DEVICE=sim: KZMOUSE_SIM_STATE and KZMOUSE_SIM_TRACE.
  static std::shared_ptr<SimulatedMouse> FromEnvironment();
  ~SimulatedMouse() override;

  // HidBackend
  int Open(unsigned short vendorId, unsigned short productId, std::string& error) override;
  void Close() override;
  int Write(const unsigned char* bytes, int count, std::string& error) override;
  int Read(unsigned char* buffer, int capacity, std::string& error) override;
  std::vector<std::string> PresentIdentifiers() override;
  bool IsSimulated() const override { return true; }

  // The 25-byte status report of the current state (does not clear the activity).
  std::vector<unsigned char> StatusReport() const;
  SimMouseState State() const;
  // Why the state file was not taken (a malformed one is then moved to "<path>.bad"; a link or a
  // special file is left where it is and never saved over); "" when all was well.
  std::string StateProblem() const;
  // Why the trace file is not written (a link or a special file at its path); "" when it is.
  std::string TraceProblem() const;
  void SetState(const SimMouseState& state);
  void ResetToFactory();

  // What tests make the mouse do. Each call stands for one report's worth of activity: while the
  // connection is open the mouse sends a status report carrying it at once, as the real one does
  // after a batch of clicks; otherwise it waits for the next report.
  void Click(unsigned char flags);       // StatusReport::kClick* bits
  void Scroll(bool up);                  // wheel up / down
  void Move(int counts);                 // adds to the movement count (saturates at 0xFFFF)
  void PushReport(std::vector<unsigned char> report);  // any report, delivered to the next read
  void Unplug();                         // a blocked read fails; writes and opens fail
  void Plug();                           // tells the plug observers
  bool IsPlugged() const;
  void SetRefuseWrites(bool refuse);     // writes fail with kHidErrRefused
  void SetFailReads(bool fail);          // reads fail with kHidErrRead (a blocked one at once)
  bool IsOpen() const;

  // What the mouse has received.
  // "03 10 04 01 20 40 80 A4", one per command; the newest kTraceLimit are kept in memory (the trace
  // file has them all).
  std::vector<std::string> Trace() const;
  static constexpr size_t kTraceLimit = 100000;
  void ClearTrace();
  std::array<unsigned char, 11> ButtonMap() const;
  std::map<int, std::vector<std::vector<unsigned char>>> MacroBlocks() const;
  std::string FirmwareText() const;
  int FirmwareRecordCount() const;  // records of the last (or running) firmware update

  // Called (from the thread that calls Plug) after each Plug; returns an id for removal.
  int AddPlugObserver(std::function<void()> observer);
  void RemovePlugObserver(int id);

  // The identifier the simulated mouse is listed under.
  static constexpr const char* kIdentifier = "USB\\VID_7616&PID_530A\\SIM0001";

 private:
  void ApplyCommand(const unsigned char* bytes, int count);  // with mutex_ held
  void SaveStateLocked() const;
  std::vector<unsigned char> StatusReportLocked() const;
  void ReportActivityLocked();

  mutable std::mutex mutex_;
  std::condition_variable readable_;
  SimMouseState state_;
  std::string statePath_, tracePath_, stateProblem_, traceProblem_;
  std::deque<std::string> trace_;
  std::deque<std::vector<unsigned char>> pending_;  // reports waiting for a read
  bool open_ = false, plugged_ = true, refuseWrites_ = false, failReads_ = false;
  // Bumped by Close and Unplug so that a blocked Read notices even when the mouse is opened or
  // plugged in again before it wakes.
  unsigned long closeEpoch_ = 0, unplugEpoch_ = 0;
  int clickFlags_ = 0, movement_ = 0;
  bool flashing_ = false;
  int flashRecords_ = 0;
  int flashedVersion_ = -1;
  std::map<int, std::function<void()>> plugObservers_;
  int nextObserverId_ = 1;
};

}  // namespace kz::device
