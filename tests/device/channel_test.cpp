#include "device/channel.h"

#include "device_fixture.h"

#include <string>
#include <vector>

namespace kz::device {
namespace {

using Bytes = std::vector<unsigned char>;

TEST(CommandTextToBytes, WalksThePairs) {
  struct Case {
    const char* text;
    Bytes bytes;
  } cases[] = {
      {"03 10 01 02", {0x03, 0x10, 0x01, 0x02}},
      {"03 1", {0x03}},                // a lone last digit is dropped
      {"0x10", {0x00, 0x10}},          // "x" counts as 0
      {"e1", {0xE1}},
      {"E1", {0xE1}},
      {"03F9", {0x03, 0xF9}},          // no blanks needed
      {"  03   f9 ", {0x03, 0xF9}},
      {"0 3", {0x00}},                 // "0 " is a pair: the blank inside it counts as 0
      {"", {}},
      {"3", {}},
      {"zz", {0x00}},
      {"\xE4\xBD\xA0" "1", {0x01}},    // one non-ASCII character takes one place, as in a wide text
      {"03 11 00 F1 F2 F3 FE F4 F5 28 F6 F7 F8 F9 ",
       {0x03, 0x11, 0x00, 0xF1, 0xF2, 0xF3, 0xFE, 0xF4, 0xF5, 0x28, 0xF6, 0xF7, 0xF8, 0xF9}},
  };
  for (const auto& c : cases) EXPECT_EQ(CommandTextToBytes(c.text), c.bytes) << '"' << c.text << '"';
}

TEST(CommandTextToBytes, StopsAt255Bytes) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += (i % 2 ? "AB" : "cd");  // 600 digits
  Bytes bytes = CommandTextToBytes(text);
  ASSERT_EQ(bytes.size(), 255u);
  EXPECT_EQ(bytes.front(), 0xCD);
  EXPECT_EQ(bytes[1], 0xAB);
  EXPECT_EQ(bytes.back(), 0xCD);
}

using SendCommandTextTest = kztest::SimMouseFixture;

TEST_F(SendCommandTextTest, SendsExactlyTheBytesOfTheText) {
  EXPECT_TRUE(SendCommandText("03 10 02 02 08 00 21 00 "));
  EXPECT_TRUE(SendCommandText("03F9"));
  EXPECT_EQ(mouse_->Trace(), (std::vector<std::string>{"03 10 02 02 08 00 21 00", "03 F9"}));
  EXPECT_TRUE(IsConnectionOpen());
}

TEST_F(SendCommandTextTest, TextWithoutBytesSucceedsWithoutWriting) {
  mouse_->SetRefuseWrites(true);
  EXPECT_TRUE(SendCommandText(""));
  EXPECT_TRUE(SendCommandText("3"));
  EXPECT_TRUE(mouse_->Trace().empty());
}

TEST_F(SendCommandTextTest, FailuresAreReportedWithAText) {
  mouse_->SetRefuseWrites(true);
  EXPECT_FALSE(SendCommandText("03 10 04 01 20 40 80 A4"));
  char text[1024];
  HIDM_GetErrorDescript(LastHidError(), text, sizeof text);
  EXPECT_STREQ(text, "the mouse refused the report: simulated mouse refuses writes");
  mouse_->SetRefuseWrites(false);

  // 600 digits make 255 bytes, more than one report holds: refused as a whole, nothing sent.
  EXPECT_FALSE(SendCommandText("03" + std::string(598, '1')));
  EXPECT_EQ(LastHidError(), kHidErrTooLong);
  HIDM_GetErrorDescript(LastHidError(), text, sizeof text);
  EXPECT_STREQ(text, "command longer than one output report: 255 bytes, the report holds 64");
  EXPECT_TRUE(mouse_->Trace().empty());

  EXPECT_TRUE(SendCommandText("03" + std::string(126, '1')));  // exactly one report
}

TEST_F(SendCommandTextTest, AMouseMissingAtFirstIsOpenedOnceItIsThere) {
  mouse_->Unplug();
  EXPECT_FALSE(SendCommandText("03F9"));
  EXPECT_FALSE(IsConnectionOpen());  // a failed open leaves the flag clear...
  mouse_->Plug();
  EXPECT_TRUE(SendCommandText("03F9"));  // ...so the next send opens the mouse
  EXPECT_TRUE(IsConnectionOpen());
}

TEST_F(SendCommandTextTest, AConnectionThatOutlivedItsMouseIsReplaced) {
  ASSERT_TRUE(SendCommandText("03F9"));
  mouse_->Unplug();
  EXPECT_FALSE(SendCommandText("03 10 04 01 20 40 80 A4"));
  EXPECT_EQ(LastHidError(), kHidErrNoDevice);
  mouse_->Plug();  // no reader ran to close the old connection
  EXPECT_TRUE(SendCommandText("03 10 04 01 20 40 80 A4"));
  EXPECT_EQ(mouse_->Trace(), (std::vector<std::string>{"03 F9", "03 10 04 01 20 40 80 A4"}));

  mouse_->SetRefuseWrites(true);  // a refusal of the mouse itself keeps the connection
  EXPECT_FALSE(SendCommandText("03F9"));
  EXPECT_EQ(LastHidError(), kHidErrRefused);
  EXPECT_TRUE(mouse_->IsOpen());
}

TEST_F(SendCommandTextTest, ClosingTheConnectionMakesTheNextSendReopenIt) {
  ASSERT_TRUE(SendCommandText("03F9"));
  CloseConnection();
  EXPECT_FALSE(IsConnectionOpen());
  EXPECT_FALSE(mouse_->IsOpen());
  EXPECT_TRUE(SendCommandText("03F9"));
  EXPECT_TRUE(mouse_->IsOpen());
}

TEST(HidmLibrary, ArgumentsAndClosedConnectionAreRefused) {
  auto mouse = std::make_shared<SimulatedMouse>();
  InstallBackend(mouse);
  unsigned char buffer[8] = {0x03, 0xF9};
  EXPECT_EQ(HIDM_Write(buffer, 2), kHidErrNotOpen);
  EXPECT_EQ(HIDM_Read(buffer, sizeof buffer), 0);  // nothing open: nothing more to read
  ASSERT_EQ(HIDM_Init(0x7616, 0x530A), 0);
  EXPECT_EQ(HIDM_Write(nullptr, 2), kHidErrArgument);
  EXPECT_EQ(HIDM_Write(buffer, 0), kHidErrArgument);
  EXPECT_EQ(HIDM_Read(nullptr, 8), kHidErrArgument);
  EXPECT_EQ(HIDM_Write(buffer, 2), 2);
  char small[6];
  EXPECT_EQ(HIDM_GetErrorDescript(kHidErrNoDevice, small, sizeof small), 5);
  EXPECT_STREQ(small, "mouse");
  HIDM_Uninit();
  HIDM_Uninit();  // twice is harmless
  EXPECT_FALSE(mouse->IsOpen());
  InstallBackend(nullptr);
}

}  // namespace
}  // namespace kz::device
