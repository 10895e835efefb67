// SVG documents as images: read, unpacked when gzip, checked, then drawn by the
// installed renderer at the icon size.
#include "image/SvgDocument.h"
#include "image/clsImage.h"
#include "platform/Tr.h"

namespace quelo {

bool clsImage::ReadSVG() {
  ByteSource& in = bytes_;
  const int64_t size = in.Remaining();
  if (size > static_cast<int64_t>(kMaxSvgBytes)) {
    ShowImageMessage(SvgProblemText(SvgProblem::TooLarge));
    return true;
  }
  const uint8_t* p = in.ReadSpan(static_cast<size_t>(size));
  if (!p) return false;
  std::vector<uint8_t> document;
  if (size >= 2 && p[0] == 0x1F && p[1] == 0x8B) {
    if (!InflateGzip(p, static_cast<size_t>(size), kMaxSvgBytes, document)) {
      ShowImageMessage(platform::Tr("image", "この SVGZ ファイルは壊れているか大きすぎるため読み込めません"));
      return true;
    }
  } else {
    document.assign(p, p + size);
  }
  const SvgProblem problem = CheckSvgDocument(document.data(), document.size());
  if (problem != SvgProblem::None) {
    ShowImageMessage(SvgProblemText(problem));
    return true;
  }
  ISvgRenderer* renderer = InstalledSvgRenderer();
  if (!renderer) {
    ShowImageMessage(platform::Tr("image", "SVG 文書を描く機能がないため読み込めません"));
    return true;
  }
  int32_t w = 0, h = 0;
  std::vector<uint8_t> rgba;
  switch (renderer->Render(document, iconSize_, kMaxSvgOwnSide, w, h, rgba)) {
    case ISvgRenderer::Result::Drawn: break;
    case ISvgRenderer::Result::TooLarge: ShowImageMessage(SvgProblemText(SvgProblem::TooLarge)); return true;
    case ISvgRenderer::Result::Invalid:
      ShowImageMessage(platform::Tr("image", "この SVG 文書は壊れているため読み込めません"));
      return true;
  }
  if (w < 1 || h < 1 || rgba.size() != static_cast<size_t>(w) * static_cast<size_t>(h) * 4) return true;
  width_ = w;
  height_ = h;
  bitCount_ = 4;
  pixels_.swap(rgba);
  decoded_ = true;
  return true;
}

}  // namespace quelo
