#include "qvsim/picture.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

namespace qvsim {
namespace {

constexpr int kGlyphWidth = 5;
constexpr int kAdvance = kGlyphWidth + 1;

// One row per byte, the leftmost pixel in bit 4.
using Glyph = std::array<std::uint8_t, kGlyphHeight>;

struct FontEntry {
  char c;
  Glyph rows;
};

constexpr std::array<FontEntry, 42> kFont = {{
    {'0', {0b01110, 0b10001, 0b10011, 0b10101, 0b11001, 0b10001, 0b01110}},
    {'1', {0b00100, 0b01100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110}},
    {'2', {0b01110, 0b10001, 0b00001, 0b00010, 0b00100, 0b01000, 0b11111}},
    {'3', {0b11111, 0b00010, 0b00100, 0b00010, 0b00001, 0b10001, 0b01110}},
    {'4', {0b00010, 0b00110, 0b01010, 0b10010, 0b11111, 0b00010, 0b00010}},
    {'5', {0b11111, 0b10000, 0b11110, 0b00001, 0b00001, 0b10001, 0b01110}},
    {'6', {0b00110, 0b01000, 0b10000, 0b11110, 0b10001, 0b10001, 0b01110}},
    {'7', {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b01000, 0b01000}},
    {'8', {0b01110, 0b10001, 0b10001, 0b01110, 0b10001, 0b10001, 0b01110}},
    {'9', {0b01110, 0b10001, 0b10001, 0b01111, 0b00001, 0b00010, 0b01100}},
    {'A', {0b01110, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001, 0b10001}},
    {'B', {0b11110, 0b10001, 0b10001, 0b11110, 0b10001, 0b10001, 0b11110}},
    {'C', {0b01110, 0b10001, 0b10000, 0b10000, 0b10000, 0b10001, 0b01110}},
    {'D', {0b11100, 0b10010, 0b10001, 0b10001, 0b10001, 0b10010, 0b11100}},
    {'E', {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b11111}},
    {'F', {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b10000}},
    {'G', {0b01110, 0b10001, 0b10000, 0b10111, 0b10001, 0b10001, 0b01111}},
    {'H', {0b10001, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001, 0b10001}},
    {'I', {0b01110, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110}},
    {'J', {0b00111, 0b00010, 0b00010, 0b00010, 0b00010, 0b10010, 0b01100}},
    {'K', {0b10001, 0b10010, 0b10100, 0b11000, 0b10100, 0b10010, 0b10001}},
    {'L', {0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b11111}},
    {'M', {0b10001, 0b11011, 0b10101, 0b10101, 0b10001, 0b10001, 0b10001}},
    {'N', {0b10001, 0b10001, 0b11001, 0b10101, 0b10011, 0b10001, 0b10001}},
    {'O', {0b01110, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01110}},
    {'P', {0b11110, 0b10001, 0b10001, 0b11110, 0b10000, 0b10000, 0b10000}},
    {'Q', {0b01110, 0b10001, 0b10001, 0b10001, 0b10101, 0b10010, 0b01101}},
    {'R', {0b11110, 0b10001, 0b10001, 0b11110, 0b10100, 0b10010, 0b10001}},
    {'S', {0b01111, 0b10000, 0b10000, 0b01110, 0b00001, 0b00001, 0b11110}},
    {'T', {0b11111, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100}},
    {'U', {0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01110}},
    {'V', {0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01010, 0b00100}},
    {'W', {0b10001, 0b10001, 0b10001, 0b10101, 0b10101, 0b10101, 0b01010}},
    {'X', {0b10001, 0b10001, 0b01010, 0b00100, 0b01010, 0b10001, 0b10001}},
    {'Y', {0b10001, 0b10001, 0b01010, 0b00100, 0b00100, 0b00100, 0b00100}},
    {'Z', {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b10000, 0b11111}},
    {'-', {0b00000, 0b00000, 0b00000, 0b11111, 0b00000, 0b00000, 0b00000}},
    {':', {0b00000, 0b01100, 0b01100, 0b00000, 0b01100, 0b01100, 0b00000}},
    {'#', {0b01010, 0b01010, 0b11111, 0b01010, 0b11111, 0b01010, 0b01010}},
    {'.', {0b00000, 0b00000, 0b00000, 0b00000, 0b00000, 0b01100, 0b01100}},
    {'/', {0b00001, 0b00001, 0b00010, 0b00100, 0b01000, 0b10000, 0b10000}},
    {' ', {0, 0, 0, 0, 0, 0, 0}},
}};

const Glyph* FindGlyph(char c) {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const FontEntry& entry : kFont) {
    if (entry.c == upper)
      return &entry.rows;
  }
  return nullptr;
}

void FillRect(GrayImage& image, int x0, int y0, int w, int h, std::uint8_t value) {
  for (int y = std::max(y0, 0); y < std::min(y0 + h, image.height); ++y) {
    for (int x = std::max(x0, 0); x < std::min(x0 + w, image.width); ++x) image.At(x, y) = value;
  }
}

void DrawCentred(GrayImage& image, std::string_view text, int y, int scale, std::uint8_t value) {
  DrawText(image, text, (image.width - TextWidth(text, scale)) / 2, y, scale, value);
}

std::string Formatted(const char* format, const std::tm& when) {
  char text[32];
  std::strftime(text, sizeof text, format, &when);
  return text;
}

// Light sky fading towards the bottom, so the picture is no flat field.
void PaintBackground(GrayImage& image) {
  for (int y = 0; y < image.height; ++y) {
    const auto value = static_cast<std::uint8_t>(225 - 70 * y / image.height);
    for (int x = 0; x < image.width; ++x) image.At(x, y) = value;
  }
}

constexpr std::uint8_t kInk = 20;
constexpr std::uint8_t kPanel = 40;
constexpr std::uint8_t kPanelInk = 250;

}  // namespace

