// The shared picture corpora, read from ../shared/corpora (tests run from the
// repository root), and the rows of its MANIFEST.tsv.
#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace corpus {

inline const std::string kRoot = "../shared/corpora/";

inline std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return bytes;
  std::uint8_t chunk[65536];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
    bytes.insert(bytes.end(), chunk, chunk + n);
  std::fclose(file);
  return bytes;
}

inline std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, '\t')) fields.push_back(field);
  return fields;
}

struct Row {
  std::string path;                    // relative to kRoot
  std::string format;                  // from the magic bytes: bmp, gif, pcx, ico, png, jpeg
  std::string expected;                // decodes, must fail, questionable
  std::int32_t width = 0, height = 0;  // from the header (GIF: the logical screen)
  std::string scope;                   // BMP and PCX: in or out of the readers' subset
};

inline std::vector<Row> Manifest() {
  std::vector<Row> rows;
  std::ifstream in(kRoot + "MANIFEST.tsv");
  std::string line;
  std::getline(in, line);  // column names
  while (std::getline(in, line)) {
    auto f = SplitTabs(line);
    if (f.size() < 8) continue;
    Row row;
    row.path = f[0];
    row.format = f[1];
    row.expected = f[4];
    std::sscanf(f[5].c_str(), "%dx%d", &row.width, &row.height);
    row.scope = f[7];
    rows.push_back(row);
  }
  return rows;
}

}  // namespace corpus
