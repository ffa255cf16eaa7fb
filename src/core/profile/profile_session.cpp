#include "profile/profile_session.h"

#include "base/log.h"
#include "device/status_report.h"
#include "store/users.h"

namespace kz::profile {

ProfileSession::ProfileSession(store::Database& db, Session& session,
                               std::shared_ptr<settings::PointerSettings> pointer, device::SequenceWriter& writer,
                               Options options)
    : db_(db),
      session_(session),
      writer_(writer),
      options_(options),
      mouse_(db, std::move(pointer)),
      buttons_(db),
      lights_(db) {}

void ProfileSession::SetActiveProfile(int profile) {
  owner_.Check("profile session");
  activeProfile_ = profile >= 1 && profile <= store::kProfileCount ? profile : 1;
}

void ProfileSession::SetSlotModel(int slot, SlotModel* model) {
  owner_.Check("profile session");
  if (slot >= 0 && slot < kSlotCount) slotModels_[static_cast<size_t>(slot)] = model;
}

SlotModel* ProfileSession::SlotModelAt(int slot) const {
  return slot >= 0 && slot < kSlotCount ? slotModels_[static_cast<size_t>(slot)] : nullptr;
}

settings::ProfileKey ProfileSession::Key() const { return {session_.UserName(), activeProfile_}; }

bool ProfileSession::SelectProfile(int profile) {
  if (profile < 1 || profile > store::kProfileCount) return false;
  SetActiveProfile(profile);
  LoadAll();
  return true;
}

settings::LoadResult ProfileSession::LoadAll() {
  owner_.Check("profile session");
  using settings::LoadResult;
  const settings::ProfileKey key = Key();
  LoadResult result = LoadResult::kLoaded;
  std::string reason;
  // Each page reads the same row, so they agree on whether it is there; a page whose read failed
  // keeps what it shows rather than pass factory values off as the stored ones.
  auto take = [&](LoadResult page, auto reset) {
    if (page == LoadResult::kNoRow) {
      reset();
      if (result == LoadResult::kLoaded) result = LoadResult::kNoRow;
    } else if (page == LoadResult::kFailed && result != LoadResult::kFailed) {
      reason = db_.GetLastErrorString();  // the first failure's; later reads may overwrite it
      result = LoadResult::kFailed;
    }
  };
  take(mouse_.Load(key), [this] { mouse_.ResetToDefaults(); });
  if (options_.buttonPage) take(buttons_.Load(key), [this] { buttons_.ResetToDefaults(); });
  take(lights_.Load(key), [this] { lights_.ResetToDefaults(); });
  for (SlotModel* model : slotModels_)
    if (model) model->LoadFromStore(db_, key.user);
  if (result == LoadResult::kFailed) {
    Log("load profile %d of %s failed: %s", key.profile, key.user.c_str(), reason.c_str());
    db_.SetLastError(reason);
  }
  return result;
}

bool ProfileSession::SaveAll() {
  std::vector<int> slots = {kMouseSettingsSlot, kButtonSlot, kLightingSlot};
  for (int slot = 0; slot < kSlotCount; ++slot)
    if (SlotModelAt(slot)) slots.push_back(slot);
  return Save(slots);
}

bool ProfileSession::Save(const std::vector<int>& slots) {
  owner_.Check("profile session");
  const settings::ProfileKey key = Key();
  store::Transaction transaction(db_);
  bool ok = transaction.Active();
  for (int slot : slots) {
    if (!ok) break;
    if (slot == kMouseSettingsSlot) ok = mouse_.SaveToStore(key);
    if (slot == kButtonSlot && options_.buttonPage) ok = buttons_.SaveToStore(key);
    if (slot == kLightingSlot) ok = lights_.SaveToStore(key);
    if (SlotModel* model = SlotModelAt(slot)) ok = model->SaveToStore(db_, key.user);
  }
  ok = ok && transaction.Commit();
  if (ok)
    for (int slot : slots)
      if (SlotModel* model = SlotModelAt(slot)) model->Stored();
  if (!ok) Log("save profile %d of %s failed: %s", key.profile, key.user.c_str(), db_.GetLastErrorString().c_str());
  return ok;
}

void ProfileSession::ResetAll() {
  owner_.Check("profile session");
  mouse_.ResetToDefaults();
  if (options_.buttonPage) buttons_.ResetToDefaults();
  lights_.ResetToDefaults();
  for (SlotModel* model : slotModels_)
    if (model) model->ResetToDefaults();
}

device::WriteSequence ProfileSession::SlotWrite(int slot) const {
  switch (slot) {
    case kMouseSettingsSlot:
      return mouse_.BuildWrite();
    case kButtonSlot:
      return options_.buttonPage ? buttons_.BuildWrite() : device::WriteSequence();
    case kLightingSlot:
      return lights_.BuildWrite();
    default:
      return {};
  }
}

void ProfileSession::Write(const std::vector<int>& slots, Done done) {
  device::WriteSequence write;
  ButtonCommands buttons;
  for (int slot : slots)
    if (HasPage(slot)) write.Append(PageWrite(slot, buttons));
  Submit(std::move(write), buttons, std::move(done));
}

void ProfileSession::WriteProfile(Done done) {
  device::WriteSequence write;
  ButtonCommands buttons;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (!HasPage(slot)) continue;
    device::WriteSequence page = PageWrite(slot, buttons);
    if (!page.HasCommands()) continue;
    if (write.HasCommands()) write.Pause(settings::kCommandPauseMs);
    write.Append(page);
  }
  Submit(std::move(write), buttons, std::move(done));
}

