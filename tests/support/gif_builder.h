// Builds small GIF files for tests: a global table of up to four colours,
// frames with their graphic control, and image data in LZW codes of 3 bits
// (a clear code after every two pixels keeps the code size from growing).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class GifBuilder {
 public:
  using Colour = std::array<std::uint8_t, 3>;  // red, green, blue

  GifBuilder(int width, int height, std::vector<Colour> palette) {
    Bytes("GIF89a");
    U16(width);
    U16(height);
    palette.resize(4);
    b.push_back(0x80 | 0x01);  // global table of 4 entries
    b.push_back(0);
    b.push_back(0);
    for (const Colour& c : palette) b.insert(b.end(), c.begin(), c.end());
  }

  GifBuilder& Loop(int count) {
    b.insert(b.end(), {0x21, 0xFF, 0x0B});
    Bytes("NETSCAPE2.0");
    b.insert(b.end(), {0x03, 0x01});
    U16(count);
    b.push_back(0);
    return *this;
  }

  GifBuilder& Control(int delayCentiseconds, int disposal, int transparent = -1) {
    b.insert(b.end(), {0x21, 0xF9, 0x04});
    b.push_back(static_cast<std::uint8_t>((disposal << 2) | (transparent >= 0 ? 1 : 0)));
    U16(delayCentiseconds);
    b.push_back(static_cast<std::uint8_t>(transparent >= 0 ? transparent : 0));
    b.push_back(0);
    return *this;
  }

  GifBuilder& Image(int left, int top, int width, int height,
                    const std::vector<std::uint8_t>& indices, bool interlaced = false) {
    b.push_back(0x2C);
    U16(left);
    U16(top);
    U16(width);
    U16(height);
    b.push_back(interlaced ? 0x40 : 0x00);
    b.push_back(2);  // minimum code size
    std::vector<unsigned> codes = {4};
    for (std::size_t i = 0; i < indices.size(); ++i) {
      codes.push_back(indices[i]);
      if (i % 2 == 1) codes.push_back(4);
    }
    codes.push_back(5);
    std::vector<std::uint8_t> packed;
    unsigned bits = 0, count = 0;
    for (unsigned code : codes) {
      bits |= code << count;
      count += 3;
      while (count >= 8) {
        packed.push_back(static_cast<std::uint8_t>(bits & 0xFF));
        bits >>= 8;
        count -= 8;
      }
    }
    if (count > 0) packed.push_back(static_cast<std::uint8_t>(bits));
    for (std::size_t at = 0; at < packed.size(); at += 255) {
      std::size_t n = packed.size() - at < 255 ? packed.size() - at : 255;
      b.push_back(static_cast<std::uint8_t>(n));
      b.insert(b.end(), packed.begin() + static_cast<std::ptrdiff_t>(at),
               packed.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
    b.push_back(0);
    return *this;
  }

  std::vector<std::uint8_t> Finish() {
    b.push_back(0x3B);
    return b;
  }

 private:
  void U16(int value) {
    b.push_back(static_cast<std::uint8_t>(value & 0xFF));
    b.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
  }
  void Bytes(const std::string& text) { b.insert(b.end(), text.begin(), text.end()); }

  std::vector<std::uint8_t> b;
};
