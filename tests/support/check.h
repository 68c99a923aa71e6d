// A small test harness: TEST(name) registers a case, CHECK and CHECK_EQ record
// failures, and main() runs every case and ends with "N passed, N failed".
#pragma once

#include <cmath>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace check {

struct Case {
  const char* name;
  void (*run)();
};

inline std::vector<Case>& Registry() {
  static std::vector<Case> cases;
  return cases;
}

inline int& FailuresInCase() {
  static int failures = 0;
  return failures;
}

struct Registrar {
  Registrar(const char* name, void (*run)()) { Registry().push_back({name, run}); }
};

template <typename T>
std::string Show(const T& value) {
  std::ostringstream out;
  if constexpr (std::is_same_v<T, std::string>) {
    out << '"';
    for (char sc : value) {
      unsigned char c = static_cast<unsigned char>(sc);
      if (c >= 0x20 && c < 0x7F) {
        out << c;
      } else {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        out << hex;
      }
    }
    out << '"';
  } else if constexpr (std::is_same_v<T, unsigned char> || std::is_same_v<T, signed char>) {
    out << static_cast<int>(value);
  } else if constexpr (requires { out << value; }) {
    out.precision(17);
    out << value;
  } else {
    out << "(value)";
  }
  return out.str();
}

inline std::string& Context() {
  static std::string context;
  return context;
}

struct ScopedContext {
  explicit ScopedContext(std::string text) : previous(Context()) { Context() = std::move(text); }
  ~ScopedContext() { Context() = previous; }
  std::string previous;
};

inline void Fail(const char* file, int line, const std::string& what) {
  ++FailuresInCase();
  if (Context().empty()) {
    std::printf("  %s:%d: %s\n", file, line, what.c_str());
  } else {
    std::printf("  %s:%d: [%s] %s\n", file, line, Context().c_str(), what.c_str());
  }
  std::fflush(stdout);
}

inline int RunAll(int argc, char** argv) {
  int passed = 0, failed = 0;
  std::string only = argc > 1 ? argv[1] : "";
  for (const Case& c : Registry()) {
    if (!only.empty() && only != c.name) continue;
    FailuresInCase() = 0;
    std::printf("[ RUN  ] %s\n", c.name);
    std::fflush(stdout);
    c.run();
    if (FailuresInCase() == 0) {
      ++passed;
      std::printf("[  OK  ] %s\n", c.name);
    } else {
      ++failed;
      std::printf("[ FAIL ] %s\n", c.name);
    }
    std::fflush(stdout);
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 && passed > 0 ? 0 : 1;
}

}  // namespace check

#define CHECK_CAT2(a, b) a##b
#define CHECK_CAT(a, b) CHECK_CAT2(a, b)

#define TEST(name)                                                          \
  static void name();                                                       \
  static const ::check::Registrar CHECK_CAT(registrar_, name){#name, name}; \
  static void name()

#define CHECK(cond)                                                     \
  do {                                                                  \
    if (!(cond)) ::check::Fail(__FILE__, __LINE__, "CHECK(" #cond ")"); \
  } while (0)

#define CHECK_EQ(actual, expected)                                                             \
  do {                                                                                         \
    const auto& check_a_ = (actual);                                                           \
    const auto& check_e_ = (expected);                                                         \
    if (!(check_a_ == check_e_))                                                               \
      ::check::Fail(__FILE__, __LINE__,                                                        \
                    std::string(#actual " == " #expected ": got ") + ::check::Show(check_a_) + \
                        ", expected " + ::check::Show(check_e_));                              \
  } while (0)

// Names the table row that failures inside the scope belong to.
#define CHECK_CONTEXT(text) ::check::ScopedContext CHECK_CAT(check_context_, __LINE__)(text)
