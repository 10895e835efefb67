// Figures for the main window, offscreen: opening a pack of 1000 PSD images of
// 48 x 48 appended to an executable (construction to the final status text),
// RedrawStrip(0) over 20 images of 256 x 256, and a drag over them.
#include <QApplication>
#include <QScrollBar>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "archive/PackWriters.h"
#include "platform/Platform.h"
#include "platform/qt/QtPlatform.h"
#include "support/PsdWriter.h"
#include "support/TempDir.h"
#include "ui/main/PictureBox.h"
#include "ui/main/frmMain.h"

using Clock = std::chrono::steady_clock;

class FrmMainBench {
 public:
  static void RedrawAll(quelo::ui::frmMain& w) { w.RedrawStrip(0); }
  static void AddAll(quelo::ui::frmMain& w) {
    for (int16_t k = 1; k <= w.PackImageCount(); ++k) {
      int16_t position = -1;
      w.AddStripImage(k, position);
    }
  }
  static void ScrollPreviews(quelo::ui::frmMain& w, int value) { w.vscPreviews->setValue(value); }
  static QString Status(quelo::ui::frmMain& w) { return w.picProgress->PrintedTexts().back().text; }
  static void DragOver(quelo::ui::frmMain& w, float x) { w.picMain_DragOver(x); }
};

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void Report(const char* what, std::vector<double> ms, double goal) {
  std::sort(ms.begin(), ms.end());
  std::printf("%-44s min %8.2f ms  median %8.2f ms  (goal < %.0f ms, %zu runs)\n", what, ms.front(),
              ms[ms.size() / 2], goal, ms.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  quelo::platform::SetSysColorSource(&quelo::platform::qt::PaletteSysColor);
  quelo::test::TempDir dir;
  const std::string self = QCoreApplication::applicationFilePath().toStdString();

  // 1000 members of 48 x 48 with soft alpha, appended to a copy of this program.
  std::vector<quelo::PackMember> members;
  for (int i = 0; i < 1000; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "icon%04d.psd", i);
    members.push_back({name, quelo::test::MakePsd(48, 48, 4, quelo::test::PatternPixels(48, 48, 4, i % 7)), 0});
  }
  const std::string exe = dir.File("quelo");
  quelo::WritePackExecutable(self, members, exe);
  quelo::platform::OverrideExecutablePath(exe);

  std::vector<double> load;
  for (int run = 0; run < 5; ++run) {
    const auto start = Clock::now();
    auto w = std::make_unique<quelo::ui::frmMain>();
    w->Form_Load();
    load.push_back(Ms(Clock::now() - start));
    if (run == 0) std::printf("final status: %s\n", FrmMainBench::Status(*w).toStdString().c_str());
  }
  Report("open pack of 1000 x 48x48 PSD members", load, 500);

  {
    quelo::ui::frmMain w;
    w.Form_Load();
    std::vector<double> scroll;
    for (int run = 0; run < 20; ++run) {
      const auto start = Clock::now();
      FrmMainBench::ScrollPreviews(w, run % 2 == 0 ? 2 : 1);
      QCoreApplication::processEvents();  // the repaint that follows
      scroll.push_back(Ms(Clock::now() - start));
    }
    Report("scroll the 1000-preview panel one step", scroll, 100);
  }

  // 20 images of 256 x 256 as loose files, all of them in the strip.
  quelo::test::TempDir loose;
  for (int i = 0; i < 20; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "big%02d.psd", i);
    quelo::test::WriteAll(loose.File(name), quelo::test::MakePsd(256, 256, 4, quelo::test::PatternPixels(256, 256, 4, i)));
  }
  quelo::platform::OverrideExecutablePath(loose.File("quelo"));
  quelo::ui::frmMain w;
  w.Form_Load();
  FrmMainBench::AddAll(w);
  std::vector<double> redraw;
  for (int run = 0; run < 30; ++run) {
    const auto start = Clock::now();
    FrmMainBench::RedrawAll(w);
    redraw.push_back(Ms(Clock::now() - start));
  }
  Report("RedrawStrip(0), 20 x 256x256", redraw, 10);
  // A drag over that strip: each event clears the marker and draws it anew.
  std::vector<double> dragOver;
  for (int run = 0; run < 200; ++run) {
    const auto start = Clock::now();
    FrmMainBench::DragOver(w, static_cast<float>(run * 25 % 5120));
    QCoreApplication::processEvents();  // the repaint that follows
    dragOver.push_back(Ms(Clock::now() - start));
  }
  Report("drag over the 20 x 256x256 strip, one event", dragOver, 5);
  quelo::platform::OverrideExecutablePath("");
  return 0;
}
