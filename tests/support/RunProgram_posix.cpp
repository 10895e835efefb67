#include <sys/wait.h>

#include <cstdio>

#include "support/RunProgram.h"

namespace quelo::test {

// The arguments are paths under our own folders, which hold no single quote.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args) {
  std::string command = "'" + program + "'";
  for (const std::string& a : args) command += " '" + a + "'";
  ProgramResult r;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  char buffer[4096];
  for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) r.output.append(buffer, n);
  const int rc = pipe ? pclose(pipe) : -1;
  r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return r;
}

}  // namespace quelo::test
