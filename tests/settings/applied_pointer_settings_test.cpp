#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "settings/applied_pointer_settings.h"
#include "settings/desktop_pointer_settings.h"
#include "support/test_support.h"

namespace kz::settings {
namespace {

// A backend that counts what reaches it and can be told to refuse sets.
class CountingPointerSettings : public PointerSettings {
 public:
  struct Value {
    int value = 0;
    std::atomic<int> gets{0}, sets{0};
    bool refuse = false;
  };
  Value doubleClick, wheelLines, speed;

  int DoubleClickTime() override { return Get(doubleClick); }
  int WheelScrollLines() override { return Get(wheelLines); }
  int MouseSpeed() override { return Get(speed); }
  bool SetDoubleClickTime(int milliseconds) override { return Set(doubleClick, milliseconds); }
  bool SetWheelScrollLines(int lines) override { return Set(wheelLines, lines); }
  bool SetMouseSpeed(int speed) override { return Set(this->speed, speed); }

 private:
  static int Get(Value& v) {
    ++v.gets;
    return v.value;
  }
  static bool Set(Value& v, int value) {
    ++v.sets;
    if (v.refuse) return false;
    v.value = value;
    return true;
  }
};

// Each value goes through the same rules; the table runs them on one value and checks that the
// other two are never touched, so remembering one cannot stand in for another.
struct Accessor {
  const char* name;
  CountingPointerSettings::Value CountingPointerSettings::*value;
  int (PointerSettings::*get)();
  bool (PointerSettings::*set)(int);
  int a, b;  // two valid, different values
};

const Accessor kAccessors[] = {
    {"double-click time", &CountingPointerSettings::doubleClick, &PointerSettings::DoubleClickTime,
     &PointerSettings::SetDoubleClickTime, 690, 410},
    {"wheel lines", &CountingPointerSettings::wheelLines, &PointerSettings::WheelScrollLines,
     &PointerSettings::SetWheelScrollLines, 3, kWheelPageScroll},
    {"mouse speed", &CountingPointerSettings::speed, &PointerSettings::MouseSpeed, &PointerSettings::SetMouseSpeed, 14,
     1},
};

// A fresh backend and its wrapper for one value of the table.
struct Rig {
  explicit Rig(const Accessor& x) : x(x) {}
  int Read() { return (applied.*x.get)(); }
  bool Write(int value) { return (applied.*x.set)(value); }
  CountingPointerSettings::Value& Backend() { return (*inner).*x.value; }
  void ExpectOthersUntouched() {
    for (const Accessor& other : kAccessors) {
      if (other.value == x.value) continue;
      CountingPointerSettings::Value& v = (*inner).*other.value;
      EXPECT_EQ(v.gets + v.sets, 0) << other.name;
    }
  }

