// Filling the catalogue from the lock-screen asset folder.
#include <cstdint>

#include "catalog/push_catalog.h"
#include "catalog/scan_platform.h"

namespace {

Text NoEnvironment(const Text&) { return Text(); }
bool NoFolder(const Text&) { return false; }
void* NoSearch(const Text&, ListedItem*) { return nullptr; }
bool NoNext(void*, ListedItem*) { return false; }
void NoClose(void*) {}
std::int32_t NoSize(const Text&) { return 0; }
DateValue NoDate(const Text&) { return kMinDate; }

// In code page 936 a byte from 0x81 to 0xFE opens a two-byte character whose
// second byte may be 0x5C, the backslash; such a byte is no separator.
bool IsLeadByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x81 && byte <= 0xFE;
}

// The length of text once every closing backslash is dropped.
std::size_t LengthWithoutClosingSeparators(const Text& text) {
  std::size_t kept = 0;  // end of the last character that is not a backslash
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t width = IsLeadByte(text[i]) && i + 1 < text.size() ? 2 : 1;
    if (width == 2 || text[i] != '\\') kept = i + width;
    i += width;
  }
  return kept;
}

bool EndsWithSeparator(const Text& text) {
  return !text.empty() && LengthWithoutClosingSeparators(text) < text.size();
}

// A cursor over a directory search that passes over folders. Start with a
// pattern begins a new search (ending one still held); Next continues it. Both
// give the empty text once nothing is left, and the search is then closed.
class DirectoryListing {
 public:
  explicit DirectoryListing(const ScanPlatform& platform) : platform_(platform) {}
  ~DirectoryListing() { Close(); }
  DirectoryListing(const DirectoryListing&) = delete;
  DirectoryListing& operator=(const DirectoryListing&) = delete;

  Text Start(const Text& pattern) {
    Close();
    ListedItem item;
    search_ = platform_.FindFirst(pattern, &item);
    if (search_ == nullptr) return Text();
    return SkipFolders(item);
  }

  Text Next() {
    if (search_ == nullptr) return Text();
    ListedItem item;
    if (!platform_.FindNext(search_, &item)) {
      Close();
      return Text();
    }
    return SkipFolders(item);
  }

 private:
  Text SkipFolders(ListedItem& item) {
    while (item.isDirectory) {
      if (!platform_.FindNext(search_, &item)) {
        Close();
        return Text();
      }
    }
    return item.name;
  }

  void Close() {
    if (search_ != nullptr) platform_.FindClose(search_);
    search_ = nullptr;
  }

  const ScanPlatform& platform_;
  void* search_ = nullptr;
};

}  // namespace

ScanPlatform& CurrentScanPlatform() {
  static ScanPlatform platform{NoEnvironment, NoFolder, NoSearch, NoNext,
                               NoClose,       NoSize,   NoSize,   NoDate};
  return platform;
}

// The local application-data folder is TMP without its last folder ("Temp").
// A TMP written with a closing backslash would otherwise lose the wrong four
// bytes; and where the folder derived from TMP is missing (TMP set elsewhere,
// or absent), LOCALAPPDATA names the same place directly.
Text PushCatalog::GetAssetFolder() {
  const ScanPlatform& platform = CurrentScanPlatform();
  Text temp = platform.GetEnvironmentText("TMP");
  temp.resize(LengthWithoutClosingSeparators(temp));
  Text folder = LeftPart(temp, TextLength(temp) - 4) + kAssetTail;
  if (platform.FolderExists(folder)) return folder;

  Text local = platform.GetEnvironmentText("LOCALAPPDATA");
  local.resize(LengthWithoutClosingSeparators(local));
  if (local.empty()) return folder;
  return local + "\\" + kAssetTail;
}

void PushCatalog::Scan(Text& folder) {
  const ScanPlatform& platform = CurrentScanPlatform();
  // The cursor survives a rescan.
  std::vector<PushEntry>().swap(entries_);
  if (!EndsWithSeparator(folder)) folder += "\\";

  PushEntry scratch;
  DirectoryListing listing(platform);
  for (Text name = listing.Start(folder + "*.*"); !name.empty(); name = listing.Next()) {
    const Text candidate = folder + name;
    const std::int32_t width = platform.GetPictureWidth(candidate);
    const std::int32_t height = platform.GetPictureHeight(candidate);
    if (width <= height) continue;  // portrait, square and unreadable files
    scratch.name = name;
    scratch.path = folder + name;
    scratch.date = platform.GetFileDate(scratch.path);
    scratch.height = platform.GetPictureHeight(scratch.path);
    scratch.width = platform.GetPictureWidth(scratch.path);
    Append(scratch);
  }
  if (Count() > 1) SortByDate();
  if (Count() == 0) {
    // Nothing was written into the scratch entry, so its date is still 0.
    scratch.path = kNoPushFound;
    scratch.height = 0;
    scratch.width = 0;
    scratch.name = kNoPushFound;
    Append(scratch);
  }
}

void PushCatalog::Refresh() {
  Text folder = GetAssetFolder();
  Scan(folder);
}

std::unique_ptr<PushCatalog> PushCatalog::CreateFromAssetFolder() {
  auto catalog = std::make_unique<PushCatalog>();
  catalog->Refresh();
  return catalog;
}
