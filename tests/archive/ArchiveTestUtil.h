// Helpers for the archive tests: raw little-endian bytes, a minimal PE file,
// and a file size limit that makes writes fail even for root.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/QueloError.h"

namespace quelo::test {

// The QueloError that call() raises; number 0 when it raises none.
template <typename F>
QueloError ErrorOf(F call) {
  try {
    call();
  } catch (const QueloError& e) {
    return e;
  }
  return QueloError(0, "", "no error");
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
  RawBytes pe;
  pe.Raw("MZ").b.resize(0x3C);
  pe.U32(0x80).b.resize(0x80);
  pe.Raw("PE").b.resize(0x80 + 28);
  pe.U32(code).U32(init).U32(uninit).b.resize(length);
  return pe.b;
}

// Runs write() while writes beyond `bytes` into regular files fail, even for
// root: a file size limit where the system has one, else the injected failure.
void WithFileSizeLimit(uint64_t bytes, const std::function<void()>& write);

}  // namespace quelo::test
