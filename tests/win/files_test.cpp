// Whole-file read and write against real files under the Windows temporary
// folder, with platform faults injected through the file seam.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "services/files.h"
#include "services/files_seam.h"
#include "tests/support/check.h"
#include "tests/win/temp_folder.h"

namespace {

std::vector<std::uint8_t> Bytes(const ByteBuffer& buffer) {
  return {buffer.bytes().begin(), buffer.bytes().end()};
}

ByteBuffer Buffer(const std::vector<std::uint8_t>& bytes) { return ByteBuffer::FromBytes(bytes); }

// Restores the real platform calls when a test ends.
struct PlatformScope {
  FilePlatform saved = CurrentFilePlatform();
  ~PlatformScope() { CurrentFilePlatform() = saved; }
};

bool MakeSparseFile(const std::string& path, std::int64_t size) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER end;
  end.QuadPart = size;
  bool ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return ok;
}

HANDLE OpenHeld(const std::string& path, DWORD access, DWORD share) {
  return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

}  // namespace

TEST(ReadGivesTheFileBytesOrEmpty) {
  TempFolder folder("read");
  std::vector<std::uint8_t> five = {1, 2, 0, 254, 255};
  CHECK(PutFile(folder / "five.bin", five));
  CHECK(PutFile(folder / "zero.bin", {}));
  CHECK(PutFile(folder / "big.bin", Pattern(300000)));

  CHECK_EQ(Bytes(ReadWholeFile(folder / "five.bin")), five);
  CHECK_EQ(Bytes(ReadWholeFile(folder / "big.bin")), Pattern(300000));

  struct Row {
    const char* what;
    std::string path;
  } rows[] = {
      {"empty path", ""},
      {"0-byte file", folder / "zero.bin"},
      {"missing file", folder / "none.bin"},
      {"missing folder", folder / "none\\five.bin"},
      {"folder as path", folder.path()},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.what);
    ByteBuffer read = ReadWholeFile(row.path);
    CHECK(read.empty());
    CHECK(read.data() == nullptr);
  }
}

TEST(ReadOfAFileHeldByAWriterIsEmpty) {
  TempFolder folder("held");
  std::string path = folder / "held.bin";
  CHECK(PutFile(path, Pattern(64)));

  struct Row {
    const char* what;
    DWORD access;
    DWORD share;
    bool readable;
  } rows[] = {
      {"open for writing, sharing everything", GENERIC_WRITE,
       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, false},
      {"open for reading without read sharing", GENERIC_READ, 0, false},
      {"open for reading, sharing reads", GENERIC_READ, FILE_SHARE_READ, true},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.what);
    HANDLE held = OpenHeld(path, row.access, row.share);
    CHECK(held != INVALID_HANDLE_VALUE);
    CHECK_EQ(ReadWholeFile(path).size(), row.readable ? 64 : 0);
    CloseHandle(held);
  }
}

TEST(ReadOfTwoGibibytesOrMoreIsEmpty) {
  TempFolder folder("huge");
  const std::int64_t sizes[] = {std::int64_t{1} << 31, (std::int64_t{1} << 31) + 100,
                                std::int64_t{1} << 32, (std::int64_t{1} << 32) + 5};
  for (std::int64_t size : sizes) {
    CHECK_CONTEXT(std::to_string(size) + " bytes");
    std::string path = folder / "sparse.bin";
    CHECK(MakeSparseFile(path, size));
    CHECK(ReadWholeFile(path).empty());
    DeleteFileA(path.c_str());
  }
}

