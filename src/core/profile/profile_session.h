#pragma once
// The settings of the active profile as the window and the command-line tool use them: the page
// models in slot order, and the walks over them (load all, save all, write, factory reset, select
// a profile, take a status report). There is one copy of each walk, whoever asks for it.
//
// Owned by one thread (the window thread). Writes go to a SequenceWriter: the window's writer
// thread, or a direct writer where waiting is fine; results come back on the owning thread.
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/session.h"
#include "base/thread_owner.h"
#include "device/write_sequence.h"
#include "profile/slot_model.h"
#include "settings/button_model.h"
#include "settings/lighting_model.h"
#include "settings/mouse_settings_model.h"
#include "store/database.h"

namespace kz::device {
struct StatusReport;
}

namespace kz::profile {

inline constexpr int kSlotCount = 10;
inline constexpr int kMouseSettingsSlot = 0;
inline constexpr int kButtonSlot = 1;
inline constexpr int kLightingSlot = 2;

class ProfileSession {
 public:
  using Done = device::SequenceWriter::Done;

  struct Options {
    // Slots 0 .. pageSlots-1 hold a page; a slot without a model takes part in every walk with
    // the default page operations (nothing to load, store or send).
    int pageSlots = 6;
    // Slot 1 carries the button model.
    bool buttonPage = true;
  };

  ProfileSession(store::Database& db, Session& session, std::shared_ptr<settings::PointerSettings> pointer,
                 device::SequenceWriter& writer, Options options);
  ProfileSession(const ProfileSession&) = delete;
  ProfileSession& operator=(const ProfileSession&) = delete;

  settings::MouseSettingsModel& MouseSettings() { return mouse_; }
  settings::ButtonModel& Buttons() { return buttons_; }
  settings::LightingModel& Lighting() { return lights_; }
  bool HasButtonPage() const { return options_.buttonPage; }
  bool HasPage(int slot) const { return slot >= 0 && slot < options_.pageSlots && slot < kSlotCount; }
  // Puts a model of the user's own (not of a profile) into a page slot, where every walk takes it
  // along; nullptr takes it out. The model outlives the session or is taken out first.
  void SetSlotModel(int slot, SlotModel* model);
  SlotModel* SlotModelAt(int slot) const;

  // 1..5 once a user is loaded.
  int ActiveProfile() const { return activeProfile_; }
  // Takes a profile outside 1..5 as 1; loads nothing.
  void SetActiveProfile(int profile);
  // The current user's active profile row.
  settings::ProfileKey Key() const;

  // Makes `profile` active and loads all pages; false (nothing changes) outside 1..5.
  bool SelectProfile(int profile);
  // Each page from its row (kLoaded), or its factory values where the profile has no row
  // (kNoRow). kFailed when the row could not be read: logged, the database's last error says why,
  // and the pages that could not read it keep what they held.
  settings::LoadResult LoadAll();
  // Every page into the profile row, as one transaction: all or nothing. False (logged, with the
  // database's reason) when the row could not be written.
  bool SaveAll();
  // The same for the pages of these slots only.
  bool Save(const std::vector<int>& slots);
  // Factory values on every page.
  void ResetAll();

  // What slot `slot` sends to the mouse (empty for a slot without device settings).
  device::WriteSequence SlotWrite(int slot) const;
  // Sends the slots in the order given, stopping at the first refusal (apply).
  void Write(const std::vector<int>& slots, Done done);
  // The pages that have device settings, in slot order, with the mouse's pause between them (the
  // command-line tool's write of a profile).
  void WriteProfile(Done done);
  // Every page in slot order with the mouse's pause after each, between "Start Write Data " and
  // "Write Data Complete"; a refusal stops it quietly (factory reset).
  void WriteAll(Done done);
  // Factory values on every page, stored, then written (WriteAll). False when they could not be
  // stored: then nothing is sent and `done` is not called.
  bool FactoryReset(Done done);

  // Takes the mouse's state into the pages and the firmware version, stores all pages, and sends
  // the button assignments back unless the mouse already has exactly these. False when storing
  // failed (the pages still show the mouse's state).
  bool ApplyStatusReport(const device::StatusReport& report);
  // The mouse may have lost what was sent (a new connection, another mouse): the next write-back
  // goes out whatever was sent before.
  void ForgetSentButtons();

 private:
  // What the mouse was last sent for its buttons, shared with the writer's result callbacks, which
  // may arrive after this object is gone.
  struct SentButtons {
    bool valid = false;
    std::vector<std::string> commands;
  };
  // The button page's commands when a sequence carries them, so the write-back can tell what the
  // mouse was sent without building the page's write (and reading its macros) a second time.
  using ButtonCommands = std::optional<std::vector<std::string>>;
  device::WriteSequence PageWrite(int slot, ButtonCommands& buttons) const;
  void Submit(device::WriteSequence sequence, const ButtonCommands& buttons, Done done);

  store::Database& db_;
  Session& session_;
  device::SequenceWriter& writer_;
  const Options options_;
  settings::MouseSettingsModel mouse_;
  settings::ButtonModel buttons_;
  settings::LightingModel lights_;
  int activeProfile_ = 1;
  std::shared_ptr<SentButtons> sentButtons_ = std::make_shared<SentButtons>();
  std::array<SlotModel*, kSlotCount> slotModels_{};
  ThreadOwner owner_;
};

}  // namespace kz::profile
