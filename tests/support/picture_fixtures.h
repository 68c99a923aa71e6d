// Small hand-made picture files for the reader tests and the fuzzers' seeds:
// BMP, GIF (with a real LZW encoder), PCX and icon directories.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace fixtures {

using ByteVector = std::vector<std::uint8_t>;

inline void Put16(ByteVector& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void Put32(ByteVector& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
inline void Set32(ByteVector& out, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

struct Bgr {
  std::uint8_t blue, green, red;
  bool operator==(const Bgr&) const = default;
};

// --- BMP -------------------------------------------------------------------

struct BmpLayout {
  std::int32_t width = 3;
  std::int32_t height = 2;  // negative: rows stored top-down
  std::uint16_t bits = 8;
  std::uint32_t compression = 0;
  std::uint16_t planes = 1;
  std::uint32_t headerSize = 40;  // 12: OS/2 core header with 3-byte palette entries
  std::uint32_t colourCount = 0;  // biClrUsed
  std::vector<Bgr> palette;       // written as given
};

// `rows` holds, top row first, each row's palette indexes (1/4/8 bits) or
// blue, green, red (24 bits) or blue, green, red, x (32 bits) as one byte each.
inline ByteVector MakeBmp(const BmpLayout& layout, const std::vector<ByteVector>& rows) {
  ByteVector out = {'B', 'M'};
  Put32(out, 0);  // bfSize, set below
  Put32(out, 0);
  Put32(out, 0);  // bfOffBits, set below
  Put32(out, layout.headerSize);
  if (layout.headerSize == 12) {
    Put16(out, static_cast<unsigned>(layout.width));
    Put16(out, static_cast<unsigned>(layout.height));
    Put16(out, layout.planes);
    Put16(out, layout.bits);
  } else {
    Put32(out, static_cast<std::uint32_t>(layout.width));
    Put32(out, static_cast<std::uint32_t>(layout.height));
    Put16(out, layout.planes);
    Put16(out, layout.bits);
    Put32(out, layout.compression);
    Put32(out, 0);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, layout.colourCount);
    Put32(out, 0);
    out.resize(14 + layout.headerSize, 0);
  }
  for (const Bgr& c : layout.palette) {
    out.insert(out.end(), {c.blue, c.green, c.red});
    if (layout.headerSize != 12) out.push_back(0);
  }
  Set32(out, 10, static_cast<std::uint32_t>(out.size()));
  const std::size_t stride = ((static_cast<std::size_t>(layout.width) * layout.bits + 31) / 32) * 4;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const ByteVector& row = layout.height < 0 ? rows[r] : rows[rows.size() - 1 - r];
    ByteVector packed(stride, 0);
    if (layout.bits == 0 || layout.bits > 8) {
      for (std::size_t i = 0; i < row.size() && i < stride; ++i) packed[i] = row[i];
    } else {
      for (std::size_t x = 0; x < row.size(); ++x) {
        const std::size_t bit = x * layout.bits;
        if (bit / 8 >= packed.size()) break;
        packed[bit / 8] |= static_cast<std::uint8_t>(row[x] << (8 - layout.bits - bit % 8));
      }
    }
    out.insert(out.end(), packed.begin(), packed.end());
  }
  Set32(out, 2, static_cast<std::uint32_t>(out.size()));
  return out;
}

// --- GIF -------------------------------------------------------------------

// The standard's LZW, LSB-first, as GIF data sub-blocks ending in the terminator.
// With clearWhenFull false, a full table is kept (the "deferred clear").
inline ByteVector EncodeLzw(const ByteVector& indexes, unsigned minCodeSize,
                            bool clearWhenFull = true) {
  ByteVector packed;
  std::uint32_t bits = 0;
  unsigned bitCount = 0;
  const unsigned clear = 1u << minCodeSize;
  unsigned size = minCodeSize + 1, decoderNext = clear + 2, next = clear + 2;
  bool first = true;
  std::map<std::pair<unsigned, std::uint8_t>, unsigned> table;
  auto emit = [&](unsigned code) {
    bits |= code << bitCount;
    bitCount += size;
    while (bitCount >= 8) {
      packed.push_back(static_cast<std::uint8_t>(bits));
      bits >>= 8;
      bitCount -= 8;
    }
    // The size the decoder reads the next code with: it adds an entry for
    // every code after the first since the last clear.
    if (code == clear) {
      size = minCodeSize + 1;
      decoderNext = clear + 2;
      first = true;
      return;
    }
    if (!first && decoderNext < 4096) ++decoderNext;
    if (decoderNext >= (1u << size) && size < 12) ++size;
    first = false;
  };
  emit(clear);
  if (!indexes.empty()) {
    unsigned prefix = indexes[0];
    for (std::size_t i = 1; i < indexes.size(); ++i) {
      auto found = table.find({prefix, indexes[i]});
      if (found != table.end()) {
        prefix = found->second;
        continue;
      }
      emit(prefix);
      if (next < 4096) {
        table[{prefix, indexes[i]}] = next++;
      } else if (clearWhenFull) {
        emit(clear);
        table.clear();
        next = clear + 2;
      }
      prefix = indexes[i];
    }
    emit(prefix);
  }
  emit(clear + 1);
  if (bitCount > 0) packed.push_back(static_cast<std::uint8_t>(bits));
  ByteVector out;
  for (std::size_t at = 0; at < packed.size(); at += 255) {
    const std::size_t n = packed.size() - at < 255 ? packed.size() - at : 255;
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), packed.begin() + static_cast<std::ptrdiff_t>(at),
               packed.begin() + static_cast<std::ptrdiff_t>(at + n));
  }
  out.push_back(0);
  return out;
}