namespace {
struct ReadCall {
  int opens = 0;
  DWORD access = 0, share = 0, creation = 0, attributes = 0;
  bool inheritable = false;
  bool descriptor = true;
} g_read;

HANDLE WINAPI RecordingOpen(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                            DWORD creation, DWORD attributes, HANDLE model) {
  ++g_read.opens;
  g_read.access = access;
  g_read.share = share;
  g_read.creation = creation;
  g_read.attributes = attributes;
  g_read.inheritable = security != nullptr && security->bInheritHandle;
  g_read.descriptor = security == nullptr || security->lpSecurityDescriptor != nullptr;
  return ::CreateFileA(name, access, share, security, creation, attributes, model);
}

DWORD g_readLimit = 0;
bool g_readFails = false;
BOOL WINAPI LimitedRead(HANDLE file, LPVOID data, DWORD count, LPDWORD got, LPOVERLAPPED over) {
  if (g_readFails) {
    if (got) *got = 0;
    SetLastError(ERROR_READ_FAULT);
    return FALSE;
  }
  return ::ReadFile(file, data, std::min(count, g_readLimit), got, over);
}

DWORD WINAPI FailingSeek(HANDLE, LONG, PLONG, DWORD) {
  SetLastError(ERROR_INVALID_PARAMETER);
  return INVALID_SET_FILE_POINTER;
}
}  // namespace

TEST(ReadOpensForReadingSharedWithReadersOnly) {
  PlatformScope scope;
  CurrentFilePlatform().CreateFileA = RecordingOpen;
  TempFolder folder("args");
  CHECK(PutFile(folder / "a.bin", {9}));

  g_read = {};
  CHECK(ReadWholeFile("").empty());
  CHECK_EQ(g_read.opens, 0);  // the empty path never reaches the file system

  CHECK_EQ(ReadWholeFile(folder / "a.bin").size(), 1);
  CHECK_EQ(g_read.opens, 1);
  CHECK_EQ(g_read.access, static_cast<DWORD>(GENERIC_READ));
  CHECK_EQ(g_read.share, static_cast<DWORD>(FILE_SHARE_READ));
  CHECK_EQ(g_read.creation, static_cast<DWORD>(OPEN_EXISTING));
  CHECK_EQ(g_read.attributes, static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
  CHECK(g_read.inheritable);
  CHECK(!g_read.descriptor);
}

TEST(ReadKeepsWhatAShortReadDelivers) {
  PlatformScope scope;
  TempFolder folder("short");
  std::string path = folder / "a.bin";
  std::vector<std::uint8_t> content = Pattern(1000);
  CHECK(PutFile(path, content));

  CurrentFilePlatform().ReadFile = LimitedRead;
  struct Row {
    const char* what;
    DWORD limit;
    bool fails;
    std::size_t kept;
  } rows[] = {
      {"all delivered", 5000, false, 1000},
      {"shrank to 400", 400, false, 400},
      {"nothing delivered", 0, false, 0},
      {"read error", 5000, true, 0},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.what);
    g_readLimit = row.limit;
    g_readFails = row.fails;
    ByteBuffer read = ReadWholeFile(path);
    CHECK_EQ(Bytes(read), std::vector<std::uint8_t>(content.begin(),
                                                    content.begin() + static_cast<long>(row.kept)));
    if (row.kept == 0) CHECK(read.data() == nullptr);
  }
  g_readFails = false;

  CurrentFilePlatform() = scope.saved;
  CurrentFilePlatform().SetFilePointer = FailingSeek;
  CHECK(ReadWholeFile(path).empty());
  // The handle was closed on the way out: the file can be opened exclusively.
  HANDLE exclusive = OpenHeld(path, GENERIC_WRITE, 0);
  CHECK(exclusive != INVALID_HANDLE_VALUE);
  CloseHandle(exclusive);
}

