#include "core/direct/key_table.h"

#include <algorithm>

namespace vel {
namespace {

// The row index of id in a table of rows with an id member, or nothing.
template <typename Row>
std::optional<std::size_t> RowIndex(std::span<const Row> rows, int id) {
  auto it = std::find_if(rows.begin(), rows.end(), [id](const Row& row) { return row.id == id; });
  if (it == rows.end())
    return std::nullopt;
  return static_cast<std::size_t>(it - rows.begin());
}

// Moves a key's flag to match the button. True when the flag changed.
bool FollowButton(int& flag, bool pushed) {
  if (pushed && flag == kKeyUp) {
    flag = kKeyDown;
    return true;
  }
  if (!pushed && flag == kKeyDown) {
    flag = kKeyUp;
    return true;
  }
  return false;
}

}  // namespace

KeyBytes StepKey(std::span<const KeyRow> keys, std::span<int> keyUp, int id, bool pushed) {
  const auto index = RowIndex(keys, id);
  if (!index || *index >= keyUp.size())
    return {};
  if (!FollowButton(keyUp[*index], pushed))
    return {};
  const KeyRow& key = keys[*index];
  return pushed ? key.press : key.release;
}

std::optional<DialogKeyOpen> StepDialogKey(std::span<const DialogKeyRow> keys, std::span<int> keyUp,
                                           int id, bool pushed) {
  const auto index = RowIndex(keys, id);
  if (!index || *index >= keyUp.size())
    return std::nullopt;
  if (!FollowButton(keyUp[*index], pushed) || !pushed)
    return std::nullopt;
  const DialogKeyRow& key = keys[*index];
  return DialogKeyOpen{key.hold, key.dialog, key.release};
}

KeyBytes UpDownDeltaBytes(int delta) {
  if (delta == -1)
    return kNextPair;
  if (delta == 1)
    return kPreviousPair;
  return {};
}

}  // namespace vel
