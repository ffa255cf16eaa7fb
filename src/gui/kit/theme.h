#pragma once
// The kit's one dark look: colours, caption fonts and the panel and button faces every skinned widget
// paints with, so that pages drawn by different classes still look like one window.
#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;

namespace kzgui::kit {

class Theme {
 public:
  // Colours of the look. Accent marks what is chosen (a highlighted tab, the active profile).
  static QColor Window() { return QColor(0x14, 0x16, 0x1b); }
  static QColor Panel() { return QColor(0x1c, 0x1f, 0x26); }
  static QColor PanelRaised() { return QColor(0x26, 0x2a, 0x33); }
  static QColor Border() { return QColor(0x33, 0x38, 0x43); }
  static QColor BorderLight() { return QColor(0x4a, 0x51, 0x5f); }
  static QColor Accent() { return QColor(0xe0, 0x4f, 0x2e); }
  static QColor AccentLight() { return QColor(0xff, 0x7a, 0x4d); }
  static QColor Text() { return QColor(0xe8, 0xea, 0xee); }
  static QColor TextDim() { return QColor(0x8d, 0x95, 0xa3); }
  static QColor TextDisabled() { return QColor(0x5a, 0x60, 0x6b); }
  static QColor EditBackground() { return QColor(0x00, 0x00, 0x00); }
  static QColor EditText() { return QColor(0xff, 0xff, 0xff); }

  // A font that carries Chinese glyphs; the size is in pixels so fixed button rectangles keep
  // their captions whatever the screen's DPI setting.
  static QFont Font(int pixelSize, bool bold = false);

  // A dark panel with a faint top light and a subtle border; raised panels sit on other panels.
  static void PaintPanel(QPainter& painter, const QRectF& rect, bool raised = false);
  // The mouse seen from above, filling `body`: its shell and the split of the two main buttons.
  // The pages that show the mouse draw their marks over it.
  static void PaintMouseBody(QPainter& painter, const QRectF& body);
  // The largest body of width / height `aspect` centred in `room`.
  static QRectF MouseBodyIn(const QRectF& room, qreal aspect);

  // Face of a button in one of its states. `highlighted` wins over hover; `pressed` over both.
  struct FaceState {
    bool hover = false;
    bool pressed = false;
    bool highlighted = false;
    bool enabled = true;
  };
  static void PaintButtonFace(QPainter& painter, const QRectF& rect, qreal radius,
                              const FaceState& state);

  // Draws `text` centred in `rect`, shrinking the font (not below 9 px) until it fits the width.
  static void PaintCaption(QPainter& painter, const QRectF& rect, const QString& text,
                           int pixelSize, const QColor& colour, bool bold = false);

  // Style sheet of the white-on-black edit fields.
  static QString EditStyleSheet();
};

}  // namespace kzgui::kit
