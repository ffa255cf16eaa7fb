#pragma once
// The macro editing page inside the macro manager: the open macro's events, recording them from
// the keyboard, the delay toggle, and how often the macro plays. While recording, every key
// pressed or released while the page has the keyboard focus is recorded, Tab, Escape and Enter
// included, so neither focus moves nor dialog keys take a key away from the macro.
//
// User-interface thread only. The page saves the open macro before it opens another one and when
// it goes, so no edit is lost when the manager is closed.
#include <chrono>
#include <optional>
#include <string>

#include "gui/kit/cdlg_base.h"
#include "macro/macro_recorder.h"
#include "macro/open_macro.h"

class QAbstractButton;
class QKeyEvent;
class QTreeWidget;

namespace kzgui {

namespace kit {
class NumberEdit;
class SkinButton;
class ToggleButton;
}  // namespace kit

class CDlgMacroSet : public kit::CDlgBase {
  Q_OBJECT
 public:
  using Clock = kz::macro::MacroRecorder::Clock;
  enum Command { kRecord = 7000, kDelay = 7001, kRepeat = 7002 };
  static constexpr int kWidth = 520;
  static constexpr int kHeight = 450;

  // `clock` times key events that come without a timestamp of the window system.
  CDlgMacroSet(kz::store::Database& db, Clock clock, QWidget* parent = nullptr);
  ~CDlgMacroSet() override;

  // Saves the open macro, then opens this one. Recording goes on, into the new macro's events.
  void LoadMacro(long long macroId, long long setId, const std::string& setGuid);
  // Saves and closes the open macro (its set went, or the macro itself); recording stops.
  void CloseMacro();
  bool SaveMacro() { return open_.Save(); }
  const kz::macro::OpenMacro& Macro() const { return open_; }

  // Without an open macro the user is told to pick a set first and nothing starts.
  void StartRecording();
  void StopRecording();
  bool Recording() const { return recorder_.Recording(); }

  void Refresh() override;

  // 7000 is a SkinButton, 7001 and 7002 ToggleButtons; nullptr for any other ID.
  QAbstractButton* Button(int id) const;
  QTreeWidget* eventList() const { return events_; }
  kit::NumberEdit* repeatCountEdit() const { return repeatCount_; }

 protected:
  bool event(QEvent* event) override;

 private:
  void Capture(const QKeyEvent& event);
  std::optional<std::chrono::steady_clock::time_point> EventTime(const QKeyEvent& event);
  void RepeatCountEdited(int count);
  void ShowEvents();

  kz::macro::OpenMacro open_;
  Clock clock_;
  kz::macro::MacroRecorder recorder_;
  // Where the window system's timestamps (milliseconds since some start of its own) sit on the
  // clock's time line; set by the first stamped event of a recording, so stamped and unstamped
  // events of one recording can be compared.
  std::optional<std::chrono::steady_clock::duration> stampOrigin_;

  QTreeWidget* events_ = nullptr;
  kit::SkinButton* record_ = nullptr;
  kit::ToggleButton* delay_ = nullptr;
  kit::ToggleButton* repeat_ = nullptr;
  kit::NumberEdit* repeatCount_ = nullptr;
};

}  // namespace kzgui