// Colour-table flag bits for a table of 2^(n+1) entries.
inline std::uint8_t TableBits(std::size_t entries) {
  std::uint8_t n = 0;
  while ((std::size_t{2} << n) < entries) ++n;
  return n;
}

inline void PutTable(ByteVector& out, const std::vector<Bgr>& table) {
  const std::size_t entries = std::size_t{2} << TableBits(table.size());
  for (std::size_t i = 0; i < entries; ++i) {
    Bgr c = i < table.size() ? table[i] : Bgr{0, 0, 0};
    out.insert(out.end(), {c.red, c.green, c.blue});
  }
}

inline ByteVector GifHeader(unsigned screenWidth, unsigned screenHeight,
                            const std::vector<Bgr>& global, std::uint8_t background = 0) {
  ByteVector out = {'G', 'I', 'F', '8', '9', 'a'};
  Put16(out, screenWidth);
  Put16(out, screenHeight);
  out.push_back(global.empty() ? 0 : static_cast<std::uint8_t>(0x80 | TableBits(global.size())));
  out.push_back(background);
  out.push_back(0);
  if (!global.empty()) PutTable(out, global);
  return out;
}

struct GifImage {
  unsigned left = 0, top = 0, width = 1, height = 1;
  bool interlaced = false;
  std::vector<Bgr> local;
  unsigned minCodeSize = 8;
  ByteVector indexes;  // in the order they are stored (interlaced order when interlaced)
  bool clearWhenFull = true;
};

inline void PutImage(ByteVector& out, const GifImage& image) {
  out.push_back(0x2C);
  Put16(out, image.left);
  Put16(out, image.top);
  Put16(out, image.width);
  Put16(out, image.height);
  std::uint8_t flags = image.interlaced ? 0x40 : 0;
  if (!image.local.empty())
    flags = static_cast<std::uint8_t>(flags | 0x80 | TableBits(image.local.size()));
  out.push_back(flags);
  if (!image.local.empty()) PutTable(out, image.local);
  out.push_back(static_cast<std::uint8_t>(image.minCodeSize));
  ByteVector data = EncodeLzw(image.indexes, image.minCodeSize, image.clearWhenFull);
  out.insert(out.end(), data.begin(), data.end());
}

// An extension with one sub-block of `length` bytes.
inline void PutExtension(ByteVector& out, std::uint8_t label, std::size_t length) {
  out.insert(out.end(), {0x21, label, static_cast<std::uint8_t>(length)});
  out.insert(out.end(), length, 0x20);
  out.push_back(0);
}

// --- PCX -------------------------------------------------------------------

struct PcxLayout {
  std::uint8_t version = 5;
  std::uint8_t bits = 8;
  std::uint8_t planes = 1;
  unsigned xmin = 0, ymin = 0, xmax = 0, ymax = 0;
  unsigned bytesPerLine = 0;
};

// Run-length codes the scan lines as one stream (runs may cross lines).
inline ByteVector MakePcx(const PcxLayout& layout, const ByteVector& scanBytes,
                          const std::vector<Bgr>* palette = nullptr) {
  ByteVector out(128, 0);
  out[0] = 0x0A;
  out[1] = layout.version;
  out[2] = 1;
  out[3] = layout.bits;
  auto put16At = [&](std::size_t at, unsigned value) {
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
  };
  put16At(4, layout.xmin);
  put16At(6, layout.ymin);
  put16At(8, layout.xmax);
  put16At(10, layout.ymax);
  out[65] = layout.planes;
  put16At(66, layout.bytesPerLine);
  for (std::size_t i = 0; i < scanBytes.size();) {
    std::size_t run = 1;
    while (i + run < scanBytes.size() && run < 63 && scanBytes[i + run] == scanBytes[i]) ++run;
    if (run > 1 || scanBytes[i] >= 0xC0) out.push_back(static_cast<std::uint8_t>(0xC0 + run));
    out.push_back(scanBytes[i]);
    i += run;
  }
  if (palette != nullptr) {
    out.push_back(12);
    for (std::size_t i = 0; i < 256; ++i) {
      Bgr c = i < palette->size() ? (*palette)[i] : Bgr{0, 0, 0};
      out.insert(out.end(), {c.red, c.green, c.blue});
    }
  }
  return out;
}

// --- Icon directory --------------------------------------------------------

struct IconEntry {
  std::uint8_t width, height, colourCount;
  ByteVector image;
};

inline ByteVector MakeIconDirectory(const std::vector<IconEntry>& entries, std::uint16_t type = 1) {
  ByteVector out;
  Put16(out, 0);
  Put16(out, type);
  Put16(out, static_cast<unsigned>(entries.size()));
  std::size_t offset = 6 + 16 * entries.size();
  for (const IconEntry& e : entries) {
    out.insert(out.end(), {e.width, e.height, e.colourCount, 0});
    Put16(out, 1);
    Put16(out, 4);
    Put32(out, static_cast<std::uint32_t>(e.image.size()));
    Put32(out, static_cast<std::uint32_t>(offset));
    offset += e.image.size();
  }
  for (const IconEntry& e : entries) out.insert(out.end(), e.image.begin(), e.image.end());
  return out;
}

// An icon image in resource form: info header (biHeight twice the height),
// colour table, colour bitmap and mask, all zero.
inline ByteVector MakeIconDib(std::int32_t width, std::int32_t height, std::uint16_t bits) {
  ByteVector out;
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height * 2));
  Put16(out, 1);
  Put16(out, bits);
  out.resize(40, 0);
  const std::size_t w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
  const std::size_t colours = bits <= 8 ? std::size_t{1} << bits : 0;
  out.resize(out.size() + colours * 4 + ((w * bits + 31) / 32) * 4 * h + ((w + 31) / 32) * 4 * h,
             0);
  return out;
}

}  // namespace fixtures
