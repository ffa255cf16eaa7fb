#pragma once
// Base of a settings page that is a view over a core model: the model owns the state and the page
// operations, the page shows it. Every page operation runs on the model and then shows the whole
// model again, so a derived page only builds its controls and writes Refresh().
#include <QMetaObject>
#include <QThread>
#include <functional>

#include "device/status_report.h"
#include "gui/kit/cdlg_base.h"
#include "settings/profile_key.h"

namespace kzgui {

// Which profile row the page's own operations work on (the window's profile session knows).
using ProfileKeySource = std::function<kz::settings::ProfileKey()>;

template <typename Model>
class ModelPage : public kit::CDlgBase {
 public:
  Model& model() { return model_; }

  bool WriteToDevice() override { return model_.WriteToDevice(); }
  bool LoadFromStore() override {
    const bool loaded = model_.LoadFromStore(key_());
    Refresh();
    return loaded;
  }
  bool SaveToStore() override {
    const bool saved = model_.SaveToStore(key_());
    Refresh();
    return saved;
  }
  void ResetToDefaults() override {
    model_.ResetToDefaults();
    Refresh();
  }
  // Takes the mouse's state. Safe from any thread: a report from another thread is queued to the
  // page's thread (and dropped if the page is gone by then).
  void ApplyDeviceStatus(const kz::device::StatusReport& report) {
    if (QThread::currentThread() != thread()) {
      QMetaObject::invokeMethod(this, [this, report] { ApplyDeviceStatus(report); }, Qt::QueuedConnection);
      return;
    }
    model_.ApplyDeviceStatus(report);
    Refresh();
  }

  // Shows the model in every control without triggering any action.
  void Refresh() override = 0;

 protected:
  // Runs a user action on the model and shows the result; ignored while Refresh() sets controls,
  // so showing the model never acts on it.
  template <typename Action>
  void Act(Action&& action) {
    if (refreshing_) return;
    action();
    Refresh();
  }

  // The model belongs to whoever made the page (the window's profile session, or a test).
  ModelPage(Model& model, ProfileKeySource key, QWidget* parent)
      : kit::CDlgBase(parent, Qt::Widget), model_(model), key_(std::move(key)) {}

  Model& model_;
  ProfileKeySource key_;
  bool refreshing_ = false;  // set by Refresh() while it sets controls
};

}  // namespace kzgui
