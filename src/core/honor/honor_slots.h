#pragma once
// What the honor page's five level slots show for one category: a pure description the page
// only binds to its labels and medal pictures.
#include <array>
#include <string>

namespace kz::honor {

inline constexpr int kHonorSlotCount = 5;

struct Rgb {
  int red = 0, green = 0, blue = 0;
  bool operator==(const Rgb&) const = default;
};
inline constexpr Rgb kEarnedTitleColour{201, 179, 100};
inline constexpr Rgb kEarnedConditionColour{24, 85, 114};
inline constexpr Rgb kNextGoalColour{192, 192, 192};

enum class Medal { kEarned, kNextGoal };

struct HonorSlot {
  std::string title;
  std::string condition;
  Rgb titleColour = kNextGoalColour;
  Rgb conditionColour = kNextGoalColour;
  Medal medal = Medal::kNextGoal;
  bool visible = false;  // labels and medal together
  bool operator==(const HonorSlot&) const = default;
};

using HonorSlots = std::array<HonorSlot, kHonorSlotCount>;

// "title-condition" split at the first "-"; no "-" gives an empty condition.
void SplitTitle(const std::string& text, std::string& title, std::string& condition);

}  // namespace kz::honor
