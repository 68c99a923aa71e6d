// A read cursor over a picture file's bytes that never passes the end, and the
// checked arithmetic the readers size their work with.
//
// A read past the end gives 0 and sets the failure flag, which stays set; a
// reader checks Failed() (or Remaining()) at the points where it matters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>

#include "services/picture/image.h"

class ByteReader {
 public:
  explicit ByteReader(Bytes bytes) : bytes_(bytes) {}

  std::size_t Position() const { return position_; }
  std::size_t Size() const { return bytes_.size(); }
  std::size_t Remaining() const { return bytes_.size() - position_; }
  bool Failed() const { return failed_; }

  std::uint8_t U8() {
    if (Remaining() < 1) return Fail();
    return bytes_[position_++];
  }
  std::uint16_t U16LE() {
    if (Remaining() < 2) return Fail();
    auto value = static_cast<std::uint16_t>(bytes_[position_] | (bytes_[position_ + 1] << 8));
    position_ += 2;
    return value;
  }
  std::uint32_t U32LE() {
    if (Remaining() < 4) return Fail();
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) value = (value << 8) | bytes_[position_ + i];
    position_ += 4;
    return value;
  }
  std::int32_t I32LE() { return static_cast<std::int32_t>(U32LE()); }
  std::uint32_t U32BE() {
    if (Remaining() < 4) return Fail();
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | bytes_[position_ + i];
    position_ += 4;
    return value;
  }

  // Moves n bytes on; fewer than n left moves to the end and fails.
  bool Skip(std::size_t n) {
    if (Remaining() < n) {
      position_ = bytes_.size();
      Fail();
      return false;
    }
    position_ += n;
    return true;
  }
  // Moves to an absolute offset; one beyond the end fails.
  bool Seek(std::size_t offset) {
    if (offset > bytes_.size()) {
      Fail();
      return false;
    }
    position_ = offset;
    return true;
  }
  // The next n bytes without moving, or an empty span (and failure) when fewer are left.
  Bytes Peek(std::size_t n) {
    if (Remaining() < n) {
      Fail();
      return {};
    }
    return bytes_.subspan(position_, n);
  }
  // The next n bytes, moving past them; an empty span (and failure) when fewer are left.
  Bytes Take(std::size_t n) {
    Bytes taken = Peek(n);
    if (!failed_) position_ += n;
    return taken;
  }

 private:
  std::uint8_t Fail() {
    failed_ = true;
    return 0;
  }

  Bytes bytes_;
  std::size_t position_ = 0;
  bool failed_ = false;
};

// a * b, or nothing when it does not fit in std::size_t.
inline std::optional<std::size_t> CheckedMultiply(std::size_t a, std::size_t b) {
  if (a != 0 && b > std::numeric_limits<std::size_t>::max() / a) return std::nullopt;
  return a * b;
}

// a + b, or nothing when it does not fit in std::size_t.
inline std::optional<std::size_t> CheckedAdd(std::size_t a, std::size_t b) {
  if (b > std::numeric_limits<std::size_t>::max() - a) return std::nullopt;
  return a + b;
}

// Bytes in a row of `width` pixels of `bits` bits each, padded to a multiple of
// `align` bytes; nothing on overflow. Divides before it multiplies where it can.
inline std::optional<std::size_t> RowBytes(std::size_t width, std::size_t bits, std::size_t align) {
  auto bitCount = CheckedMultiply(width, bits);
  if (!bitCount) return std::nullopt;
  std::size_t bytes = *bitCount / 8 + (*bitCount % 8 != 0 ? 1 : 0);
  std::size_t rest = bytes % align;
  return rest == 0 ? std::optional<std::size_t>(bytes) : CheckedAdd(bytes, align - rest);
}

// True when a width x height picture passes the limits every reader applies
// before it allocates (see image.h).
inline bool WithinPictureLimits(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}
