// Raises one of the program's fatal failures with the real fatal report:
//   fatal_probe MODE MARKER
// MODE code4: Previous() on an empty catalogue (position 0);
//      code1: Next() on an empty catalogue (position 1);
//      alloc: program data larger than any heap can give;
//      exit:  no failure: the exit routines run and the probe ends with 0.
// Before that it initialises OLE as start-up does and registers an exit
// routine that writes MARKER, which the fatal path must never run.
#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <cstring>

#include "catalog/push_catalog.h"
#include "services/fatal.h"

namespace {

char g_marker[MAX_PATH];

void WriteMarker() {
  HANDLE file = CreateFileA(g_marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

// Far beyond any heap, yet below the largest size a request may name.
volatile std::size_t g_hugeCount = std::size_t{1} << (sizeof(std::size_t) * 8 - 1);

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || std::strlen(argv[2]) >= sizeof g_marker) return 2;
  std::strcpy(g_marker, argv[2]);
  const char* mode = argv[1];

  if (SUCCEEDED(OleInitialize(nullptr))) SetOleInitialized(true);
  RegisterExitRoutine(WriteMarker);

  PushCatalog catalog;
  if (std::strcmp(mode, "code4") == 0) {
    catalog.Previous();
  } else if (std::strcmp(mode, "code1") == 0) {
    catalog.Next();
  } else if (std::strcmp(mode, "alloc") == 0) {
    char* block = new char[g_hugeCount];
    block[0] = 1;
    delete[] block;
  } else if (std::strcmp(mode, "exit") != 0) {
    return 2;
  }

  // Only reached when nothing was fatal.
  RunExitRoutines();
  if (IsOleInitialized()) OleUninitialize();
  return 0;
}
