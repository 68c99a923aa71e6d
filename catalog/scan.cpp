// Filling the catalogue from the lock-screen asset folder.
#include "catalog/push_catalog.h"

Text PushCatalog::GetAssetFolder() { return Text(); }

void PushCatalog::Scan(Text& folder) { (void)folder; }

void PushCatalog::Refresh() {
  Text folder = GetAssetFolder();
  Scan(folder);
}
