// The simulator's parts: how it reads the program's bytes and its line, and its JPEG writer.
#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>
#include <random>
#include <tuple>

#include "core/camera/models.h"
#include "qvsim/decoder.h"
#include "qvsim/jpeg_writer.h"
#include "qvsim/line_check.h"

namespace qvsim {
namespace {

// What a byte means to a model, as the camera's keys, dialogs and modes are named, and what the
// camera does on it.
TEST(CommandDecoder, BytesReadAsTheModelUnderstandsThem) {
  using enum CameraEvent;
  const struct {
    int model;
    std::uint8_t byte;
    const char* text;
    CameraEvent event = None;
  } rows[] = {
      {5, 'L', "Focus pressed"},
      {9, 'L', "Self Timer pressed"},
      {6, 'F', "Focus / Resize pressed"},
      {1, 'K', "Shift / Info pressed"},
      {7, 'N', "Off pressed (byte 1 of 2) or Rec / Play pressed"},
      {7, 'p', "Off released"},
      {7, 'G', "Left pressed"},
      {7, 'X', "Metering pressed"},
      {7, 0x7A, "\"<\" released"},
      {7, 0x8B, "Drive mode: Movie recording"},
      {5, 0x85, "Exposure mode: Best Shot Mode (ignored: the QV-3000EX takes no mode bytes)"},
      {12, 'b', "Shutter released", ShutterReleased},
      {0, 'M', "REC/USB switch", UsbRecSwitch},
      {9, 'N', "Unknown byte 0x4E 'N'"},
      {5, 0x00, "Unknown byte 0x00"}};
  for (const auto& row : rows) {
    const ByteMeaning meaning = CommandDecoder(row.model).Decode(row.byte);
    SCOPED_TRACE(std::string(vel::ModelName(row.model)) + " " + ByteLabel(row.byte));
    EXPECT_EQ(meaning.text, row.text);
    EXPECT_EQ(meaning.known, meaning.text.rfind("Unknown", 0) != 0);
    EXPECT_EQ(int(meaning.event), int(row.event));
  }
}

// The settings the program puts on its port: raw, 9600 baud, 8N1.
termios CameraLine() {
  termios tio{};
  ::cfmakeraw(&tio);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  ::cfsetispeed(&tio, B9600);
  ::cfsetospeed(&tio, B9600);
  return tio;
}

TEST(LineCheck, EachDifferenceFromTheCameraLineIsNamed) {
  using Problems = std::vector<std::string>;
  const std::tuple<void (*)(termios&), const char*, Problems> rows[] = {
      {[](termios&) {}, "9600 8N1, no flow control", {}},
      {[](termios& t) { ::cfsetospeed(&t, B4800); },
       "4800 8N1, no flow control",
       {"4800 baud instead of 9600 baud"}},
      {[](termios& t) { t.c_cflag = (t.c_cflag & ~CSIZE) | CS7 | PARENB | PARODD | CSTOPB; },
       "9600 7O2, no flow control",
       {"7 data bits instead of 8", "odd parity instead of none", "2 stop bits instead of 1"}},
      {[](termios& t) { t.c_cflag |= PARENB, t.c_iflag |= IXOFF, t.c_oflag |= OPOST; },
       "9600 8E1, XON/XOFF flow control, output processing on",
       {"even parity instead of none", "XON/XOFF flow control on",
        "output processing on (the terminal may change bytes)"}},
      {[](termios& t) { ::cfsetospeed(&t, B38400), t.c_cflag |= CRTSCTS, t.c_iflag |= IXON; },
       "38400 8N1, RTS/CTS and XON/XOFF flow control",
       {"38400 baud instead of 9600 baud", "RTS/CTS flow control on", "XON/XOFF flow control on"}}};
  for (const auto& [change, description, problems] : rows) {
    termios tio = CameraLine();
    change(tio);
    const LineSettings line = ReadLineSettings(tio);
    EXPECT_EQ(DescribeLine(line), description);
    EXPECT_EQ(LineProblems(line), problems) << description;
  }
}

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
