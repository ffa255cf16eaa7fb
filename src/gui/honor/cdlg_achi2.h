#pragma once
// The honor page (slot 3): nine category buttons (commands 5001 to 5009), five level slots (a
// medal and a title over a condition) showing the picked category as the core describes it
// (CHonor::Show), the button (command 5000) back to the statistics page, and the honor check of
// every category every 30 seconds. The check does not redraw the shown category.
#include <array>
#include <ctime>
#include <functional>
#include <string>

#include "gui/kit/cdlg_base.h"
#include "honor/honor_slots.h"

class QLabel;
class QTimer;

namespace kz::store {
class Database;
}

namespace kzgui {

namespace kit {
class Medal;
class SkinButton;
}  // namespace kit

class CDlgAchi2 : public kit::CDlgBase {
  Q_OBJECT
 public:
  static constexpr int kBackCommand = 5000;
  static constexpr int kFirstCategory = 5001;
  static constexpr int kLastCommand = 5101;
  static constexpr int kCheckIntervalMs = 30000;

  using UserSource = std::function<std::string()>;
  using TimeSource = std::function<std::time_t()>;
  CDlgAchi2(kz::store::Database& db, UserSource user, TimeSource now, QWidget* parent = nullptr);

  // 5000: back to the statistics page; 5001 to 5009: show that category; others up to 5101: nothing.
  void RunCommand(int id);
  // The honor check of every category for the current user; the rows it added.
  int CheckHonors();

  // The category shown (1 to 9), 0 before one is picked.
  int ShownCategory() const { return shown_; }
  kit::SkinButton* CategoryButton(int type) const;
  kit::SkinButton* BackButton() const { return back_; }
  QLabel* SlotTitle(int slot) const { return slots_.at(static_cast<size_t>(slot)).title; }
  QLabel* SlotCondition(int slot) const { return slots_.at(static_cast<size_t>(slot)).condition; }
  kit::Medal* SlotMedal(int slot) const { return slots_.at(static_cast<size_t>(slot)).medal; }
  QTimer* CheckTimer() const { return checkTimer_; }

 signals:
  // Command 5000: the window hides this page and shows the statistics page.
  void showStatisticsPage();

 protected:
  void PaintBackground(QPainter& painter) override;

 private:
  struct SlotWidgets {
    kit::Medal* medal = nullptr;
    QLabel* title = nullptr;
    QLabel* condition = nullptr;
  };
  void ShowCategory(int type);
  void ShowSlots(const kz::honor::HonorSlots& slots);

  kz::store::Database& db_;
  UserSource user_;
  TimeSource now_;
  int shown_ = 0;
  kit::SkinButton* back_ = nullptr;
  std::array<kit::SkinButton*, 9> categories_{};
  std::array<SlotWidgets, kz::honor::kHonorSlotCount> slots_{};
  QTimer* checkTimer_ = nullptr;
};

}  // namespace kzgui
