// Runs a program with arguments and collects what it prints.
#pragma once

#include <string>
#include <vector>

namespace quelo::test {

// True in the Windows build, whose tests run under Wine.
constexpr bool kWindows = QUELO_TARGET_WINDOWS;

struct ProgramResult {
  int status = -1;     // exit status; -1 when it did not run or did not exit
  std::string output;  // standard output and error together, lines ending in "\n"
};

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args);

// A program's file name as the system wants it ("name.exe" on Windows).
inline std::string ExeName(const std::string& name) { return name + QUELO_EXE_SUFFIX; }

}  // namespace quelo::test
