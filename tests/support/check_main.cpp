#include "tests/support/check.h"

int main(int argc, char** argv) { return check::RunAll(argc, argv); }
