// Whole-file read and write through the ANSI file functions.
#include <windows.h>

#include <cstdio>

#include "services/files.h"
#include "services/files_seam.h"

FilePlatform& CurrentFilePlatform() {
  static FilePlatform platform;
  return platform;
}

namespace {

// No descriptor, an inheritable handle.
SECURITY_ATTRIBUTES InheritableAttributes() {
  SECURITY_ATTRIBUTES attributes{};
  attributes.nLength = sizeof attributes;
  attributes.lpSecurityDescriptor = nullptr;
  attributes.bInheritHandle = TRUE;
  return attributes;
}

// SetFilePointer returns INVALID_SET_FILE_POINTER both for an error and for a
// real position of 0xFFFFFFFF; only the error code tells them apart. The high
// half of the position is asked for as well: without it some platforms hand
// back the low 32 bits of a position past 4 GiB as if it were the whole.
bool MoveFilePointer(const FilePlatform& api, HANDLE file, LONG distance, DWORD method,
                     DWORD* position, LONG* high) {
  LONG highPart = 0;
  SetLastError(NO_ERROR);
  DWORD result = api.SetFilePointer(file, distance, &highPart, method);
  if (result == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return false;
  *position = result;
  *high = highPart;
  return true;
}

}  // namespace

ByteBuffer ReadWholeFile(const Text& path) {
  if (path.empty()) return ByteBuffer();
  const FilePlatform& api = CurrentFilePlatform();

  SECURITY_ATTRIBUTES attributes = InheritableAttributes();
  HANDLE file = api.CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, &attributes,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ByteBuffer();

  DWORD start = 0, end = 0, back = 0;
  LONG startHigh = 0, endHigh = 0, backHigh = 0;
  bool measured =
      MoveFilePointer(api, file, 0, FILE_CURRENT, &start, &startHigh) &&
      MoveFilePointer(api, file, 0, FILE_END, &end, &endHigh) &&
      MoveFilePointer(api, file, static_cast<LONG>(start), FILE_BEGIN, &back, &backHigh);
  // The 32-bit position taken as signed: an empty file and one of 2 GiB or
  // more both come out <= 0, and so does anything past 4 GiB.
  LONG length = endHigh == 0 ? static_cast<LONG>(end) : 0;
  if (!measured || length <= 0) {
    api.CloseHandle(file);
    return ByteBuffer();
  }

  ByteBuffer buffer = ByteBuffer::TryAllocate(length);
  if (buffer.empty()) {
    api.CloseHandle(file);
    return ByteBuffer();
  }

  DWORD delivered = 0;
  BOOL read = api.ReadFile(file, buffer.data(), static_cast<DWORD>(length), &delivered, nullptr);
  api.CloseHandle(file);
  if (!read) return ByteBuffer();
  // A file that shrank meanwhile delivers fewer bytes: keep those.
  if (delivered < static_cast<DWORD>(length)) buffer.Truncate(static_cast<std::int32_t>(delivered));
  return buffer;
}

namespace {

// The new content goes to a file of its own beside the target; the target is
// replaced only once that file holds every byte and is closed, so a failed or
// short write never costs the user the file that was there.
Text TemporaryName(const Text& path, unsigned attempt) {
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".~%lx-%u.tmp", GetCurrentProcessId(), attempt);
  return path + suffix;
}

// The content written to a new temporary file, flushed and closed; on any
// failure the temporary file is gone and the empty text is returned.
Text WriteTemporaryFile(const FilePlatform& api, const Text& path, const ByteBuffer& data) {
  SECURITY_ATTRIBUTES attributes = InheritableAttributes();
  Text temporary;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    temporary = TemporaryName(path, attempt);
    file = api.CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    // Any reason but a name already taken (a missing folder, access denied)
    // will not go away with another name.
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS &&
        GetLastError() != ERROR_ALREADY_EXISTS)
      return Text();
  }
  if (file == INVALID_HANDLE_VALUE) return Text();

  bool written = true;
  if (!data.empty()) {
    DWORD count = 0;
    written = api.WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &count, nullptr) &&
              count == static_cast<DWORD>(data.size());
  }
  bool flushed = written && api.FlushFileBuffers(file);
  bool closed = api.CloseHandle(file) != FALSE;
  if (written && flushed && closed) return temporary;
  api.DeleteFileA(temporary.c_str());
  return Text();
}

// Another program that merely glances at the target (a reader, a virus
// scanner, an indexer) holds it for a moment, and a file that is open cannot
// be replaced; so a busy target is tried again for about half a second before
// the write gives up. A target held longer than that is left alone.
constexpr int kBusyAttempts = 10;
constexpr DWORD kBusyPauseMs = 50;

bool IsBusy(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

bool ReplaceTarget(const FilePlatform& api, const Text& temporary, const Text& path) {
  for (int attempt = 0; attempt < kBusyAttempts; ++attempt) {
    if (attempt > 0) Sleep(kBusyPauseMs);
    if (api.MoveFileExA(temporary.c_str(), path.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return true;
    if (!IsBusy(GetLastError())) break;
  }
  return false;
}

// An existing target must be one this program could have truncated: not a
// folder, not hidden, system or read-only, and open nowhere else.
bool TargetIsReplaceable(const FilePlatform& api, const Text& path) {
  DWORD found = api.GetFileAttributesA(path.c_str());
  if (found == INVALID_FILE_ATTRIBUTES) return true;  // a new file
  if (found & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
               FILE_ATTRIBUTE_READONLY))
    return false;
  SECURITY_ATTRIBUTES attributes = InheritableAttributes();
  HANDLE probe = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < kBusyAttempts; ++attempt) {
    if (attempt > 0) Sleep(kBusyPauseMs);
    probe = api.CreateFileA(path.c_str(), GENERIC_WRITE, 0, &attributes, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE || !IsBusy(GetLastError())) break;
  }
  if (probe == INVALID_HANDLE_VALUE) return false;
  api.CloseHandle(probe);
  return true;
}

}  // namespace

bool WriteWholeFile(const Text& path, const ByteBuffer& data) {
  if (path.empty()) return false;
  const FilePlatform& api = CurrentFilePlatform();
  if (!TargetIsReplaceable(api, path)) return false;

  Text temporary = WriteTemporaryFile(api, path, data);
  if (temporary.empty()) return false;
  if (!ReplaceTarget(api, temporary, path)) {
    api.DeleteFileA(temporary.c_str());
    return false;
  }
  return true;
}
