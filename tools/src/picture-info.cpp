// picture-info FILE...: for each file one line, tab-separated: the file, the
// recognised format, the decoded width x height (or "none"), an FNV-1a 64
// hash of the decoded blue, green, red, alpha pixels, and on Windows the
// width x height the picture measurement gives ("-" elsewhere).
// An argument @LIST names a file that lists one path a line.
#include <cstdio>
#include <fstream>

#include "tests/support/picture_outcome.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: picture-info FILE...\n");
    return 2;
  }
  std::vector<std::string> paths;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.size() > 1 && argument[0] == '@') {
      std::ifstream list(argument.substr(1));
      std::string line;
      while (std::getline(list, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) paths.push_back(line);
      }
    } else {
      paths.push_back(argument);
    }
  }
  for (const std::string& path : paths) {
    const outcome::Outcome result = outcome::Describe(path, outcome::ReadFile(path));
    std::printf("%s\t%s\n", path.c_str(), result.Line().c_str());
  }
  return 0;
}
