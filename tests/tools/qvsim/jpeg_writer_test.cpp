#include "qvsim/jpeg_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "jpeg_support.h"
#include "qvsim/picture.h"

namespace qvsim {
namespace {

GrayImage Gradient(int width, int height) {
  GrayImage image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      image.At(x, y) = static_cast<std::uint8_t>((x * 255 / std::max(width - 1, 1) + y) / 2);
  }
  return image;
}

GrayImage Noise(int width, int height) {
  std::mt19937 random(42);
  GrayImage image(width, height);
  for (auto& pixel : image.pixels) pixel = static_cast<std::uint8_t>(random() & 0xFF);
  return image;
}

bool HasStuffedByte(const std::vector<std::uint8_t>& bytes) {
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0x00)
      return true;
  }
  return false;
}

TEST(JpegWriter, FileIsFramedByStartAndEndMarkers) {
  const std::vector<std::uint8_t> bytes = EncodeJpeg(Gradient(64, 48));
  ASSERT_GT(bytes.size(), 4u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xD8);
  EXPECT_EQ(bytes[bytes.size() - 2], 0xFF);
  EXPECT_EQ(bytes[bytes.size() - 1], 0xD9);
}

TEST(JpegWriter, SmoothPictureDecodesClosely) {
  const GrayImage image = Gradient(96, 64);
  const QImage decoded = test::DecodeJpeg(EncodeJpeg(image, 90));
  ASSERT_FALSE(decoded.isNull());
  ASSERT_EQ(decoded.width(), 96);
  ASSERT_EQ(decoded.height(), 64);
  const test::PixelError error = test::CompareWith(image, decoded);
  EXPECT_LT(error.mean, 1.5);
  EXPECT_LE(error.max, 8);
}

TEST(JpegWriter, NoiseAtFullQualityUsesLongCodesAndStuffedBytes) {
  // Random pixels give large coefficients in every position, long runs of
  // code bits, and data bytes of 0xFF that must be escaped.
  const GrayImage image = Noise(64, 64);
  const std::vector<std::uint8_t> bytes = EncodeJpeg(image, 100);
  EXPECT_TRUE(HasStuffedByte(bytes));
  const QImage decoded = test::DecodeJpeg(bytes);
  ASSERT_FALSE(decoded.isNull());
  const test::PixelError error = test::CompareWith(image, decoded);
  EXPECT_LT(error.mean, 1.0);
  EXPECT_LE(error.max, 4);
}

TEST(JpegWriter, SizesThatAreNoMultipleOfEightKeepTheirEdges) {
  for (auto [width, height] : {std::pair{13, 7}, std::pair{1, 1}, std::pair{9, 17}}) {
    const GrayImage image = Gradient(width, height);
    const QImage decoded = test::DecodeJpeg(EncodeJpeg(image, 95));
    ASSERT_FALSE(decoded.isNull()) << width << "x" << height;
    EXPECT_EQ(decoded.width(), width);
    EXPECT_EQ(decoded.height(), height);
    EXPECT_LE(test::CompareWith(image, decoded).max, 8) << width << "x" << height;
  }
}

}  // namespace
}  // namespace qvsim
