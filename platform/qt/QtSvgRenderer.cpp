#include "platform/qt/QtSvgRenderer.h"

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cstring>

#include "image/IconScale.h"

namespace quelo::platform::qt {

ISvgRenderer::Result QtSvgRenderer::Render(const std::vector<uint8_t>& document, int32_t side, int32_t ownSideCap,
                                           int32_t& width, int32_t& height, std::vector<uint8_t>& rgba) {
  QSvgRenderer renderer(QByteArray::fromRawData(reinterpret_cast<const char*>(document.data()),
                                                static_cast<qsizetype>(document.size())));
  if (!renderer.isValid()) return Result::Invalid;
  // The document's own size: its width and height, else its view box.
  QSizeF own = renderer.defaultSize();
  if (own.isEmpty()) own = renderer.viewBoxF().size();
  if (own.isEmpty() || !(own.width() < 1e9 && own.height() < 1e9)) return Result::Invalid;
  if (own.width() > kMaxSvgDeclaredSide || own.height() > kMaxSvgDeclaredSide) return Result::TooLarge;
  const int32_t ownW = std::max(1, qRound(own.width()));
  const int32_t ownH = std::max(1, qRound(own.height()));
  int32_t w = ownW, h = ownH;
  if (side > 0) {
    FitIconSize(ownW, ownH, side, w, h);
  } else if (ownW > ownSideCap || ownH > ownSideCap) {
    FitIconSize(ownW, ownH, ownSideCap, w, h);
  }
  QImage picture(w, h, QImage::Format_ARGB32_Premultiplied);
  if (picture.isNull()) return Result::Invalid;
  picture.fill(Qt::transparent);
  {
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(0, 0, w, h));
  }
  const QImage straight = picture.convertToFormat(QImage::Format_RGBA8888);
  rgba.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
  for (int32_t y = 0; y < h; ++y)
    std::memcpy(rgba.data() + static_cast<size_t>(y) * static_cast<size_t>(w) * 4, straight.constScanLine(y),
                static_cast<size_t>(w) * 4);
  width = w;
  height = h;
  return Result::Drawn;
}

void InstallSvgRenderer() {
  static QtSvgRenderer renderer;
  SetSvgRenderer(&renderer);
}

}  // namespace quelo::platform::qt
