#pragma once

#include <ctime>
#include <string>
#include <string_view>

#include "qvsim/jpeg_writer.h"

namespace qvsim {

// What a simulated picture shows, so that copies can be told apart at a
// glance: the camera, the shot number and the time it was taken.
struct ShotInfo {
  int number = 0;
  std::time_t takenAt = 0;
  std::string model;     // "QV-4000"
  std::string fileName;  // "CIMG0001.JPG"
};

inline constexpr int kPictureWidth = 320;
inline constexpr int kPictureHeight = 240;
inline constexpr int kThumbnailFactor = 2;  // the thumbnail is 160 x 120

GrayImage DrawShot(const ShotInfo& shot);

// Each factor x factor square of pixels becomes one pixel, their mean.
GrayImage Downscale(const GrayImage& image, int factor);

// Text in a 5 x 7 pixel font, each font pixel drawn as a scale x scale
// square; (x, y) is the top left corner. Letters (either case), digits,
// blank and - : # . / are drawn; other characters leave a gap.
void DrawText(GrayImage& image, std::string_view text, int x, int y, int scale, std::uint8_t value);
int TextWidth(std::string_view text, int scale);
inline constexpr int kGlyphHeight = 7;

}  // namespace qvsim
