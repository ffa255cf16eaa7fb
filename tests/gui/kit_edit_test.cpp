// NumberEdit's input rule: digits only, numbers above the range taken as its maximum, numbers
// below it (and an empty field) refused with the last value shown again.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "gui/kit/number_edit.h"
#include "gui/kit/read_only_edit.h"

namespace {

using kzgui::kit::NumberEdit;
using kzgui::kit::ReadOnlyEdit;

TEST(NumberEditTest, TypedInputIsClampedOrRefused) {
  struct Case {
    int minimum, maximum, start;
    const char* typed;
    int value;
    bool reported;
    const char* shown;
  } cases[] = {
      {200, 8200, 1600, "4000", 4000, true, "4000"},
      {200, 8200, 1600, "9000", 8200, true, "8200"},
      {200, 8200, 1600, "99999999999999", 8200, true, "8200"},  // cut at 9 digits, no overflow
      {200, 8200, 1600, "00400", 400, true, "400"},
      {200, 8200, 1600, "8a0b0", 800, true, "800"},             // letters cannot be typed
      {200, 8200, 1600, "150", 1600, false, "1600"},
      {200, 8200, 1600, "", 1600, false, "1600"},
      {0, 255, 12, "300", 255, true, "255"},
      {0, 255, 12, "0", 0, true, "0"},
      {0, 255, 12, "-5", 5, true, "5"},                         // no sign where none is needed
      {-10, 10, 0, "-20", 0, false, "0"},
      {-10, 10, 0, "-7", -7, true, "-7"},
  };
  for (const Case& c : cases) {
    NumberEdit edit(c.minimum, c.maximum);
    edit.setValue(c.start);
    QSignalSpy edited(&edit, &NumberEdit::valueEdited);
    edit.clear();
    QTest::keyClicks(&edit, c.typed);
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(edit.value(), c.value) << c.typed;
    EXPECT_EQ(edit.text(), QString::fromLatin1(c.shown)) << c.typed;
    ASSERT_EQ(edited.count(), c.reported ? 1 : 0) << c.typed;
    if (c.reported) {
      EXPECT_EQ(edited.at(0).at(0).toInt(), c.value) << c.typed;
    }
  }
}

TEST(NumberEditTest, ValuesFromCodeAreKeptInRangeAndNotReported) {
  NumberEdit edit(200, 8200);
  QSignalSpy edited(&edit, &NumberEdit::valueEdited);
  edit.setValue(9000);
  EXPECT_EQ(edit.text(), QStringLiteral("8200"));
  edit.setValue(0);
  EXPECT_EQ(edit.value(), 200);
  EXPECT_EQ(edited.count(), 0);
}

TEST(ReadOnlyEditTest, TypingChangesNothing) {
  ReadOnlyEdit edit(QStringLiteral("1.17"));
  QTest::keyClicks(&edit, "99");
  QTest::keyClick(&edit, Qt::Key_Backspace);
  EXPECT_EQ(edit.text(), QStringLiteral("1.17"));
}

}  // namespace
