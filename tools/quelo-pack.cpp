#include <iostream>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "tools/PackTool.h"

#ifdef QUELO_PACK_QT_SVG
#include <QGuiApplication>

#include <memory>

#include "platform/qt/QtSvgRenderer.h"

namespace {

// Text in an SVG document needs Qt's fonts, hence an application; it is made
// offscreen, and only when the first SVG document is drawn.
class SvgWithApplication final : public quelo::ISvgRenderer {
 public:
  explicit SvgWithApplication(char* program) : argv_{program, nullptr} {}
  Result Render(const std::vector<uint8_t>& document, int32_t side, int32_t ownSideCap, int32_t& width,
                int32_t& height, std::vector<uint8_t>& rgba) override {
    if (!app_) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
      // Qt's own notes (a missing runtime folder, say) are no lines of this tool.
      qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
      app_ = std::make_unique<QGuiApplication>(argc_, argv_);
    }
    return renderer_.Render(document, side, ownSideCap, width, height, rgba);
  }

 private:
  int argc_ = 1;
  char* argv_[2];
  std::unique_ptr<QGuiApplication> app_;
  quelo::platform::qt::QtSvgRenderer renderer_;
};

}  // namespace
#endif

int main(int argc, char** argv) {
  quelo::platform::UseUtf8Console();
#ifdef QUELO_PACK_QT_SVG
  SvgWithApplication svg(argv[0]);
  quelo::SetSvgRenderer(&svg);
#endif
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int status = quelo::tools::RunPackTool(args, std::cout, std::cerr);
#ifdef QUELO_PACK_QT_SVG
  quelo::SetSvgRenderer(nullptr);
#endif
  return status;
}
