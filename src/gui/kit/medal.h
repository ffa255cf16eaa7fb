#pragma once
// A medal picture drawn with the painter: a ribbon and a round medal with a star, gold when
// earned, a grey outline when it is the next goal.
#include <QWidget>

namespace kzgui::kit {

class Medal : public QWidget {
  Q_OBJECT
 public:
  enum class Look { Earned, NextGoal };

  explicit Medal(Look look = Look::NextGoal, QWidget* parent = nullptr);

  Look look() const { return look_; }
  void setLook(Look look);

  static void Paint(QPainter& painter, const QRectF& rect, Look look);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Look look_;
};

}  // namespace kzgui::kit
