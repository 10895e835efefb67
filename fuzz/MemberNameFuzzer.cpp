// Member names as a pack may hold them (any bytes). A name the rules take is
// shown as it is and still a name once folded; folding twice changes nothing,
// so two names that meet in one file meet however often they are compared.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "tools/MemberNames.h"

using namespace quelo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  const std::string problem = tools::MemberNameProblem(name);
  const std::string folded = tools::FoldedName(name);
  if (tools::FoldedName(folded) != folded) fuzz::Fail("folding a folded name changed it");
  const std::string shown = tools::ShownName(name);
  if (problem.empty()) {
    if (folded.empty()) fuzz::Fail("a name the rules take folds to nothing");
    if (shown != name) fuzz::Fail("a name the rules take is shown otherwise");
    if (!tools::WindowsDeviceName(name).empty()) fuzz::Fail("a device name passed the rules");
  }
  for (const char c : shown)
    if (static_cast<unsigned char>(c) < 0x20) fuzz::Fail("a control character is shown as it is");
  return 0;
}
