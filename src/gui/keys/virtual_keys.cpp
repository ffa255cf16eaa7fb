#include "gui/keys/virtual_keys.h"

#include <linux/input-event-codes.h>

#include <unordered_map>

namespace kzgui {
namespace {

// X11 and Wayland key codes are the kernel's evdev codes moved up by 8.
constexpr quint32 kEvdevOffset = 8;

const std::unordered_map<quint32, int>& ScanCodeTable() {
  static const std::unordered_map<quint32, int> table = {
      {KEY_ESC, 0x1B},        {KEY_1, 0x31},          {KEY_2, 0x32},         {KEY_3, 0x33},
      {KEY_4, 0x34},          {KEY_5, 0x35},          {KEY_6, 0x36},         {KEY_7, 0x37},
      {KEY_8, 0x38},          {KEY_9, 0x39},          {KEY_0, 0x30},         {KEY_MINUS, 0xBD},
      {KEY_EQUAL, 0xBB},      {KEY_BACKSPACE, 0x08},  {KEY_TAB, 0x09},       {KEY_Q, 0x51},
      {KEY_W, 0x57},          {KEY_E, 0x45},          {KEY_R, 0x52},         {KEY_T, 0x54},
      {KEY_Y, 0x59},          {KEY_U, 0x55},          {KEY_I, 0x49},         {KEY_O, 0x4F},
      {KEY_P, 0x50},          {KEY_LEFTBRACE, 0xDB},  {KEY_RIGHTBRACE, 0xDD}, {KEY_ENTER, 0x0D},
      {KEY_LEFTCTRL, 0xA2},   {KEY_A, 0x41},          {KEY_S, 0x53},         {KEY_D, 0x44},
      {KEY_F, 0x46},          {KEY_G, 0x47},          {KEY_H, 0x48},         {KEY_J, 0x4A},
      {KEY_K, 0x4B},          {KEY_L, 0x4C},          {KEY_SEMICOLON, 0xBA}, {KEY_APOSTROPHE, 0xDE},
      {KEY_GRAVE, 0xC0},      {KEY_LEFTSHIFT, 0xA0},  {KEY_BACKSLASH, 0xDC}, {KEY_Z, 0x5A},
      {KEY_X, 0x58},          {KEY_C, 0x43},          {KEY_V, 0x56},         {KEY_B, 0x42},
      {KEY_N, 0x4E},          {KEY_M, 0x4D},          {KEY_COMMA, 0xBC},     {KEY_DOT, 0xBE},
      {KEY_SLASH, 0xBF},      {KEY_RIGHTSHIFT, 0xA1}, {KEY_KPASTERISK, 0x6A}, {KEY_LEFTALT, 0xA4},
      {KEY_SPACE, 0x20},      {KEY_CAPSLOCK, 0x14},   {KEY_F1, 0x70},        {KEY_F2, 0x71},
      {KEY_F3, 0x72},         {KEY_F4, 0x73},         {KEY_F5, 0x74},        {KEY_F6, 0x75},
      {KEY_F7, 0x76},         {KEY_F8, 0x77},         {KEY_F9, 0x78},        {KEY_F10, 0x79},
      {KEY_NUMLOCK, 0x90},    {KEY_SCROLLLOCK, 0x91}, {KEY_KP7, 0x67},       {KEY_KP8, 0x68},
      {KEY_KP9, 0x69},        {KEY_KPMINUS, 0x6D},    {KEY_KP4, 0x64},       {KEY_KP5, 0x65},
      {KEY_KP6, 0x66},        {KEY_KPPLUS, 0x6B},     {KEY_KP1, 0x61},       {KEY_KP2, 0x62},
      {KEY_KP3, 0x63},        {KEY_KP0, 0x60},        {KEY_KPDOT, 0x6E},     {KEY_102ND, 0xE2},
      {KEY_F11, 0x7A},        {KEY_F12, 0x7B},        {KEY_KPENTER, 0x0D},   {KEY_RIGHTCTRL, 0xA3},
      {KEY_KPSLASH, 0x6F},    {KEY_SYSRQ, 0x2C},      {KEY_RIGHTALT, 0xA5},  {KEY_HOME, 0x24},
      {KEY_UP, 0x26},         {KEY_PAGEUP, 0x21},     {KEY_LEFT, 0x25},      {KEY_RIGHT, 0x27},
      {KEY_END, 0x23},        {KEY_DOWN, 0x28},       {KEY_PAGEDOWN, 0x22},  {KEY_INSERT, 0x2D},
      {KEY_DELETE, 0x2E},     {KEY_MUTE, 0xAD},       {KEY_VOLUMEDOWN, 0xAE}, {KEY_VOLUMEUP, 0xAF},
      {KEY_POWER, 0xB4},      {KEY_PAUSE, 0x13},      {KEY_LEFTMETA, 0x5B},  {KEY_RIGHTMETA, 0x5C},
      {KEY_COMPOSE, 0x5D},    {KEY_F13, 0x7C},        {KEY_F14, 0x7D},       {KEY_F15, 0x7E},
      {KEY_F16, 0x7F},        {KEY_F17, 0x80},        {KEY_F18, 0x81},       {KEY_F19, 0x82},
      {KEY_F20, 0x83},        {KEY_F21, 0x84},        {KEY_F22, 0x85},       {KEY_F23, 0x86},
      {KEY_F24, 0x87},
  };
  return table;
}

// The US layout's shifted symbols name the key they are on.
const std::unordered_map<int, int>& QtKeyTable() {
  static const std::unordered_map<int, int> table = {
      {Qt::Key_Escape, 0x1B},     {Qt::Key_Tab, 0x09},         {Qt::Key_Backtab, 0x09},
      {Qt::Key_Backspace, 0x08},  {Qt::Key_Return, 0x0D},      {Qt::Key_Enter, 0x0D},
      {Qt::Key_Insert, 0x2D},     {Qt::Key_Delete, 0x2E},      {Qt::Key_Pause, 0x13},
      {Qt::Key_Print, 0x2C},      {Qt::Key_SysReq, 0x2C},      {Qt::Key_Home, 0x24},
      {Qt::Key_End, 0x23},        {Qt::Key_Left, 0x25},        {Qt::Key_Up, 0x26},
      {Qt::Key_Right, 0x27},      {Qt::Key_Down, 0x28},        {Qt::Key_PageUp, 0x21},
      {Qt::Key_PageDown, 0x22},   {Qt::Key_Shift, 0xA0},       {Qt::Key_Control, 0xA2},
      {Qt::Key_Meta, 0x5B},       {Qt::Key_Alt, 0xA4},         {Qt::Key_AltGr, 0xA5},
      {Qt::Key_CapsLock, 0x14},   {Qt::Key_NumLock, 0x90},     {Qt::Key_ScrollLock, 0x91},
      {Qt::Key_Menu, 0x5D},       {Qt::Key_Space, 0x20},       {Qt::Key_Minus, 0xBD},
      {Qt::Key_Underscore, 0xBD}, {Qt::Key_Equal, 0xBB},       {Qt::Key_Plus, 0xBB},
      {Qt::Key_BracketLeft, 0xDB}, {Qt::Key_BraceLeft, 0xDB},  {Qt::Key_BracketRight, 0xDD},
      {Qt::Key_BraceRight, 0xDD}, {Qt::Key_Backslash, 0xDC},   {Qt::Key_Bar, 0xDC},
      {Qt::Key_Semicolon, 0xBA},  {Qt::Key_Colon, 0xBA},       {Qt::Key_Apostrophe, 0xDE},
      {Qt::Key_QuoteDbl, 0xDE},   {Qt::Key_QuoteLeft, 0xC0},   {Qt::Key_AsciiTilde, 0xC0},
      {Qt::Key_Comma, 0xBC},      {Qt::Key_Less, 0xBC},        {Qt::Key_Period, 0xBE},
      {Qt::Key_Greater, 0xBE},    {Qt::Key_Slash, 0xBF},       {Qt::Key_Question, 0xBF},
      {Qt::Key_Exclam, 0x31},     {Qt::Key_At, 0x32},          {Qt::Key_NumberSign, 0x33},
      {Qt::Key_Dollar, 0x34},     {Qt::Key_Percent, 0x35},     {Qt::Key_AsciiCircum, 0x36},
      {Qt::Key_Ampersand, 0x37},  {Qt::Key_Asterisk, 0x38},    {Qt::Key_ParenLeft, 0x39},
      {Qt::Key_ParenRight, 0x30}, {Qt::Key_VolumeMute, 0xAD},  {Qt::Key_VolumeDown, 0xAE},
      {Qt::Key_VolumeUp, 0xAF},   {Qt::Key_PowerOff, 0xB4},
  };
  return table;
}

// The number pad's own keys as Qt gives them with the keypad modifier.
int KeypadVirtualKey(int qtKey) {
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return 0x60 + (qtKey - Qt::Key_0);
  switch (qtKey) {
    case Qt::Key_Asterisk: return 0x6A;
    case Qt::Key_Plus: return 0x6B;
    case Qt::Key_Minus: return 0x6D;
    case Qt::Key_Period: return 0x6E;
    case Qt::Key_Slash: return 0x6F;
    case Qt::Key_Enter: return 0x0D;
    default: return 0;
  }
}

}  // namespace

int VirtualKeyOfScanCode(quint32 nativeScanCode) {
  if (nativeScanCode <= kEvdevOffset) return 0;
  auto found = ScanCodeTable().find(nativeScanCode - kEvdevOffset);
  return found == ScanCodeTable().end() ? 0 : found->second;
}

int VirtualKeyOfQtKey(int qtKey, Qt::KeyboardModifiers modifiers) {
  if (modifiers & Qt::KeypadModifier)
    if (int keypad = KeypadVirtualKey(qtKey)) return keypad;
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 0x41 + (qtKey - Qt::Key_A);
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return 0x30 + (qtKey - Qt::Key_0);
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 0x70 + (qtKey - Qt::Key_F1);
  auto found = QtKeyTable().find(qtKey);
  return found == QtKeyTable().end() ? 0 : found->second;
}

int VirtualKeyOf(const QKeyEvent& event) {
  if (int fromScanCode = VirtualKeyOfScanCode(event.nativeScanCode())) return fromScanCode;
  return VirtualKeyOfQtKey(event.key(), event.modifiers());
}

}  // namespace kzgui
