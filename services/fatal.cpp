#include "services/fatal.h"

#include <cstdio>
#include <cstring>

namespace {

// A fixed table: registering and emptying never allocate, so the fatal path
// works when memory is exhausted.
constexpr std::size_t kMaxExitRoutines = 16;
ExitRoutine g_exitRoutines[kMaxExitRoutines];
std::size_t g_exitRoutineCount = 0;
bool g_oleInitialized = false;

void Append(char* out, std::size_t capacity, std::size_t& used, const char* piece) {
  std::size_t n = std::strlen(piece);
  if (used + 1 >= capacity) return;
  if (n > capacity - 1 - used) n = capacity - 1 - used;
  std::memcpy(out + used, piece, n);
  used += n;
  out[used] = '\0';
}

}  // namespace

void FormatFatalText(char* out, std::size_t capacity, int code, const char* message) {
  if (capacity == 0) return;
  std::size_t used = 0;
  out[0] = '\0';
  Append(out, capacity, used, "运行时出错!\r\n");
  if (code != 0) {
    char number[16];
    std::snprintf(number, sizeof number, "%d", code);
    Append(out, capacity, used, "\r\n错误代码：");
    Append(out, capacity, used, number);
    Append(out, capacity, used, "\r\n");
  }
  if (message != nullptr && message[0] != '\0') {
    Append(out, capacity, used, "\r\n错误信息：");
    Append(out, capacity, used, message);
    Append(out, capacity, used, "\r\n");
  }
}

void ReportAllocationFailure(std::size_t bytes) {
  // The count in plain decimal; a request beyond INT_MAX (only possible in
  // the 64-bit build) is shown as it is rather than wrapped negative.
  char message[64];
  std::snprintf(message, sizeof message, "分配 %llu 字节内存失败!",
                static_cast<unsigned long long>(bytes));
  ReportFatalError(0, message);
}

void SetOleInitialized(bool initialized) { g_oleInitialized = initialized; }
bool IsOleInitialized() { return g_oleInitialized; }

void RegisterExitRoutine(ExitRoutine routine) {
  if (routine == nullptr) return;
  for (std::size_t i = 0; i < g_exitRoutineCount; ++i) {
    if (g_exitRoutines[i] == routine) return;
  }
  if (g_exitRoutineCount < kMaxExitRoutines) g_exitRoutines[g_exitRoutineCount++] = routine;
}

void RunExitRoutines() {
  // A routine could register another while we run; take each slot once.
  for (std::size_t i = 0; i < g_exitRoutineCount; ++i) g_exitRoutines[i]();
  g_exitRoutineCount = 0;
}

void ClearExitRoutines() { g_exitRoutineCount = 0; }
std::size_t ExitRoutineCount() { return g_exitRoutineCount; }
