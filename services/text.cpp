#include "services/text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "services/fatal.h"

std::int32_t TextLength(const Text& text) {
  // Texts come from the environment, the file system and our own literals;
  // none reaches 2 GiB, so the count fits.
  return static_cast<std::int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
}

Text LeftPart(const Text& text, std::int32_t n) {
  if (n <= 0) return Text();
  return text.substr(0, std::min(static_cast<std::size_t>(n), text.size()));
}

Text RightPart(const Text& text, std::int32_t n) {
  if (n <= 0) return Text();
  std::size_t count = std::min(static_cast<std::size_t>(n), text.size());
  return text.substr(text.size() - count);
}

ByteBuffer::~ByteBuffer() { std::free(data_); }

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
  if (this != &other) {
    std::free(data_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

ByteBuffer ByteBuffer::TryAllocate(std::int32_t size) {
  ByteBuffer buffer;
  if (size <= 0) return buffer;
  buffer.data_ = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(size)));
  if (buffer.data_ != nullptr) buffer.size_ = size;
  return buffer;
}

ByteBuffer ByteBuffer::FromBytes(std::span<const std::uint8_t> bytes) {
  ByteBuffer buffer;
  if (bytes.empty()) return buffer;
  std::int32_t size = static_cast<std::int32_t>(std::min<std::size_t>(bytes.size(), INT32_MAX));
  buffer = TryAllocate(size);
  if (buffer.empty()) ReportAllocationFailure(static_cast<std::size_t>(size));
  std::memcpy(buffer.data_, bytes.data(), static_cast<std::size_t>(size));
  return buffer;
}

ByteBuffer ByteBuffer::Copy() const { return FromBytes(bytes()); }

void ByteBuffer::Truncate(std::int32_t n) {
  if (n >= size_ || n < 0) return;
  if (n == 0) {
    std::free(data_);
    data_ = nullptr;
  }
  size_ = n;
}