TEST(WriteReplacesTheWholeContent) {
  TempFolder folder("write");
  struct Row {
    const char* what;
    bool existing;
    std::size_t before;
    std::size_t written;
  } rows[] = {
      {"empty buffer to a new name", false, 0, 0},
      {"empty buffer over 1000 bytes", true, 1000, 0},
      {"3 bytes over 1000 bytes", true, 1000, 3},
      {"5000 bytes over 10 bytes", true, 10, 5000},
      {"70000 bytes to a new name", false, 0, 70000},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.what);
    std::string path = folder / "target.bin";
    DeleteFileA(path.c_str());
    if (row.existing) CHECK(PutFile(path, Pattern(row.before, 3)));
    std::vector<std::uint8_t> data = Pattern(row.written, 5);
    CHECK(WriteWholeFile(path, Buffer(data)));
    bool exists = false;
    CHECK_EQ(FileBytes(path, &exists), data);
    CHECK(exists);
    CHECK_EQ(folder.Names(), std::vector<std::string>{"target.bin"});
  }
}

TEST(WriteRefusesWithoutCreatingOrChangingAnything) {
  TempFolder folder("refuse");
  std::vector<std::uint8_t> old = Pattern(1000, 1);
  CHECK(PutFile(folder / "hidden.bin", old));
  CHECK(SetFileAttributesA((folder / "hidden.bin").c_str(), FILE_ATTRIBUTE_HIDDEN));
  CHECK(PutFile(folder / "system.bin", old));
  CHECK(SetFileAttributesA((folder / "system.bin").c_str(), FILE_ATTRIBUTE_SYSTEM));
  CHECK(PutFile(folder / "readonly.bin", old));
  CHECK(SetFileAttributesA((folder / "readonly.bin").c_str(), FILE_ATTRIBUTE_READONLY));
  CHECK(PutFile(folder / "held.bin", old));
  CHECK(CreateDirectoryA((folder / "sub").c_str(), nullptr));
  std::vector<std::string> before = folder.Names();

  HANDLE held = OpenHeld(folder / "held.bin", GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  CHECK(held != INVALID_HANDLE_VALUE);
  struct Row {
    const char* what;
    std::string path;
  } rows[] = {
      {"empty path", ""},
      {"missing folder", folder / "none\\new.bin"},
      {"hidden target", folder / "hidden.bin"},
      {"system target", folder / "system.bin"},
      {"read-only target", folder / "readonly.bin"},
      {"target open elsewhere", folder / "held.bin"},
      {"folder as target", folder / "sub"},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.what);
    CHECK(!WriteWholeFile(row.path, Buffer({1, 2, 3})));
    CHECK_EQ(folder.Names(), before);
  }
  CloseHandle(held);
  for (const char* name : {"hidden.bin", "system.bin", "readonly.bin", "held.bin"}) {
    CHECK_CONTEXT(name);
    CHECK_EQ(FileBytes(folder / name), old);
  }
  CHECK(FileBytes(folder / "sub\\x").empty());
}

TEST(ReadThenWriteCopiesByteForByte) {
  TempFolder folder("copy");
  const char* sources[] = {"../shared/corpora/png/pngsuite/basn2c08.png",
                           "../shared/corpora/bmp/bmpsuite/g/rgb24.bmp"};
  for (const char* source : sources) {
    CHECK_CONTEXT(source);
    bool exists = false;
    std::vector<std::uint8_t> original = FileBytes(source, &exists);
    CHECK(exists);
    ByteBuffer read = ReadWholeFile(source);
    CHECK(WriteWholeFile(folder / "copy.bin", read.Copy()));
    CHECK_EQ(FileBytes(folder / "copy.bin"), original);
  }
}

namespace {
enum class Fault {
  kWriteFails,
  kWritePartThenFails,
  kShortWrite,
  kFlushFails,
  kCloseFails,
  kReplaceFails
};
Fault g_fault;

BOOL WINAPI FaultyWrite(HANDLE file, LPCVOID data, DWORD count, LPDWORD written,
                        LPOVERLAPPED over) {
  switch (g_fault) {
    case Fault::kWriteFails:
      if (written) *written = 0;
      SetLastError(ERROR_DISK_FULL);
      return FALSE;
    case Fault::kWritePartThenFails:
      ::WriteFile(file, data, count / 2, written, over);
      SetLastError(ERROR_DISK_FULL);
      return FALSE;
    case Fault::kShortWrite:
      return ::WriteFile(file, data, count / 2, written, over);
    default:
      return ::WriteFile(file, data, count, written, over);
  }
}
BOOL WINAPI FaultyFlush(HANDLE file) {
  return g_fault == Fault::kFlushFails ? FALSE : ::FlushFileBuffers(file);
}
BOOL WINAPI FaultyClose(HANDLE handle) {
  BOOL closed = ::CloseHandle(handle);
  return g_fault == Fault::kCloseFails ? FALSE : closed;
}
BOOL WINAPI FaultyReplace(LPCSTR from, LPCSTR to, DWORD flags) {
  if (g_fault == Fault::kReplaceFails) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return ::MoveFileExA(from, to, flags);
}
}  // namespace

