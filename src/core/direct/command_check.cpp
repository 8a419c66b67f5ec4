#include "core/direct/command_check.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace vel {
namespace {

constexpr std::size_t kEntryCount = kCommandCheckLastChar - kCommandCheckFirstChar + 1;

constexpr std::array<char, kEntryCount> MakeCharacters() {
  std::array<char, kEntryCount> characters{};
  for (std::size_t i = 0; i < kEntryCount; ++i) {
    characters[i] = static_cast<char>(kCommandCheckFirstChar + i);
  }
  return characters;
}

constexpr std::array<char, kEntryCount> kCharacters = MakeCharacters();

// Each entry views its own character of kCharacters.
constexpr std::array<std::string_view, kEntryCount> MakeEntries() {
  std::array<std::string_view, kEntryCount> entries{};
  for (std::size_t i = 0; i < kEntryCount; ++i) entries[i] = {&kCharacters[i], 1};
  return entries;
}

constexpr std::array<std::string_view, kEntryCount> kEntries = MakeEntries();

}  // namespace

std::span<const std::string_view> CommandCheckEntries() {
  return kEntries;
}

KeyBytes StepCommandCheck(int& checkUp, int id, bool pushed, std::string_view selection) {
  if (id != kCommandCheckButton)
    return {};
  // The check button is a one-row key table whose bytes come from the list.
  KeyRow check{id, "Check", {}, {}};
  if (!selection.empty()) {
    const auto c = static_cast<std::uint8_t>(selection.front());
    check.press = KeyBytes(c);
    check.release = KeyBytes(static_cast<std::uint8_t>(c + kReleaseOffset));
  }
  return StepKey({&check, 1}, {&checkUp, 1}, id, pushed);
}

}  // namespace vel
