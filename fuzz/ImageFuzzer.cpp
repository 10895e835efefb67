// One image decoder (QUELO_FUZZ_TYPE: "PSD", "PNG" or "ICO"; with
// QUELO_FUZZ_ICON_SIZE, read as a user's folder is, fitted into that square) through LoadByteArray, and
// the same bytes through LoadFile behind a few bytes of something else, as a
// member lies inside the executable: both byte sources must give the same image
// and the same messages.
#include <cstdint>
#include <vector>

#include "FuzzSupport.h"
#include "image/clsImage.h"

using namespace quelo;

namespace {
constexpr size_t kPrefix = 7;

void Prepare(clsImage& image) {
  image.SetName("member");
#ifdef QUELO_FUZZ_ICON_SIZE
  image.SetFolderInputs(true);
  image.SetIconSize(QUELO_FUZZ_ICON_SIZE);
#endif
}

void CheckShape(const clsImage& image, const char* how) {
  const size_t expected =
      static_cast<size_t>(image.Width()) * static_cast<size_t>(image.Height()) * static_cast<size_t>(image.BitCount());
  fuzz::Expect(image.Width() >= 0 && image.Height() >= 0 && image.Pixels().size() == expected,
               std::string("the pixel buffer does not match the size, ") + how);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::SilentDialogs& dialogs = fuzz::Dialogs();
  dialogs.Reset();
  const std::vector<uint8_t> bytes(data, data + size);
  // Messages name the image: the same name for both loads.
  clsImage fromMemory;
  Prepare(fromMemory);
  const bool memoryResult = fromMemory.LoadByteArray(bytes, QUELO_FUZZ_TYPE);
  CheckShape(fromMemory, "from memory");
  const std::vector<std::string> memoryTexts = dialogs.texts;

  dialogs.Reset();
  std::vector<uint8_t> member(kPrefix, 0xA5);
  member.insert(member.end(), bytes.begin(), bytes.end());
  const std::string file = fuzz::ScratchDir() + "member";
  fuzz::WriteFile(file, member.data(), member.size());
  clsImage fromFile;
  Prepare(fromFile);
  const bool fileResult = fromFile.LoadFile(file, QUELO_FUZZ_TYPE, static_cast<int32_t>(kPrefix + 1));
  CheckShape(fromFile, "from a file");

  fuzz::Expect(memoryResult == fileResult, "memory and file loads disagree on the result");
  fuzz::Expect(memoryTexts == dialogs.texts, "memory and file loads show different messages");
  fuzz::Expect(fromMemory.Width() == fromFile.Width() && fromMemory.Height() == fromFile.Height() &&
                   fromMemory.BitCount() == fromFile.BitCount() && fromMemory.Pixels() == fromFile.Pixels(),
               "memory and file loads decode different images");
  return 0;
}
