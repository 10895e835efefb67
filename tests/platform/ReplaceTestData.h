// The contents of the file a replacing write meets and of the one it writes.
#pragma once

#include <cstdint>
#include <vector>

namespace quelo::test {

inline const std::vector<uint8_t> kEarlier{'e', 'a', 'r', 'l', 'i', 'e', 'r'};
inline const std::vector<uint8_t> kNew{'n', 'e', 'w'};

}  // namespace quelo::test
