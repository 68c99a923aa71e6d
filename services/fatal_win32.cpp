// The fatal report on Windows, and the program-wide allocation hook that leads
// to it.
#include <windows.h>
#include <ole2.h>

#include <cstdlib>
#include <new>

#include "services/fatal.h"

void ReportFatalError(int code, const char* message) {
  char text[1024];
  FormatFatalText(text, sizeof text, code, message);
  MessageBoxA(nullptr, text, "错误", MB_OK | MB_ICONERROR);
  ClearExitRoutines();
  if (IsOleInitialized()) OleUninitialize();
  ExitProcess(static_cast<UINT>(-1));
}

// Program data that cannot be allocated ends in the fatal report with the byte
// count. Decoders never come here: they allocate picture memory with malloc and
// treat failure as "no picture".
namespace {
void* AllocateOrDie(std::size_t size) {
  if (size == 0) size = 1;
  void* block = std::malloc(size);
  if (block == nullptr) ReportAllocationFailure(size);
  return block;
}
}  // namespace

void* operator new(std::size_t size) { return AllocateOrDie(size); }
void* operator new[](std::size_t size) { return AllocateOrDie(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
