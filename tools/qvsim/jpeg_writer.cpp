#include "qvsim/jpeg_writer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <span>

namespace qvsim {
namespace {

// Luminance quantisation table of the standard's examples, in row order.
constexpr std::array<int, 64> kLuminanceQuant = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99,
};

// Row-order index of each coefficient in zig-zag order.
constexpr std::array<int, 64> kZigZag = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

// The standard's example Huffman tables for luminance: number of codes of
// each length 1 to 16, then the symbols in code order.
constexpr std::array<std::uint8_t, 16> kDcCounts = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
constexpr std::array<std::uint8_t, 12> kDcSymbols = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};

constexpr std::array<std::uint8_t, 16> kAcCounts = {0, 2, 1, 3, 3, 2, 4, 3,
                                                    5, 5, 4, 4, 0, 0, 1, 0x7d};
constexpr std::array<std::uint8_t, 162> kAcSymbols = {
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61,
    0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52,
    0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25,
    0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45,
    0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63, 0x64,
    0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99,
    0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6,
    0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3,
    0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8,
    0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa,
};

constexpr std::uint8_t kEndOfBlock = 0x00;
// The tables code coefficients of up to 10 bits (11 for the DC difference).
constexpr long kMaxCoefficient = 1023;
constexpr std::uint8_t kZeroRun16 = 0xF0;

struct Code {
  std::uint16_t bits = 0;
  int length = 0;
};

// Canonical codes: within each length the codes count up, and each longer
// length continues from the shorter one shifted left.
std::array<Code, 256> BuildCodes(std::span<const std::uint8_t> counts,
                                 std::span<const std::uint8_t> symbols) {
  std::array<Code, 256> codes{};
  std::uint16_t next = 0;
  std::size_t k = 0;
  for (int length = 1; length <= 16; ++length) {
    for (int i = 0; i < counts[length - 1]; ++i) codes[symbols[k++]] = {next++, length};
    next = static_cast<std::uint16_t>(next << 1);
  }
  return codes;
}

std::array<int, 64> ScaledQuant(int quality) {
  quality = std::clamp(quality, 1, 100);
  const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
  std::array<int, 64> quant{};
  for (int i = 0; i < 64; ++i)
    quant[i] = std::clamp((kLuminanceQuant[i] * scale + 50) / 100, 1, 255);
  return quant;
}

class BitWriter {
 public:
  explicit BitWriter(std::vector<std::uint8_t>& out) : m_out(out) {}

  void Put(std::uint32_t bits, int length) {
    for (int i = length - 1; i >= 0; --i) {
      m_byte = static_cast<std::uint8_t>((m_byte << 1) | ((bits >> i) & 1));
      if (++m_count == 8)
        Flush();
    }
  }
  void Put(const Code& code) { Put(code.bits, code.length); }

  // Fills the last byte with one bits, as the format asks.
  void Finish() {
    while (m_count != 0) Put(1, 1);
  }

 private:
  void Flush() {
    m_out.push_back(m_byte);
    if (m_byte == 0xFF)
      m_out.push_back(0x00);  // a data byte 0xFF is followed by 0 so it reads as no marker
    m_byte = 0;
    m_count = 0;
  }

  std::vector<std::uint8_t>& m_out;
  std::uint8_t m_byte = 0;
  int m_count = 0;
};

// Number of bits of |value|, and the bits sent for it: the value itself when
// positive, its ones' complement in that many bits when negative.
int Magnitude(int value) {
  int n = 0;
  for (int v = std::abs(value); v; v >>= 1) ++n;
  return n;
}
std::uint32_t ValueBits(int value, int magnitude) {
  return static_cast<std::uint32_t>(value < 0 ? value - 1 : value) & ((1u << magnitude) - 1);
}

class Encoder {
 public:
  Encoder(const GrayImage& image, int quality)
      : m_image(image),
        m_quant(ScaledQuant(quality)),
        m_dcCodes(BuildCodes(kDcCounts, kDcSymbols)),
        m_acCodes(BuildCodes(kAcCounts, kAcSymbols)) {
    for (int u = 0; u < 8; ++u) {
      for (int x = 0; x < 8; ++x) m_cos[u][x] = std::cos((2 * x + 1) * u * std::numbers::pi / 16.0);
    }
  }

  std::vector<std::uint8_t> Run() {
    WriteHeaders();
    BitWriter bits(m_out);
    int previousDc = 0;
    for (int by = 0; by < m_image.height; by += 8) {
      for (int bx = 0; bx < m_image.width; bx += 8)
        previousDc = EncodeBlock(bits, Quantised(bx, by), previousDc);
    }
    bits.Finish();
    Marker(0xD9);
    return std::move(m_out);
  }

