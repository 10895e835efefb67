// SVG documents drawn by Qt's SVG module for the core's image loader. Text in
// a document needs a QGuiApplication (fonts); paths and fills do not.
#pragma once

#include "image/SvgDocument.h"

namespace quelo::platform::qt {

class QtSvgRenderer final : public ISvgRenderer {
 public:
  Result Render(const std::vector<uint8_t>& document, int32_t side, int32_t ownSideCap, int32_t& width,
                int32_t& height, std::vector<uint8_t>& rgba) override;
};

// Installs one QtSvgRenderer for the core (again: no change).
void InstallSvgRenderer();

}  // namespace quelo::platform::qt
