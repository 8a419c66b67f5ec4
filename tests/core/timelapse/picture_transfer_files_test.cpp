// Names of the copies at the destination, on every system.

#include "core/timelapse/picture_transfer_files.h"

#include <gtest/gtest.h>

namespace vel {
namespace {

// The number goes before the extension; a name that would pass 255 bytes
// loses the end of its stem, never half a UTF-8 character.
TEST(NumberedName, NumberBeforeTheExtensionWithinTheLongestName) {
  const std::string a(251, 'A'), e = "\xC3\xA9";
  std::string e125;
  for (int i = 0; i < 125; ++i) e125 += e;
  const struct {
    std::string name;
    int n;
    std::string numbered;
  } cases[] = {
      {"CIMG0001.JPG", 2, "CIMG0001-2.JPG"},
      {".hidden", 3, ".hidden-3"},
      {a + ".JPG", 2, a.substr(0, 249) + "-2.JPG"},
      {a.substr(0, 246) + ".JPG", 9999, a.substr(0, 246) + "-9999.JPG"},
      {e125 + ".JPG", 2, e125.substr(0, 248) + "-2.JPG"},
      {"a." + a + "AA", 2, "a." + a + "-2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(NumberedName(c.name, c.n), c.numbered);
  }
}

}  // namespace
}  // namespace vel