TEST(FailedWriteLeavesTheOldFileAndNoTemporary) {
  PlatformScope scope;
  FilePlatform& api = CurrentFilePlatform();
  api.WriteFile = FaultyWrite;
  api.FlushFileBuffers = FaultyFlush;
  api.CloseHandle = FaultyClose;
  api.MoveFileExA = FaultyReplace;
  TempFolder folder("fault");
  std::vector<std::uint8_t> old = Pattern(1000, 2);

  struct Row {
    const char* what;
    Fault fault;
  } rows[] = {
      {"write fails", Fault::kWriteFails}, {"write fails part way", Fault::kWritePartThenFails},
      {"short write", Fault::kShortWrite}, {"flush fails", Fault::kFlushFails},
      {"close fails", Fault::kCloseFails}, {"replace fails", Fault::kReplaceFails},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.what);
    g_fault = row.fault;
    // Over an existing file: it keeps every old byte.
    CHECK(PutFile(folder / "target.bin", old));
    CHECK(!WriteWholeFile(folder / "target.bin", Buffer(Pattern(3000, 9))));
    CHECK_EQ(FileBytes(folder / "target.bin"), old);
    CHECK_EQ(folder.Names(), std::vector<std::string>{"target.bin"});
    // To a new name: nothing is left behind.
    CHECK(!WriteWholeFile(folder / "new.bin", Buffer(Pattern(3000, 9))));
    CHECK_EQ(folder.Names(), std::vector<std::string>{"target.bin"});
  }
}

namespace {
std::string g_glancedAt;
HANDLE g_glance = INVALID_HANDLE_VALUE;
std::thread g_later;

// Opens the target the way a reader does (no delete sharing) for 150 ms.
void GlanceAt(const std::string& path) {
  g_glance = OpenHeld(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  g_later = std::thread([] {
    Sleep(150);
    CloseHandle(g_glance);
  });
}
// A reader turns up once the new content is written, before the replace.
BOOL WINAPI FlushThenGlance(HANDLE file) {
  GlanceAt(g_glancedAt);
  return ::FlushFileBuffers(file);
}
}  // namespace

TEST(WriteWaitsOutAMomentaryReader) {
  TempFolder folder("glance");
  std::string path = folder / "target.bin";
  std::vector<std::uint8_t> fresh = Pattern(4000, 6);
  struct Row {
    const char* what;
    bool beforeTheCall;
  } rows[] = {{"reader holds the target as the write starts", true},
              {"reader opens the target before it is replaced", false}};
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.what);
    PlatformScope scope;
    CHECK(PutFile(path, Pattern(1000, 1)));
    g_glancedAt = path;
    g_glance = INVALID_HANDLE_VALUE;
    if (row.beforeTheCall) {
      GlanceAt(path);
    } else {
      CurrentFilePlatform().FlushFileBuffers = FlushThenGlance;
    }
    bool written = WriteWholeFile(path, Buffer(fresh));
    if (g_later.joinable()) g_later.join();
    CHECK(g_glance != INVALID_HANDLE_VALUE);
    CHECK(written);
    CHECK_EQ(FileBytes(path), fresh);
    CHECK_EQ(folder.Names(), std::vector<std::string>{"target.bin"});
  }
}
