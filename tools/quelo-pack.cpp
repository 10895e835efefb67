#include <iostream>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "tools/PackTool.h"

int main(int argc, char** argv) {
  quelo::platform::UseUtf8Console();
  const std::vector<std::string> args(argv + 1, argv + argc);
  return quelo::tools::RunPackTool(args, std::cout, std::cerr);
}
