#pragma once

#include <cstdint>
#include <vector>

namespace qvsim {

// An 8-bit grayscale picture, rows top to bottom.
struct GrayImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height values, 0 black to 255 white

  GrayImage() = default;
  GrayImage(int w, int h, std::uint8_t fill = 0)
      : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}

  std::uint8_t& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  std::uint8_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// A baseline JFIF file of the picture: one grayscale component, the
// example quantisation and Huffman tables of the JPEG standard, the table
// scaled for quality 1 to 100 the way common encoders do. Any size from 1x1
// to 65535x65535; edge blocks repeat the last row and column.
std::vector<std::uint8_t> EncodeJpeg(const GrayImage& image, int quality = 90);

}  // namespace qvsim
