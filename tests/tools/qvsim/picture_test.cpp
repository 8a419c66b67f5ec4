#include "qvsim/picture.h"

#include <gtest/gtest.h>

#include "jpeg_support.h"
#include "qvsim/card.h"

namespace qvsim {
namespace {

struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  bool Empty() const { return right < 0; }
};

// The box around all pixels that differ from the background value.
Box InkBox(const GrayImage& image, std::uint8_t background) {
  Box box;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (image.At(x, y) != background) {
        box.left = std::min(box.left, x);
        box.right = std::max(box.right, x);
        box.top = std::min(box.top, y);
        box.bottom = std::max(box.bottom, y);
      }
    }
  }
  return box;
}

// The pixels in which two pictures differ.
std::vector<int> Differences(const GrayImage& a, const GrayImage& b) {
  std::vector<int> positions;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) {
    if (a.pixels[i] != b.pixels[i])
      positions.push_back(static_cast<int>(i));
  }
  return positions;
}

TEST(Picture, TextCoversExactlyItsMeasuredWidth) {
  // '#' reaches the left edge of its cell and '0' the right edge of its
  // own, so the ink spans the whole measured width.
  for (int scale : {1, 3}) {
    GrayImage image(200, 40, 0);
    DrawText(image, "#10", 5, 6, scale, 255);
    const Box box = InkBox(image, 0);
    EXPECT_EQ(box.left, 5);
    EXPECT_EQ(box.top, 6);
    EXPECT_EQ(box.right - box.left + 1, TextWidth("#10", scale));
    EXPECT_EQ(box.bottom - box.top + 1, kGlyphHeight * scale);
  }
}

TEST(Picture, UnknownCharactersLeaveAGapAndLowerCaseDrawsAsUpper) {
  GrayImage unknown(100, 10, 0);
  DrawText(unknown, "?!", 0, 0, 1, 255);
  EXPECT_TRUE(InkBox(unknown, 0).Empty());

  GrayImage lower(100, 10, 0), upper(100, 10, 0);
  DrawText(lower, "cimg", 0, 0, 1, 255);
  DrawText(upper, "CIMG", 0, 0, 1, 255);
  EXPECT_EQ(lower.pixels, upper.pixels);
  EXPECT_FALSE(InkBox(upper, 0).Empty());
}

TEST(Picture, NumberAndTimeShowInSeparatePlaces) {
  const std::time_t noon = 1700000000;
  const GrayImage first = DrawShot({1, noon, "QV-4000", "CIMG0001.JPG"});
  const GrayImage second = DrawShot({2, noon, "QV-4000", "CIMG0001.JPG"});
  const GrayImage later = DrawShot({1, noon + 1, "QV-4000", "CIMG0001.JPG"});
  const std::vector<int> byNumber = Differences(first, second);
  const std::vector<int> byTime = Differences(first, later);
  EXPECT_FALSE(byNumber.empty());
  EXPECT_FALSE(byTime.empty());
  std::vector<int> both;
  std::set_intersection(byNumber.begin(), byNumber.end(), byTime.begin(), byTime.end(),
                        std::back_inserter(both));
  EXPECT_TRUE(both.empty());
  EXPECT_EQ(first.width, kPictureWidth);
  EXPECT_EQ(first.height, kPictureHeight);
}

TEST(Picture, DownscaleTakesTheMeanOfEachSquare) {
  GrayImage image(4, 2);
  image.pixels = {0, 100, 10, 10, 200, 100, 30, 50};
  const GrayImage small = Downscale(image, 2);
  ASSERT_EQ(small.width, 2);
  ASSERT_EQ(small.height, 1);
  EXPECT_EQ(small.At(0, 0), 100);
  EXPECT_EQ(small.At(1, 0), 25);
}

TEST(Picture, ShotAndThumbnailDecodeAtTheirSizes) {
  const GrayImage shot = DrawShot({7, 1700000000, "QV-8000SX", "CIMG0007.JPG"});
  const QImage picture = test::DecodeJpeg(EncodeJpeg(shot));
  const QImage thumbnail = test::DecodeJpeg(EncodeJpeg(Downscale(shot, kThumbnailFactor)));
  EXPECT_EQ(picture.size(), QSize(320, 240));
  EXPECT_EQ(thumbnail.size(), QSize(160, 120));
  EXPECT_LT(test::CompareWith(shot, picture).mean, 3.0);
}

TEST(PictureNames, AreEightDotThreeCameraNames) {
  EXPECT_EQ(PictureName(1), "CIMG0001.JPG");
  EXPECT_EQ(PictureName(9999), "CIMG9999.JPG");
  EXPECT_EQ(PictureName(1).size(), 12u);
  EXPECT_EQ(PictureNumber("CIMG0042.JPG"), 42);
  EXPECT_EQ(PictureNumber("cimg0042.jpg"), 42);
  for (const char* other : {"CIMG042.JPG", "CIMGabcd.JPG", "IMG_0001.JPG", "CIMG0001.JPEG",
                            "CIMG0001.PNG", "PREVIEW", ""}) {
    EXPECT_EQ(PictureNumber(other), 0) << other;
  }
}

}  // namespace
}  // namespace qvsim
