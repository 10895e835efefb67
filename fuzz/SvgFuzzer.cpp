// The SVG path up to the renderer: gzip unpacking within its limit, the bounds
// check of the document, and the image load that refuses what it cannot draw
// (this build installs no renderer). Every step must end quickly, whatever the
// bytes: a hang or a large allocation is a finding.
#include <cstdint>
#include <vector>

#include "FuzzSupport.h"
#include "image/SvgDocument.h"
#include "image/clsImage.h"

using namespace quelo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::SilentDialogs& dialogs = fuzz::Dialogs();
  dialogs.Reset();
  std::vector<uint8_t> unpacked;
  const bool gzip = InflateGzip(data, size, size_t{1} << 20, unpacked);
  fuzz::Expect(!gzip || unpacked.size() <= (size_t{1} << 20), "gzip unpacked past its limit");
  const std::vector<uint8_t>& document = gzip ? unpacked : std::vector<uint8_t>(data, data + size);
  const SvgProblem problem = CheckSvgDocument(document.data(), document.size());
  fuzz::Expect(problem == SvgProblem::None || !SvgProblemText(problem).empty(), "a refusal without a text");

  clsImage image;
  image.SetFolderInputs(true);
  image.SetIconSize(24);
  const std::vector<uint8_t> bytes(data, data + size);
  image.LoadByteArray(bytes, "SVGZ");
  fuzz::Expect(!image.HasPixels(), "an SVG drawn without a renderer");
  fuzz::Expect(dialogs.texts.size() <= 1, "more than one message for one document");
  return 0;
}
