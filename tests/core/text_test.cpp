#include <cstring>
#include <string>
#include <vector>

#include "services/text.h"
#include "tests/support/check.h"
#include "tests/support/fatal_throw.h"

TEST(LiteralsAreCodePage936) {
  // The program's texts are code page 936 bytes; natively the sources' UTF-8
  // stands, so this is checked where the program is built: Windows.
#ifdef _WIN32
  CHECK_EQ(std::string("年"), std::string("\xC4\xEA"));
  CHECK_EQ(std::string("推送总数："), std::string("\xCD\xC6\xCB\xCD\xD7\xDC\xCA\xFD\xA3\xBA"));
#else
  CHECK_EQ(std::string("年"), std::string("\xE5\xB9\xB4"));
#endif
}

TEST(LeftAndRightPartsCountBytes) {
  struct Row {
    std::string text;
    int n;
    std::string left, right;
  };
  const std::string nian = "年";  // two bytes in the program
  const std::vector<Row> rows = {
      {"abcdef", 0, "", ""},
      {"abcdef", -3, "", ""},
      {"abcdef", 2, "ab", "ef"},
      {"abcdef", 6, "abcdef", "abcdef"},
      {"abcdef", 100, "abcdef", "abcdef"},
      {"", 4, "", ""},
      {"C:\\Temp", 3, "C:\\", "emp"},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.text + " / " + std::to_string(row.n));
    CHECK_EQ(LeftPart(row.text, row.n), row.left);
    CHECK_EQ(RightPart(row.text, row.n), row.right);
  }
  // A cut may fall inside a double-byte character.
  std::string mixed = "a" + nian;
  CHECK_EQ(TextLength(mixed), static_cast<int>(1 + nian.size()));
  CHECK_EQ(LeftPart(mixed, 2), mixed.substr(0, 2));
  CHECK_EQ(RightPart(mixed, 1), mixed.substr(mixed.size() - 1));
}

TEST(BufferCopyIsIndependent) {
  const unsigned char five[] = {1, 2, 3, 4, 5};
  ByteBuffer first = ByteBuffer::FromBytes(five);
  ByteBuffer second = first.Copy();
  CHECK_EQ(second.size(), 5);
  CHECK(second.data() != first.data());
  first = ByteBuffer();
  CHECK(std::memcmp(second.data(), five, 5) == 0);

  ByteBuffer empty;
  ByteBuffer emptyCopy = empty.Copy();
  CHECK(emptyCopy.empty());
  CHECK(emptyCopy.data() == nullptr);
}

TEST(BufferTryAllocateIsQuiet) {
  CHECK(ByteBuffer::TryAllocate(0).empty());
  CHECK(ByteBuffer::TryAllocate(-5).empty());
  ByteBuffer b = ByteBuffer::TryAllocate(10);
  CHECK_EQ(b.size(), 10);
  b.Truncate(3);
  CHECK_EQ(b.size(), 3);
  b.Truncate(0);
  CHECK(b.empty());
  CHECK(b.data() == nullptr);
}
