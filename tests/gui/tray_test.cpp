// The tray menu: the five profiles with the active one checked, and a choice that switches the
// window's profile and writes every page of it to the mouse; the notifications of the mouse
// coming and going.
#include <gtest/gtest.h>

#include <QAction>
#include <QtTest/QTest>

#include "gui/app/tray_menu.h"
#include "gui/kit/skin_button.h"
#include "gui/window_fixture.h"

namespace {

using kzgui::CDlgMain;

class TrayTest : public kztest::WindowFixture {};

TEST_F(TrayTest, MenuListsOpenTheFiveProfilesAndExitWithTheActiveOneChecked) {
  Open();
  StopDeviceTimer();
  kzgui::TrayMenu* menu = window->Tray();
  ASSERT_NE(menu, nullptr) << "the menu exists also without a tray to show it in";
  std::vector<QString> texts;
  for (QAction* action : menu->actions())
    if (!action->isSeparator()) texts.push_back(action->text());
  EXPECT_EQ(texts, (std::vector<QString>{"打开", "配置 1", "配置 2", "配置 3", "配置 4", "配置 5", "语言 / Language", "退出"}));
  for (int profile = 1; profile <= 5; ++profile)
    EXPECT_EQ(menu->ProfileAction(profile)->isChecked(), profile == 1) << profile;
  EXPECT_EQ(menu->ProfileAction(0), nullptr);
  EXPECT_EQ(menu->ProfileAction(6), nullptr);

  // A profile picked with the window's buttons is the checked one the next time the menu opens.
  window->RunCommand(CDlgMain::kFirstProfile + 3);
  menu->MarkActive();
  EXPECT_TRUE(menu->ProfileAction(4)->isChecked());
  EXPECT_FALSE(menu->ProfileAction(1)->isChecked());
}

TEST_F(TrayTest, ChoosingAProfileSelectsItAndWritesAllOfItsPages) {
  // Profile 3 differs from the factory in its DPI levels and its lights.
  ASSERT_TRUE(Profiles().SelectProfile(3));
  Profiles().MouseSettings().SetLevelValue(2, 1200);  // the third level (0-based)
  ASSERT_TRUE(Profiles().SaveAll());
  ASSERT_TRUE(Profiles().SelectProfile(1));
  Open();
  StopDeviceTimer();
  WaitForMouse();
  mouse->ClearTrace();

  window->Tray()->ProfileAction(3)->trigger();
  WaitForMouse();

  EXPECT_EQ(Profiles().ActiveProfile(), 3);
  EXPECT_TRUE(window->Button(CDlgMain::kFirstProfile + 2)->isHighlighted());
  EXPECT_FALSE(window->Button(CDlgMain::kFirstProfile)->isHighlighted());
  EXPECT_TRUE(window->Tray()->ProfileAction(3)->isChecked());
  // Every page of profile 3 in slot order: DPI (its third level 1200), report, buttons, lights.
  EXPECT_EQ(mouse->Trace(), (std::vector<std::string>{"03 10 04 01 20 40 18 A4", "03 12 00 00 10 01 01 00 00 00 00",
                                                      "03 11 00 F1 F2 F3 FE F4 F5 28 F6 F7 F8 F9",
                                                      "03 09 11 00 FF 91 00 FF 91 00 00"}));
  EXPECT_TRUE(Logged("Start Write Data "));
  EXPECT_TRUE(Logged("Write Data Complete"));
  EXPECT_TRUE(window->LastNotification().isEmpty());
}

TEST_F(TrayTest, ASwitchTheMouseRefusesAndTheMouseLeavingAreTold) {
  Open();
  StopDeviceTimer();
  WaitForMouse();
  mouse->Unplug();
  window->Tray()->ProfileAction(2)->trigger();
  WaitForMouse();
  EXPECT_EQ(Profiles().ActiveProfile(), 2) << "the window follows the choice even without a mouse";
  EXPECT_EQ(window->LastNotification(), "失败，设备可能未接入电脑!");

  window->MouseArrived();
  EXPECT_EQ(window->LastNotification(), "鼠标已连接");
  window->MouseLeft();
  EXPECT_EQ(window->LastNotification(), "鼠标已断开");
}

}  // namespace
