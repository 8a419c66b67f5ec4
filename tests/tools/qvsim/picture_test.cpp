#include "qvsim/picture.h"

#include <gtest/gtest.h>

#include "jpeg_support.h"
#include "qvsim/card.h"

namespace qvsim {
namespace {

// The pixels in which two pictures differ.
std::vector<int> Differences(const GrayImage& a, const GrayImage& b) {
  std::vector<int> positions;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) {
    if (a.pixels[i] != b.pixels[i])
      positions.push_back(static_cast<int>(i));
  }
  return positions;
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
