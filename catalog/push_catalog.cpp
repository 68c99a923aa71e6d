// The catalogue's entries, their date order and the cursor over them.
#include "catalog/push_catalog.h"

#include <utility>

#include "services/fatal.h"

void CheckPosition(std::int32_t position, std::int32_t count) {
  // Below 1 is tested first: an empty catalogue read at 0 reports code 4.
  if (position < 1) ReportFatalError(4, kMessageIndexTooSmall);
  if (position > count) ReportFatalError(1, kMessageIndexTooLarge);
}

PushCatalog::PushCatalog() = default;
PushCatalog::~PushCatalog() = default;

void PushCatalog::Destroy() { std::vector<PushEntry>().swap(entries_); }

std::unique_ptr<PushCatalog> PushCatalog::Clone() const {
  auto copy = std::make_unique<PushCatalog>();
  copy->entries_ = entries_;
  copy->cursor_ = cursor_;
  return copy;
}

std::int32_t PushCatalog::Count() const { return static_cast<std::int32_t>(entries_.size()); }

void PushCatalog::Append(const PushEntry& entry) { entries_.push_back(entry); }

const PushEntry& PushCatalog::CheckedEntry(std::int32_t position) const {
  CheckPosition(position, Count());
  return entries_[static_cast<std::size_t>(position - 1)];
}

PushEntry PushCatalog::EntryAt(std::int32_t position) const { return CheckedEntry(position); }

void PushCatalog::SortByDate() {
  // Bubble sort, oldest first. Every pass runs over the whole sequence and the
  // sort stops after the first pass without an exchange. Only a strictly
  // greater key exchanges, so equal dates keep the listing's order.
  const std::int32_t n = Count();
  for (std::int32_t pass = 1; pass <= n - 1; ++pass) {
    bool swapped = false;
    for (std::int32_t j = 1; j <= n - 1; ++j) {
      const DateValue left = DateSortKey(CheckedEntry(j).date);
      const DateValue right = DateSortKey(CheckedEntry(j + 1).date);
      if (left > right) {
        // Both positions were checked just above.
        const auto at = static_cast<std::size_t>(j - 1);
        PushEntry first = entries_[at];
        entries_[at] = entries_[at + 1];
        entries_[at + 1] = std::move(first);
        swapped = true;
      }
    }
    if (!swapped) break;
  }
}

PushEntry PushCatalog::Latest() {
  cursor_ = Count();
  return EntryAt(cursor_);
}

PushEntry PushCatalog::First() {
  cursor_ = 1;
  return EntryAt(cursor_);
}

// The wrap tests are written so that no cursor value set from outside can
// overflow: cursor <= 1 is exactly "cursor - 1 <= 0", and cursor >= Count()
// exactly "cursor + 1 > Count()".
PushEntry PushCatalog::Previous() {
  cursor_ = cursor_ <= 1 ? Count() : cursor_ - 1;
  return EntryAt(cursor_);
}

PushEntry PushCatalog::Next() {
  cursor_ = cursor_ >= Count() ? 1 : cursor_ + 1;
  return EntryAt(cursor_);
}
