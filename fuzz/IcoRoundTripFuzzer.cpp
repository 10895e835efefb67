// Decode (PSD when the bytes say "8BPS", ICO otherwise); an image the icon
// writer takes (32 x 32 or 48 x 48) is saved as an icon and read back, and must
// come back pixel for pixel (an image without alpha comes back opaque).
#include <cstdint>
#include <cstring>
#include <vector>

#include "FuzzSupport.h"
#include "image/clsImage.h"

using namespace quelo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::SilentDialogs& dialogs = fuzz::Dialogs();
  dialogs.Reset();
  const bool psd = size >= 4 && std::memcmp(data, "8BPS", 4) == 0;
  clsImage image;
  if (!image.LoadByteArray(std::vector<uint8_t>(data, data + size), psd ? "PSD" : "ICO")) return 0;
  const int32_t side = image.Width();
  if (side != image.Height() || (side != 32 && side != 48) || image.BitCount() < 3) return 0;

  dialogs.Reset();
  const std::string file = fuzz::ScratchDir() + "roundtrip.ico";
  image.SaveICO(file);
  fuzz::Expect(dialogs.texts.empty(), "SaveICO refused or failed: " +
                                          (dialogs.texts.empty() ? std::string() : dialogs.texts[0]));
  std::vector<uint8_t> saved;
  fuzz::Expect(fuzz::ReadFile(file, saved), "SaveICO wrote no file");
  fuzz::Expect(saved.size() == (side == 32 ? 4286u : 9662u), "the icon file has the wrong size");

  clsImage back;
  fuzz::Expect(back.LoadFile(file, "ICO", 1) && dialogs.texts.empty(), "the saved icon does not load");
  fuzz::Expect(back.Width() == side && back.Height() == side && back.BitCount() == 4,
               "the saved icon reads back with another size");
  const size_t pixels = static_cast<size_t>(side) * static_cast<size_t>(side);
  const size_t stride = static_cast<size_t>(image.BitCount());
  for (size_t i = 0; i < pixels; ++i) {
    const uint8_t* a = &image.Pixels()[i * stride];
    const uint8_t* b = &back.Pixels()[i * 4];
    const uint8_t alpha = stride == 4 ? a[3] : 255;
    if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2] || alpha != b[3])
      fuzz::Fail("pixel " + std::to_string(i) + " differs after the icon round trip");
  }
  return 0;
}
