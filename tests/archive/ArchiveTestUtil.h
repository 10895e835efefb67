// Helpers for the archive tests: raw little-endian bytes, a minimal PE file,
// and a file size limit that makes writes fail even for root.
#pragma once

#include <sys/resource.h>

#include <csignal>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/QueloError.h"

namespace quelo::test {

// The number of the QueloError that call() raises; 0 when it raises none.
template <typename F>
int32_t ErrorNumberOf(F call) {
  try {
    call();
  } catch (const QueloError& e) {
    return e.Number();
  }
  return 0;
}

struct RawBytes {
  std::vector<uint8_t> b;
  RawBytes& U16(uint32_t v) { return Put(v, 2); }
  RawBytes& U32(uint32_t v) { return Put(v, 4); }
  RawBytes& Raw(const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    return *this;
  }
  RawBytes& Str(const std::string& s) { return U16(static_cast<uint32_t>(s.size())).Raw(s); }
  RawBytes& Put(uint64_t v, int size) {
    for (int i = 0; i < size; ++i) b.push_back(i < 8 ? static_cast<uint8_t>(v >> (8 * i)) : 0);
    return *this;
  }
};

inline void PatchU32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// "MZ" stub with e_lfanew 0x80, "PE\0\0" and the three size fields; `length` bytes.
inline std::vector<uint8_t> FakePe(uint32_t code, uint32_t init, uint32_t uninit, size_t length) {
  std::vector<uint8_t> pe(length, 0);
  pe[0] = 'M';
  pe[1] = 'Z';
  PatchU32(pe, 0x3C, 0x80);
  pe[0x80] = 'P';
  pe[0x81] = 'E';
  PatchU32(pe, 0x80 + 28, code);
  PatchU32(pe, 0x80 + 32, init);
  PatchU32(pe, 0x80 + 36, uninit);
  return pe;
}

// Writes beyond `bytes` into regular files fail with EFBIG while this lives.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

 private:
  rlimit old_{};
};

}  // namespace quelo::test
