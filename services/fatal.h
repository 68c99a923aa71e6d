// The program's one fatal failure path, and the exit routine list it empties.
#pragma once

#include <cstddef>

// Shows "运行时出错!" with the code and message in a message box, then empties
// the exit routine list without running it, uninitialises OLE (when start-up
// initialised it) and ends the process with exit code -1. Never returns.
[[noreturn]] void ReportFatalError(int code, const char* message);

// Code 0 with "分配 %d 字节内存失败!" and the byte count. Builds its text
// without allocating.
[[noreturn]] void ReportAllocationFailure(std::size_t bytes);

// The message box text, CR LF layout included, written into out (always NUL
// terminated, cut to capacity). Allocates nothing.
void FormatFatalText(char* out, std::size_t capacity, int code, const char* message);

// Start-up records that OLE was initialised, so the fatal path undoes it.
void SetOleInitialized(bool initialized);
bool IsOleInitialized();

using ExitRoutine = void (*)();

// Appends routine unless it is already in the list.
void RegisterExitRoutine(ExitRoutine routine);
// Runs the routines in registration order, each once, then empties the list.
void RunExitRoutines();
// Empties the list without running anything (the fatal path).
void ClearExitRoutines();
std::size_t ExitRoutineCount();

// Messages of the position check.
inline constexpr const char* kMessageIndexTooLarge = "数组成员引用下标超出定义范围";
inline constexpr const char* kMessageIndexTooSmall = "数组成员引用下标必须大于等于1";
inline constexpr const char* kMessageWindowFailed = "载入启动窗口失败";