void ProfileSession::WriteAll(Done done) {
  device::WriteSequence write;
  ButtonCommands buttons;
  write.Log("Start Write Data ");
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (!HasPage(slot)) continue;
    write.Append(PageWrite(slot, buttons));
    write.Pause(settings::kCommandPauseMs);
  }
  write.Log("Write Data Complete");
  Submit(std::move(write), buttons, std::move(done));
}

bool ProfileSession::FactoryReset(Done done) {
  ResetAll();
  if (!SaveAll()) return false;
  WriteAll(std::move(done));
  return true;
}

bool ProfileSession::ApplyStatusReport(const device::StatusReport& report) {
  owner_.Check("profile session");
  session_.SetFirmwareVersion(report.FirmwareText());
  mouse_.ApplyDeviceStatus(report);
  lights_.ApplyDeviceStatus(report);
  const settings::MouseSettings& settings = mouse_.Settings();
  const settings::DpiLevel& active = settings.levels[static_cast<size_t>(settings.activeLevel)];
  for (SlotModel* model : slotModels_)
    if (model) model->ApplyStatusReport(report, active.enabled ? active.value : 0);
  bool saved = SaveAll();
  if (options_.buttonPage) {
    ButtonCommands buttons;
    device::WriteSequence write = PageWrite(kButtonSlot, buttons);
    // Every report would otherwise send the whole map and every macro again, seconds of traffic
    // for nothing; the mouse keeps what it was sent.
    if (!(sentButtons_->valid && sentButtons_->commands == *buttons)) Submit(std::move(write), buttons, {});
  }
  return saved;
}

void ProfileSession::ForgetSentButtons() { sentButtons_->valid = false; }

device::WriteSequence ProfileSession::PageWrite(int slot, ButtonCommands& buttons) const {
  device::WriteSequence page = SlotWrite(slot);
  if (slot == kButtonSlot && options_.buttonPage) buttons = page.Commands();
  return page;
}

void ProfileSession::Submit(device::WriteSequence sequence, const ButtonCommands& buttons, Done done) {
  if (!buttons) {
    writer_.Submit(std::move(sequence), std::move(done));
    return;
  }
  // Taken as sent at once, so that reports arriving while the write is under way do not queue
  // copies of it; a refusal makes the next report send it again.
  sentButtons_->valid = true;
  sentButtons_->commands = *buttons;
  std::weak_ptr<SentButtons> sent = sentButtons_;
  writer_.Submit(std::move(sequence), [sent, done = std::move(done)](bool ok) {
    if (auto buttons = sent.lock(); buttons && !ok) buttons->valid = false;
    if (done) done(ok);
  });
}

}  // namespace kz::profile
