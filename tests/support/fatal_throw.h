#pragma once

#include <string>

#include "services/fatal.h"

struct FatalReported {
  int code;
  std::string message;
};
