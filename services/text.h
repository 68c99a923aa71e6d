// Texts and byte buffers shared by the whole program.
//
// A text is a std::string of code page 936 bytes; the empty text and a missing
// text are the same thing, and every length counts bytes (a double-byte
// character counts 2). A byte buffer owns a counted block of bytes whose
// length is a signed 32-bit number; the empty buffer owns no memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

using Text = std::string;

// Bytes before the NUL, as the signed 32-bit count the program works with.
std::int32_t TextLength(const Text& text);

// n <= 0 gives the empty text; otherwise the first (or last) min(n, length)
// bytes. A cut may fall inside a double-byte character.
Text LeftPart(const Text& text, std::int32_t n);
Text RightPart(const Text& text, std::int32_t n);

// Value of a process environment variable, the name compared without regard to
// letter case; a missing or empty variable gives the empty text.
Text GetEnvironmentText(const Text& name);

class ByteBuffer {
 public:
  ByteBuffer() = default;
  ~ByteBuffer();
  ByteBuffer(ByteBuffer&& other) noexcept;
  ByteBuffer& operator=(ByteBuffer&& other) noexcept;
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;

  // The program's own data: failure to allocate is fatal (code 0).
  static ByteBuffer FromBytes(std::span<const std::uint8_t> bytes);
  // A block for data from outside (a file, a picture): failure to allocate,
  // or a size <= 0, gives the empty buffer quietly.
  static ByteBuffer TryAllocate(std::int32_t size);

  // A new buffer holding the same bytes; the empty buffer gives the empty buffer.
  ByteBuffer Copy() const;

  // Keeps the first n bytes (0 <= n <= size); 0 releases the block.
  void Truncate(std::int32_t n);

  std::uint8_t* data() { return data_; }
  const std::uint8_t* data() const { return data_; }
  std::int32_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::span<const std::uint8_t> bytes() const { return {data_, static_cast<std::size_t>(size_)}; }

 private:
  std::uint8_t* data_ = nullptr;
  std::int32_t size_ = 0;
};
