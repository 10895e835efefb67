// A Qt without its SVG module: no renderer is installed, so the core refuses
// SVG documents with its message that they cannot be drawn here.
#include "platform/qt/QtSvgRenderer.h"

namespace quelo::platform::qt {

void InstallSvgRenderer() {}

}  // namespace quelo::platform::qt
