#pragma once
// The support page (slot 4): the software and firmware version labels, the new-version label,
// firmware update from a file (5000), the update check (5001), a button without action (5002) and
// the support mail (5003). The page binds controls to a SupportModel, which owns the checks and
// the flashing; status lines show in the kit's tip box and in the page's status area, where a bar
// follows downloads (bytes) and flashing (records).
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "gui/kit/cdlg_base.h"

class QLabel;
class QProgressBar;

namespace kz::app {
class Services;
}
namespace kz::update {
class Downloader;
class SupportModel;
}  // namespace kz::update

namespace kzgui {

namespace kit {
class SkinButton;
}

class CDlgSupport : public kit::CDlgBase {
  Q_OBJECT
 public:
  enum Command { kFlashFromFile = 5000, kCheck = 5001, kNoAction = 5002, kMail = 5003 };
  static constexpr const char* kSupportMail = "support@kzmouse.example";

  struct Options {
    kz::app::Services* services = nullptr;  // required
    // nullptr: the HTTP client's download.
    std::shared_ptr<kz::update::Downloader> downloader;
    std::string manifestUrl;  // empty: from KZMOUSE_UPDATE_HOST
    int checkDelayMs = 1000;
    bool silentCheck = true;
    // Status lines also open the kit's modal tip box (tests look at the status area instead).
    bool useTipBox = true;
    // The questions the page asks and the outside it reaches; defaults are the real dialogs.
    std::function<bool()> askPlugIn;               // OK (true) or Cancel
    std::function<QString()> chooseImage;          // empty: cancelled
    std::function<bool(const QString& url)> openUrl;
    // The update is extracted: close the database and the channel, start the updater, end with 1.
    std::function<void()> handOff;
  };

  explicit CDlgSupport(Options options, QWidget* parent = nullptr);
  ~CDlgSupport() override;

  void RunCommand(int id);
  // The page's stop: the open tip box closes as by OK and a running check ends.
  void Stop();

  kz::update::SupportModel& Model() { return *model_; }
  kit::SkinButton* Button(int id) const;
  QLabel* SoftwareLabel() const { return software_; }
  QLabel* FirmwareLabel() const { return firmware_; }
  QLabel* NewVersionLabel() const { return newVersion_; }
  QLabel* StatusText() const { return status_; }
  QProgressBar* ProgressBar() const { return progress_; }
  void Refresh() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void PaintBackground(QPainter& painter) override;

 private:
  void ShowStatusLines(const QString& joined);
  void ShowProgress(long long done, long long total);
  void FlashFromFile();
  void SendMail();

  Options options_;
  std::shared_ptr<kz::update::Downloader> downloader_;
  std::unique_ptr<kz::update::SupportModel> model_;
  kit::SkinButton* buttons_[4] = {};
  QLabel* software_ = nullptr;
  QLabel* firmware_ = nullptr;
  QLabel* newVersion_ = nullptr;
  QLabel* status_ = nullptr;
  QProgressBar* progress_ = nullptr;
  bool tipPending_ = false;
};

}  // namespace kzgui
