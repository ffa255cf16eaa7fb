#include "settings/button_commands.h"

#include <algorithm>
#include <cstdio>

#include "keys/key_codes.h"

namespace kz::settings {

const ButtonDefault kButtonDefaults[kButtonCount] = {
    {"鼠标左键", "F1"},     {"鼠标右键", "F2"},   {"通用的滚轴键", "F3"}, {"DPI-分辨率循环", "FE"},
    {"前进方向键", "F4"},   {"后退方向键", "F5"}, {"侧按键", "28"},       {"滚轴键向前", "F6"},
    {"滚轴键向后", "F7"},   {"侧滚轴键向前", "F8"}, {"侧滚轴键向后", "F9"},
};

bool ButtonSlot::HasKey() const { return key != 0 && DeviceKeyCodeOf(key) != 0; }

int FirmwareButtonNumber(int pageNumber) {
  if (pageNumber == 5) return 6;
  if (pageNumber == 6) return 5;
  return pageNumber;
}

namespace {
std::string Hex2(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", value & 0xFF);
  return text;
}
}  // namespace

std::string FunctionCode(const ButtonSlot& slot, int pageNumber) {
  if (slot.HasMacro() || slot.HasKeyCombination()) return "FF";
  if (slot.HasKey()) return Hex2(DeviceKeyCodeOf(slot.key));
  return kButtonDefaults[std::clamp(pageNumber, 1, kButtonCount) - 1].code;
}

std::string ButtonMapCommand(const ButtonSlots& slots) {
  std::string text = "03 11 00 ";
  for (int number = 1; number <= kButtonCount; ++number)
    text += FunctionCode(slots[static_cast<size_t>(number - 1)], number) + " ";
  return text;
}

std::string PlaysField(int plays) { return Hex2(std::clamp(plays, 1, 255) - 1); }

std::string ButtonMacroCommand(int blockIndex, int pageNumber, int plays, const std::string& block) {
  return "03 " + std::to_string(14 + blockIndex) + " " + Hex2(FirmwareButtonNumber(pageNumber)) + " " +
         PlaysField(plays) + " " + block;
}

std::string KeyComboMacro(const ButtonSlot& slot, int pageNumber) {
  std::string key = Hex2(DeviceKeyCodeOf(slot.key));
  std::string text = "03 14 " + Hex2(FirmwareButtonNumber(pageNumber)) + " 00 ";
  for (int bit : kModifierBits)
    if (slot.modifiers & bit) text += std::string("81 ") + ModifierDeviceCodeText(bit) + " 00 00 ";
  text += "81 " + key + " 00 00 ";
  for (int bit : kModifierBits)
    if (slot.modifiers & bit) text += std::string("82 ") + ModifierDeviceCodeText(bit) + " 00 00 ";
  text += "82 " + key + " 00 00 58";
  return text;
}

}  // namespace kz::settings
