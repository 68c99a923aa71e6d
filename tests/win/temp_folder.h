// A fresh folder under the Windows temporary folder for one test, removed with
// everything in it when the test ends; and small helpers on files in it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class TempFolder {
 public:
  explicit TempFolder(const char* tag) {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
      path_ = std::string(base) + "vrd-" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(counter++);
      if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    }
  }
  ~TempFolder() { RemoveTree(path_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder, without a closing backslash.
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

  // Names in the folder, "." and ".." left out.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      std::string name = found.cFileName;
      if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
  }

  static void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        std::string full = folder + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(full);
        } else {
          SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileA(full.c_str());
        }
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
  }

 private:
  std::string path_;
};

inline bool PutFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = bytes.empty() ||
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

// The file's bytes as the platform sees them; a missing file gives nothing and
// sets *exists to false.
inline std::vector<std::uint8_t> FileBytes(const std::string& path, bool* exists = nullptr) {
  std::vector<std::uint8_t> bytes;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (exists) *exists = file != INVALID_HANDLE_VALUE;
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
    bytes.insert(bytes.end(), chunk, chunk + got);
  CloseHandle(file);
  return bytes;
}

inline std::vector<std::uint8_t> Pattern(std::size_t count, unsigned seed = 7) {
  std::vector<std::uint8_t> bytes(count);
  for (std::size_t i = 0; i < count; ++i)
    bytes[i] = static_cast<std::uint8_t>((i * 31 + seed * 17 + (i >> 8)) & 0xFF);
  return bytes;
}
