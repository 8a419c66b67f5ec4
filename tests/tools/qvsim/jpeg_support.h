#pragma once

#include <QImage>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "qvsim/jpeg_writer.h"

namespace qvsim::test {

// Decodes with Qt's JPEG reader, an encoder-independent check.
inline QImage DecodeJpeg(const std::vector<std::uint8_t>& bytes) {
  QImage image;
  image.loadFromData(bytes.data(), static_cast<int>(bytes.size()), "JPG");
  return image.isNull() ? image : image.convertToFormat(QImage::Format_Grayscale8);
}

struct PixelError {
  double mean = 0;
  int max = 0;
};

inline PixelError CompareWith(const GrayImage& original, const QImage& decoded) {
  PixelError error;
  long long sum = 0;
  for (int y = 0; y < original.height; ++y) {
    const std::uint8_t* row = decoded.constScanLine(y);
    for (int x = 0; x < original.width; ++x) {
      const int diff = std::abs(int(original.At(x, y)) - int(row[x]));
      sum += diff;
      error.max = std::max(error.max, diff);
    }
  }
  error.mean = double(sum) / (double(original.width) * original.height);
  return error;
}

}  // namespace qvsim::test
