#pragma once

#include <span>
#include <string_view>

namespace vel {

inline constexpr int kModelCount = 10;
inline constexpr int kFallbackModel = 5;  // QV-3000EX, used for any unknown index
inline constexpr int kModelQv4000 = 7;
inline constexpr int kModelQv2000 = 0;
inline constexpr int kModelQv5700 = 8;
inline constexpr int kModelQv8000 = 9;

// The model names in index order, as the Config page lists them.
std::span<const std::string_view> ModelNames();

// 0 QV-2000UX ... 9 QV-8000SX; any other index gives "QV-3000EX".
std::string_view ModelName(int model);

// The index itself when it is 0 to 9, else the fallback 5.
int EffectiveModel(int model);

// False for the QV-2000UX (0) and the QV-8000SX (9): this program never
// switches them between REC and USB mode, so they get no manual switch, no
// picture copy and no switch delays, whatever the profile says.
bool HasUsbSwitch(int model);

// True for the QV-4000 and QV-5700, which take exposure and drive mode bytes.
bool TakesModeBytes(int model);

}  // namespace vel
