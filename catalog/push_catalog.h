// The push catalogue: the landscape lock-screen pictures in date order, and a
// cursor over them.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "services/date.h"
#include "services/text.h"

// One picture found in the asset folder. Copies are deep (std::string values).
struct PushEntry {
  Text name;  // the file's own name as the listing returned it
  Text path;  // folder text ending in "\" followed by name
  std::int32_t height = 0;
  std::int32_t width = 0;
  DateValue date = 0.0;  // last-write time, local
};

class PushCatalog {
 public:
  // An empty catalogue, cursor 0: filled by Append (tests) or by Refresh.
  PushCatalog();
  virtual ~PushCatalog();

  // The operations in their slot order.
  virtual void Destroy();
  virtual std::unique_ptr<PushCatalog> Clone() const;
  virtual Text GetAssetFolder();
  virtual void Scan(Text& folder);
  virtual void SortByDate();
  virtual std::int32_t Count() const;
  virtual PushEntry Latest();
  virtual PushEntry First();
  virtual PushEntry Previous();
  virtual PushEntry Next();
  virtual void Refresh();

  // A new catalogue already filled from the lock-screen asset folder: the
  // steps of Refresh run once on the empty catalogue.
  static std::unique_ptr<PushCatalog> CreateFromAssetFolder();

  // Appends a deep copy; the caller keeps its record.
  void Append(const PushEntry& entry);

  std::int32_t cursor() const { return cursor_; }
  void set_cursor(std::int32_t cursor) { cursor_ = cursor; }

  // A copy of the entry at 1-based position p, after the position check:
  // p < 1 is fatal with code 4, p > Count() with code 1.
  PushEntry EntryAt(std::int32_t position) const;

 protected:
  const PushEntry& CheckedEntry(std::int32_t position) const;

  std::vector<PushEntry> entries_;
  std::int32_t cursor_ = 0;
};

// The position check of the catalogue: fatal code 4 below 1, code 1 above count.
void CheckPosition(std::int32_t position, std::int32_t count);
