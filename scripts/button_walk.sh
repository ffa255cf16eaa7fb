#!/usr/bin/env bash
# The button page as a user drives it, under Xvfb with the simulated mouse: Shift+A on button 5
# through the menu's single-key dialog, then a macro set and a macro of four recorded key strokes
# made in the macro manager and given to button 6; each applied, and the simulated mouse's trace
# checked for the commands. Screenshots of each step go to OUT_DIR.
# Usage: scripts/button_walk.sh [OUT_DIR]   (builds first; needs Xvfb, xdotool, ImageMagick)
set -euo pipefail
cd "$(dirname "$0")/.."
OUT=$(realpath -m "${1:-screenshots}")
mkdir -p "$OUT"
XVFB_DISPLAY=:94
source scripts/xvfb_session.sh
FAILED=0

# Window places: the tab "按键设置" (2003) at 523..657 x 67..97, "应用" (2008) at 46..146 x
# 391..424; the page sits at 148, 187 with button 5 at 44..216 x 351..385 of it, button 6 72 below.
APPLY="96 407"
# Apply, and the tip "成功！" it shows when the mouse has taken it closed again (its OK sits at
# 501, 409 of the main window, over which it is centred).
apply() { click $APPLY 1.5; click 501 409; }
click 590 82 1
shot "$OUT/buttons_page.png"

# Button 5: its menu, then "单键设定" (second item), Shift+A, OK (at 80..180 x 186..216).
click 278 555 1
shot "$OUT/buttons_menu.png"
keys Down Down Return
DIALOG=$(xdotool getwindowfocus -f)
keys shift+a
shot "$OUT/buttons_single_key.png"
click_in "$DIALOG" 130 201
apply
expect_trace "03 11 00 F1 F2 F3 FE FF F5 28 F6 F7 F8 F9"
expect_trace "03 14 06 00 81 E1 00 00 81 04 00 00 82 E1 00 00 82 04 00 00 58"

# Button 6: "宏定义集" > "创建宏定义集..." opens the manager.
click 278 627 1
keys Down Down Down Right Return
sleep 1
MANAGER=$(xdotool getwindowfocus -f)
# The set button (21..247 x 87..111) offers "添加宏定义集" after the (no) sets; a name, Enter.
click_in "$MANAGER" 134 99
keys Down Return
sleep 0.5
xdotool type --delay 80 "Games"; keys Return
# "新建宏" (25..126 x 549..583), a name, Enter.
click_in "$MANAGER" 75 566
xdotool type --delay 80 "copy"; keys Return
# The delay toggle (548..748 x 197..226 of the manager), record (541..706 x 144..179), four key
# strokes a little apart, record again to stop.
click_in "$MANAGER" 560 211
click_in "$MANAGER" 623 161
for key in c o p y; do xdotool key "$key"; sleep 0.3; done
click_in "$MANAGER" 623 161
shot "$OUT/buttons_macro_manager.png"
# "保存" (564..663 x 546..582) saves the macro and closes the manager.
click_in "$MANAGER" 613 564 1
# Button 6 again: "宏定义集" > "Games" > "copy".
click 278 627 1
keys Down Down Down Right Down Right Down Return
apply
if grep -q "^03 14 05 00 " "$HOME_DIR/trace.txt"; then
  echo "trace holds the macro block for firmware button 5: $(grep "^03 14 05 00 " "$HOME_DIR/trace.txt" | tail -n 1)"
else
  echo "MISSING from the trace: a macro block for firmware button 5" >&2; FAILED=1
fi
quit_app
echo "screenshots: $OUT/buttons_page.png $OUT/buttons_menu.png $OUT/buttons_single_key.png $OUT/buttons_macro_manager.png"
exit $FAILED
