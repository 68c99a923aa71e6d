// What the program makes of a picture file: its recognised format, the
// decoded size and a hash of the decoded pixels, and (on Windows) the size the
// measurement gives. Shared by tools/src/picture-info.cpp, which writes the
// corpus outcome table, and the test that checks every row of it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/corpus.h"
#include "services/picture/format.h"
#include "services/picture/readers.h"
#ifdef _WIN32
#include "services/picture.h"
#endif

namespace outcome {

// FNV-1a 64 over the bytes, as the golden tables use it.
inline std::string PixelHash(const std::uint8_t* bytes, std::size_t count) {
  std::uint64_t h = 0xCBF29CE484222325ull;
  for (std::size_t i = 0; i < count; ++i) {
    h ^= bytes[i];
    h *= 0x100000001B3ull;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

inline std::string Size(std::int32_t width, std::int32_t height) {
  char text[32];
  std::snprintf(text, sizeof text, "%dx%d", static_cast<int>(width), static_cast<int>(height));
  return text;
}

struct Outcome {
  std::string format;    // PictureFormatName
  std::string decoded;   // "WxH" or "none"
  std::string hash;      // of the BGRA pixels; "-" for icons and no picture
  std::string measured;  // "WxH" (0x0 when unmeasurable); "-" off Windows

  std::string Line() const {
    std::string line;
    for (const std::string* field : {&format, &decoded, &hash, &measured}) {
      if (!line.empty()) line.push_back('\t');
      line.append(*field);
    }
    return line;
  }
};

inline Outcome Describe(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  const Bytes data(bytes.data(), bytes.size());
  const PictureFormat format = DetectPictureFormat(data);
  Outcome out{PictureFormatName(format), "none", "-", "-"};
#ifdef _WIN32
  DecodedPicture* picture = DecodePicture(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  if (picture != nullptr) {
    out.decoded = Size(picture->width, picture->height);
    if (picture->icon == nullptr) {
      out.hash = PixelHash(picture->image.pixels.get(), picture->image.ByteCount());
    }
    FreeDecodedPicture(picture);
  }
  out.measured = Size(GetPictureWidth(path), GetPictureHeight(path));
#else
  (void)path;
  if (format == PictureFormat::Icon || format == PictureFormat::Cursor) {
    // The platform makes the icon; here only the chosen image's size.
    if (auto choice = ChooseIconEntry(data)) out.decoded = Size(choice->width, choice->height);
  } else if (auto image = DecodeImage(data)) {
    out.decoded = Size(image->width, image->height);
    out.hash = PixelHash(image->pixels.get(), image->ByteCount());
  }
#endif
  return out;
}

using corpus::ReadFile;

}  // namespace outcome