int TextWidth(std::string_view text, int scale) {
  return text.empty() ? 0 : static_cast<int>(text.size()) * kAdvance * scale - scale;
}

void DrawText(GrayImage& image, std::string_view text, int x, int y, int scale,
              std::uint8_t value) {
  for (char c : text) {
    if (const Glyph* glyph = FindGlyph(c)) {
      for (int row = 0; row < kGlyphHeight; ++row) {
        for (int col = 0; col < kGlyphWidth; ++col) {
          if ((*glyph)[row] & (0x10 >> col))
            FillRect(image, x + col * scale, y + row * scale, scale, scale, value);
        }
      }
    }
    x += kAdvance * scale;
  }
}

GrayImage DrawShot(const ShotInfo& shot) {
  GrayImage image(kPictureWidth, kPictureHeight);
  PaintBackground(image);
  std::tm local{};
  localtime_r(&shot.takenAt, &local);

  char number[16];
  std::snprintf(number, sizeof number, "#%04d", shot.number);

  DrawCentred(image, shot.model, 12, 3, kInk);
  FillRect(image, 16, 44, kPictureWidth - 32, 136, kPanel);
  DrawCentred(image, number, 56, 7, kPanelInk);
  DrawCentred(image, Formatted("%H:%M:%S", local), 124, 5, kPanelInk);
  DrawCentred(image, Formatted("%Y-%m-%d", local), 190, 3, kInk);
  DrawCentred(image, shot.fileName, 220, 2, kInk);
  return image;
}

GrayImage Downscale(const GrayImage& image, int factor) {
  if (factor <= 1)
    return image;
  GrayImage small(image.width / factor, image.height / factor);
  for (int y = 0; y < small.height; ++y) {
    for (int x = 0; x < small.width; ++x) {
      int sum = 0;
      for (int dy = 0; dy < factor; ++dy) {
        for (int dx = 0; dx < factor; ++dx) sum += image.At(x * factor + dx, y * factor + dy);
      }
      small.At(x, y) = static_cast<std::uint8_t>(sum / (factor * factor));
    }
  }
  return small;
}

}  // namespace qvsim
