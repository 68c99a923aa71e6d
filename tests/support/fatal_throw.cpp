// Test double for the fatal report in portable tests: instead of a message box
// and the end of the process, it throws what the program would have shown.
#include "tests/support/fatal_throw.h"

void ReportFatalError(int code, const char* message) {
  throw FatalReported{code, message == nullptr ? std::string() : std::string(message)};
}
