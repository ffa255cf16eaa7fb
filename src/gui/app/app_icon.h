#pragma once
// The program's icon (window and tray), drawn rather than shipped.
#include <QIcon>

namespace kzgui {
QIcon AppIcon();
}