  const Accessor& x;
  std::shared_ptr<CountingPointerSettings> inner = std::make_shared<CountingPointerSettings>();
  AppliedPointerSettings applied{inner};
};

TEST(AppliedPointerSettings, OnlyAChangedValueReachesTheBackend) {
  for (const Accessor& x : kAccessors) {
    SCOPED_TRACE(x.name);
    Rig rig(x);
    EXPECT_TRUE(rig.Write(x.a));
    EXPECT_TRUE(rig.Write(x.a));
    EXPECT_TRUE(rig.Write(x.a));
    EXPECT_EQ(rig.Backend().sets, 1);
    EXPECT_TRUE(rig.Write(x.b));
    EXPECT_EQ(rig.Backend().sets, 2);
    EXPECT_TRUE(rig.Write(x.a));  // back to the first value: a change again
    EXPECT_EQ(rig.Backend().sets, 3);
    EXPECT_EQ(rig.Backend().value, x.a);
    // What was applied is what a read answers, without asking the backend.
    EXPECT_EQ(rig.Read(), x.a);
    EXPECT_EQ(rig.Backend().gets, 0);
    rig.ExpectOthersUntouched();
  }
}

TEST(AppliedPointerSettings, AFailedSetIsTriedAgainAndForgetsTheOldValue) {
  for (const Accessor& x : kAccessors) {
    SCOPED_TRACE(x.name);
    Rig rig(x);
    ASSERT_TRUE(rig.Write(x.a));
    rig.Backend().refuse = true;
    EXPECT_FALSE(rig.Write(x.b));
    EXPECT_FALSE(rig.Write(x.b));  // not taken for applied: asked again
    EXPECT_EQ(rig.Backend().sets, 3);
    // After a failure the backend may hold either value, so even the one applied before goes out.
    rig.Backend().refuse = false;
    EXPECT_TRUE(rig.Write(x.a));
    EXPECT_EQ(rig.Backend().sets, 4);
    // Nor does a read answer from before the failure.
    rig.Backend().refuse = true;
    EXPECT_FALSE(rig.Write(x.b));
    rig.Backend().value = x.b;
    EXPECT_EQ(rig.Read(), x.b);
    EXPECT_EQ(rig.Backend().gets, 1);
    rig.ExpectOthersUntouched();
  }
}

TEST(AppliedPointerSettings, ReadsAskTheBackendOnceUntilForgotten) {
  for (const Accessor& x : kAccessors) {
    SCOPED_TRACE(x.name);
    Rig rig(x);
    rig.Backend().value = x.a;
    EXPECT_EQ(rig.Read(), x.a);
    EXPECT_EQ(rig.Read(), x.a);
    EXPECT_EQ(rig.Backend().gets, 1);
    // A value read counts as the desktop's: setting it again is nothing to do.
    EXPECT_TRUE(rig.Write(x.a));
    EXPECT_EQ(rig.Backend().sets, 0);

    rig.Backend().value = x.b;  // changed behind the program's back
    EXPECT_EQ(rig.Read(), x.a);
    rig.applied.Forget();
    EXPECT_EQ(rig.Read(), x.b);
    EXPECT_EQ(rig.Backend().gets, 2);
    rig.applied.Forget();
    EXPECT_TRUE(rig.Write(x.b));  // forgotten: goes out even though the backend has it
    EXPECT_EQ(rig.Backend().sets, 1);
    rig.ExpectOthersUntouched();
  }
}

TEST(AppliedPointerSettings, ThreadsSettingTheSameValueReachTheBackendOnce) {
  auto inner = std::make_shared<CountingPointerSettings>();
  AppliedPointerSettings applied(inner);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&applied] {
      for (int i = 0; i < 200; ++i) {
        EXPECT_TRUE(applied.SetMouseSpeed(12));
        EXPECT_EQ(applied.MouseSpeed(), 12);
      }
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(inner->speed.sets, 1);
  EXPECT_EQ(inner->speed.gets, 0);
}

// With the desktop backend keeping its values in a file, a repeated value writes no file: each
// write replaces the file, so its inode shows whether one happened.
TEST(AppliedPointerSettings, ARepeatedValueLeavesTheDesktopsFileAlone) {
  kztest::ScopedEnv desktop("XDG_CURRENT_DESKTOP", nullptr);
  kztest::TempDir data;
  std::string file = data / kPointerSettingsFileName;
  AppliedPointerSettings applied(std::make_shared<DesktopPointerSettings>(file, ""));
  auto inode = [&] {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? st.st_ino : 0;
  };
  ASSERT_TRUE(applied.SetWheelScrollLines(5));
  ino_t written = inode();
  ASSERT_NE(written, 0u);
  EXPECT_TRUE(applied.SetWheelScrollLines(5));
  EXPECT_EQ(inode(), written);
  EXPECT_TRUE(applied.SetWheelScrollLines(6));
  EXPECT_NE(inode(), written);
  EXPECT_EQ(kztest::ReadAll(file), "double_click=500\nwheel_lines=6\nmouse_speed=10\n");
}

}  // namespace
}  // namespace kz::settings
