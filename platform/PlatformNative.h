// What each system's half of the seam gives the portable half.
#pragma once

#include <cstdint>

namespace quelo::platform {

// The system's own value 0x00BBGGRR of a colour index, or fallback where the
// system has none to give.
uint32_t NativeSysColor(int index, uint32_t fallback);

}  // namespace quelo::platform
