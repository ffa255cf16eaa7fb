#pragma once
// Key events as the key capture reports them: the Windows virtual-key code of the key that was
// pressed, the code the key table and the stored macros speak. The physical key (the window
// system's native scan code, an evdev code + 8 under X11 and Wayland) decides where it is given,
// so left and right modifiers and the number pad keep apart whatever the layout; Qt's key is the
// fallback where no scan code comes (synthesised events, other platforms).
#include <QKeyEvent>

namespace kzgui {

// 0 when the key has no virtual-key code the program knows.
int VirtualKeyOfScanCode(quint32 nativeScanCode);
int VirtualKeyOfQtKey(int qtKey, Qt::KeyboardModifiers modifiers);
int VirtualKeyOf(const QKeyEvent& event);

// The key message of an event as the recorder and the single-key dialog take it.
inline constexpr int kVirtualKeyDown = 0x100;
inline constexpr int kVirtualKeyUp = 0x101;

}  // namespace kzgui
