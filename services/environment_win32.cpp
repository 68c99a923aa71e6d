#include <windows.h>

#include <vector>

#include "services/text.h"

// GetEnvironmentVariableA compares names without regard to letter case.
Text GetEnvironmentText(const Text& name) {
  if (name.empty()) return Text();
  DWORD needed = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
  if (needed <= 1) return Text();
  std::vector<char> value(needed);
  DWORD got = GetEnvironmentVariableA(name.c_str(), value.data(), needed);
  if (got == 0 || got >= needed) return Text();
  return Text(value.data(), got);
}
