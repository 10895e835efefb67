// A small program for the tests: reads the pack appended to its own executable
// and prints the member count and names, so a test can see that a program with
// a pack appended still runs and finds its pack.
#include <cstdio>

#include "archive/clsExePlusFiles.h"
#include "platform/Platform.h"

int main() {
  quelo::clsExePlusFiles archive;
  if (!archive.OpenExe(quelo::platform::ExeFileName())) {
    std::puts("no pack");
    return 3;
  }
  std::printf("%d members\n", archive.FileCount());
  for (int32_t i = 0; i < archive.FileCount(); ++i)
    std::printf("%s\n", archive.FileName(static_cast<int16_t>(i)).c_str());
  return 0;
}