 private:
  void Byte(int value) { m_out.push_back(static_cast<std::uint8_t>(value)); }
  void Word(int value) {
    Byte(value >> 8);
    Byte(value & 0xFF);
  }
  void Marker(int code) {
    Byte(0xFF);
    Byte(code);
  }

  void WriteHeaders() {
    Marker(0xD8);  // start of image
    Marker(0xE0);  // JFIF: version 1.01, no density units, 1:1 aspect, no thumbnail
    Word(16);
    for (char c : {'J', 'F', 'I', 'F', '\0'}) Byte(c);
    for (int v : {1, 1, 0}) Byte(v);
    Word(1);
    Word(1);
    Byte(0);
    Byte(0);

    Marker(0xDB);  // quantisation table 0, 8-bit values in zig-zag order
    Word(2 + 1 + 64);
    Byte(0);
    for (int i : kZigZag) Byte(m_quant[i]);

    Marker(0xC0);  // baseline frame, 8-bit samples, one component 1x1 on table 0
    Word(2 + 6 + 3);
    Byte(8);
    Word(m_image.height);
    Word(m_image.width);
    Byte(1);
    for (int v : {1, 0x11, 0}) Byte(v);

    HuffmanTable(0x00, kDcCounts, kDcSymbols);
    HuffmanTable(0x10, kAcCounts, kAcSymbols);

    Marker(0xDA);  // scan of the one component, DC and AC table 0, all 64 coefficients
    Word(2 + 1 + 2 + 3);
    for (int v : {1, 1, 0x00, 0, 63, 0}) Byte(v);
  }

  void HuffmanTable(int classAndId, std::span<const std::uint8_t> counts,
                    std::span<const std::uint8_t> symbols) {
    Marker(0xC4);
    Word(static_cast<int>(2 + 1 + counts.size() + symbols.size()));
    Byte(classAndId);
    for (std::uint8_t c : counts) Byte(c);
    for (std::uint8_t s : symbols) Byte(s);
  }

  // The block at (bx, by), level-shifted, transformed and quantised, in
  // zig-zag order.
  std::array<int, 64> Quantised(int bx, int by) const {
    double samples[8][8];
    for (int y = 0; y < 8; ++y) {
      const int sy = std::min(by + y, m_image.height - 1);
      for (int x = 0; x < 8; ++x) {
        const int sx = std::min(bx + x, m_image.width - 1);
        samples[y][x] = m_image.At(sx, sy) - 128.0;
      }
    }
    std::array<int, 64> out{};
    for (int k = 0; k < 64; ++k) {
      const int natural = kZigZag[k];
      const int v = natural / 8;
      const int u = natural % 8;
      double sum = 0;
      for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) sum += samples[y][x] * m_cos[u][x] * m_cos[v][y];
      }
      const double cu = u == 0 ? std::numbers::sqrt2 / 2 : 1.0;
      const double cv = v == 0 ? std::numbers::sqrt2 / 2 : 1.0;
      const long value = std::lround(0.25 * cu * cv * sum / m_quant[natural]);
      out[k] = static_cast<int>(std::clamp(value, -kMaxCoefficient, kMaxCoefficient));
    }
    return out;
  }

  int EncodeBlock(BitWriter& bits, const std::array<int, 64>& block, int previousDc) const {
    const int diff = block[0] - previousDc;
    const int dcSize = Magnitude(diff);
    bits.Put(m_dcCodes[dcSize]);
    bits.Put(ValueBits(diff, dcSize), dcSize);

    int run = 0;
    for (int k = 1; k < 64; ++k) {
      if (block[k] == 0) {
        ++run;
        continue;
      }
      for (; run >= 16; run -= 16) bits.Put(m_acCodes[kZeroRun16]);
      const int size = Magnitude(block[k]);
      bits.Put(m_acCodes[(run << 4) | size]);
      bits.Put(ValueBits(block[k], size), size);
      run = 0;
    }
    if (run > 0)
      bits.Put(m_acCodes[kEndOfBlock]);
    return block[0];
  }

  const GrayImage& m_image;
  std::array<int, 64> m_quant;
  std::array<Code, 256> m_dcCodes;
  std::array<Code, 256> m_acCodes;
  double m_cos[8][8];
  std::vector<std::uint8_t> m_out;
};

}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const GrayImage& image, int quality) {
  if (image.width <= 0 || image.height <= 0 || image.width > 65535 || image.height > 65535)
    return {};
  return Encoder(image, quality).Run();
}

}  // namespace qvsim
