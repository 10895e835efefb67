#include <sys/resource.h>

#include <csignal>

#include "archive/ArchiveTestUtil.h"

namespace quelo::test {

void WithFileSizeLimit(uint64_t bytes, const std::function<void()>& write) {
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit = old;
  limit.rlim_cur = static_cast<rlim_t>(bytes);
  setrlimit(RLIMIT_FSIZE, &limit);
  write();
  setrlimit(RLIMIT_FSIZE, &old);
}

}  // namespace quelo::test
