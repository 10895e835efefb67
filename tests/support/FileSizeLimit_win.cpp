#include "archive/ArchiveTestUtil.h"
#include "platform/Platform.h"

namespace quelo::test {

// Windows has no per-process file size limit; the writers' own failure seam
// stands in for it.
void WithFileSizeLimit(uint64_t bytes, const std::function<void()>& write) {
  platform::FailWritesAfter(static_cast<int64_t>(bytes));
  write();
  platform::FailWritesAfter(-1);
}

}  // namespace quelo::test
