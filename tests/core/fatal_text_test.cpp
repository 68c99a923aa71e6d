#include <string>
#include <vector>

#include "services/fatal.h"
#include "tests/support/check.h"

TEST(FatalTextLayout) {
  struct Row {
    int code;
    const char* message;
    std::string expected;
  };
  const std::vector<Row> rows = {
      {4, kMessageIndexTooSmall,
       std::string("运行时出错!\r\n\r\n错误代码：4\r\n\r\n错误信息：") + kMessageIndexTooSmall +
           "\r\n"},
      {1, kMessageIndexTooLarge,
       std::string("运行时出错!\r\n\r\n错误代码：1\r\n\r\n错误信息：") + kMessageIndexTooLarge +
           "\r\n"},
      {0, kMessageWindowFailed,
       std::string("运行时出错!\r\n\r\n错误信息：") + kMessageWindowFailed + "\r\n"},
      {0, "", "运行时出错!\r\n"},
      {0, nullptr, "运行时出错!\r\n"},
      {-7, "", "运行时出错!\r\n\r\n错误代码：-7\r\n"},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(std::to_string(row.code));
    char text[512];
    FormatFatalText(text, sizeof text, row.code, row.message);
    CHECK_EQ(std::string(text), row.expected);
  }
  char tiny[8];
  FormatFatalText(tiny, sizeof tiny, 4, kMessageIndexTooSmall);
  CHECK_EQ(std::string(tiny).size(), std::size_t{7});
}

namespace {
std::vector<int> g_calls;
void RoutineA() { g_calls.push_back(1); }
void RoutineB() { g_calls.push_back(2); }
}  // namespace

TEST(ExitRoutinesRunOnceInOrder) {
  ClearExitRoutines();
  RegisterExitRoutine(RoutineA);
  RegisterExitRoutine(RoutineB);
  RegisterExitRoutine(RoutineA);  // already there: nothing
  CHECK_EQ(ExitRoutineCount(), std::size_t{2});
  RunExitRoutines();
  CHECK(g_calls == std::vector<int>({1, 2}));
  CHECK_EQ(ExitRoutineCount(), std::size_t{0});
  RunExitRoutines();
  CHECK_EQ(g_calls.size(), std::size_t{2});

  RegisterExitRoutine(RoutineB);
  ClearExitRoutines();
  RunExitRoutines();
  CHECK_EQ(g_calls.size(), std::size_t{2});
}
