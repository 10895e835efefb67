// SVG documents as images: read, unpacked when gzip, checked, then drawn by the
// installed renderer at the icon size.
#include "image/SvgDocument.h"
#include "image/clsImage.h"
#include "platform/Tr.h"

namespace quelo {

SvgPicture DrawSvgDocument(const uint8_t* data, size_t size, int32_t side) {
  SvgPicture picture;
  if (size > kMaxSvgBytes) {
    picture.problem = SvgProblemText(SvgProblem::TooLarge);
    return picture;
  }
  std::vector<uint8_t> document;
  if (size >= 2 && data[0] == 0x1F && data[1] == 0x8B) {
    if (!InflateGzip(data, size, kMaxSvgBytes, document)) {
      picture.problem = platform::Tr("image", "この SVGZ ファイルは壊れているか大きすぎるため読み込めません");
      return picture;
    }
  } else {
    document.assign(data, data + size);
  }
  const SvgProblem problem = CheckSvgDocument(document.data(), document.size());
  if (problem != SvgProblem::None) {
    picture.problem = SvgProblemText(problem);
    return picture;
  }
  ISvgRenderer* renderer = InstalledSvgRenderer();
  if (!renderer) {
    picture.problem = platform::Tr("image", "SVG 文書を描く機能がないため読み込めません");
    return picture;
  }
  int32_t w = 0, h = 0;
  std::vector<uint8_t> rgba;
  switch (renderer->Render(document, side, kMaxSvgOwnSide, w, h, rgba)) {
    case ISvgRenderer::Result::Drawn: break;
    case ISvgRenderer::Result::TooLarge: picture.problem = SvgProblemText(SvgProblem::TooLarge); return picture;
    case ISvgRenderer::Result::Invalid:
      picture.problem = platform::Tr("image", "この SVG 文書は壊れているため読み込めません");
      return picture;
  }
  if (w < 1 || h < 1 || rgba.size() != static_cast<size_t>(w) * static_cast<size_t>(h) * 4) {
    picture.problem = platform::Tr("image", "この SVG 文書は壊れているため読み込めません");
    return picture;
  }
  picture.width = w;
  picture.height = h;
  picture.rgba.swap(rgba);
  return picture;
}

bool clsImage::ReadSVG() {
  ByteSource& in = bytes_;
  const int64_t size = in.Remaining();
  if (size > static_cast<int64_t>(kMaxSvgBytes)) {
    SvgPicture refused;
    refused.problem = SvgProblemText(SvgProblem::TooLarge);
    return AdoptSvg(std::move(refused));
  }
  const uint8_t* p = in.ReadSpan(static_cast<size_t>(size));
  if (!p) return false;
  return AdoptSvg(DrawSvgDocument(p, static_cast<size_t>(size), iconSize_));
}

bool clsImage::AdoptSvg(SvgPicture&& picture) {
  if (!picture.problem.empty()) {
    ShowImageMessage(picture.problem);
    return true;
  }
  // Unreadable: skipped without a word, as a file that can't be opened is.
  if (picture.width < 1 || picture.height < 1) return true;
  width_ = picture.width;
  height_ = picture.height;
  bitCount_ = 4;
  pixels_.swap(picture.rgba);
  decoded_ = true;
  return true;
}

}  // namespace quelo
