// A small program for the tests: writes TEXT as the new contents of FILE the
// way every save does, and prints "ok" or the error's number and description.
// Run under strace or as another user, it shows what a save does there.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/QueloError.h"
#include "platform/ReplacingFile.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: quelo_replace_probe FILE TEXT\n", stderr);
    return 2;
  }
  const std::string text = argv[2];
  try {
    quelo::WriteFileReplacing(argv[1], std::vector<uint8_t>(text.begin(), text.end()), "probe");
  } catch (const quelo::QueloError& e) {
    std::printf("error %d: %s\n", e.Number(), e.Description().c_str());
    return 1;
  }
  std::puts("ok");
  return 0;
}
