#include "qvsim/jpeg_writer.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>
#include <random>
#include <tuple>

namespace qvsim {
namespace {

// A smooth gradient, or noise: large coefficients everywhere, so long codes
// and data bytes of 0xFF that must be escaped.
GrayImage Picture(int width, int height, bool noise = false) {
  std::mt19937 random(42);
  GrayImage image(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.At(x, y) =
          static_cast<std::uint8_t>(noise ? random() : (x * 255 / std::max(width - 1, 1) + y) / 2);
  return image;
}

TEST(JpegWriter, PicturesDecodeAtTheirSizeCloseToTheOriginal) {
  // The picture, the quality and the largest error allowed.
  const std::tuple<GrayImage, int, int> rows[] = {
      {Picture(96, 64), 90, 8}, {Picture(64, 64, true), 100, 4}, {Picture(13, 7), 95, 8},
      {Picture(1, 1), 95, 8},   {Picture(9, 17), 95, 8},
  };
  for (const auto& [image, quality, maxError] : rows) {
    // Qt's reader is the check, independent of the writer.
    const std::vector<std::uint8_t> bytes = EncodeJpeg(image, quality);
    const QImage decoded = QImage::fromData(bytes.data(), static_cast<int>(bytes.size()), "JPG")
                               .convertToFormat(QImage::Format_Grayscale8);
    SCOPED_TRACE(testing::Message() << image.width << "x" << image.height);
    ASSERT_FALSE(decoded.isNull());
    ASSERT_EQ(decoded.size(), QSize(image.width, image.height));
    int worst = 0;
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x)
        worst = std::max(worst, std::abs(image.At(x, y) - decoded.constScanLine(y)[x]));
    EXPECT_LE(worst, maxError);
  }
}

}  // namespace
}  // namespace qvsim
