// Figures for the main window:
// - opening a pack of 1 000, 10 000 and 32 767 PSD images of 48 x 48 with soft
//   alpha, appended to an executable, the first 100 with a display title: the time from
//   the window's construction to the final status text, and on to the end of
//   the event processing that follows; the peak resident memory (VmHWM); one
//   scroll step of the panel. Each open runs in a process of its own, so that
//   peaks don't mix, once offscreen and once on an X server without a window
//   manager (xvfb-run), where the window is on screen while the pack loads;
// - RedrawStrip(0) over 20 images of 256 x 256, a drag over them, and the save
//   of that strip as a BMP file (written, synced and renamed into place).
//
// bench_ui [--runs N] [--no-xvfb]      the whole table
// bench_ui --strip                     only the strip figures
// bench_ui --open EXE                  one open of the pack appended to EXE
#include <QApplication>
#include <QScrollBar>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
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
  static QScrollBar& Scroll(quelo::ui::frmMain& w) { return *w.vscPreviews; }
  static int Count(quelo::ui::frmMain& w) { return w.PackImageCount(); }
  static QString Status(quelo::ui::frmMain& w) { return w.picProgress->PrintedTexts().back().text; }
  static void DragOver(quelo::ui::frmMain& w, float x) { w.picMain_DragOver(x); }
  static bool Save(quelo::ui::frmMain& w, const std::string& file) { return w.SaveStripBitmap(file, false); }
};

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Peak resident memory of this process, in bytes.
double PeakResident() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) * 1024;
  return 0;
}

// One open, in this process: "RESULT images open-ms idle-ms peak-bytes scroll-ms".
int OpenOnce(const std::string& exe) {
  quelo::platform::OverrideExecutablePath(exe);
  const auto start = Clock::now();
  auto w = std::make_unique<quelo::ui::frmMain>();
  w->Form_Load();
  const double open = Ms(Clock::now() - start);
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  const double idle = Ms(Clock::now() - start);
  const double peak = PeakResident();
  // Steps down and back up, each with the repaint that follows.
  QScrollBar& bar = FrmMainBench::Scroll(*w);
  std::vector<double> steps;
  for (int run = 0; run < 40 && FrmMainBench::Count(*w) > 1; ++run) {
    const auto t = Clock::now();
    bar.setValue(bar.value() + (run < 20 ? 1 : -1));
    QCoreApplication::processEvents();
    steps.push_back(Ms(Clock::now() - t));
  }
  std::fprintf(stderr, "final status: %s\n", FrmMainBench::Status(*w).toStdString().c_str());
  std::printf("RESULT %d %.2f %.2f %.0f %.3f\n", FrmMainBench::Count(*w), open, idle, peak, Median(steps));
  return 0;
}

struct Result {
  int images = 0;
  double open = 0, idle = 0, peak = 0, scroll = 0;
};

bool RunChild(const std::string& command, Result* r) {
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return false;
  char line[256];
  bool found = false;
  while (std::fgets(line, sizeof line, pipe))
    if (std::sscanf(line, "RESULT %d %lf %lf %lf %lf", &r->images, &r->open, &r->idle, &r->peak, &r->scroll) == 5)
      found = true;
  return pclose(pipe) == 0 && found;
}

// A pack of `count` 48 x 48 RGBA PSD images, the first 100 with a title in the definition.
std::string MakePack(const quelo::test::TempDir& dir, const std::string& self, int count) {
  quelo::PackDefinition def;
  def.PackName = "bench";
  std::vector<quelo::PackMember> members;
  members.push_back({"!quelo.ini", {}, 0});
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "icon%05d.psd", i);
    if (i < 100) def.Files.push_back({name, std::string("アイコン ") + name, "", ""});  // the most a definition holds
    members.push_back({name, quelo::test::MakePsd(48, 48, 4, quelo::test::PatternPixels(48, 48, 4, i % 7)), 0});
  }
  members[0].Data = quelo::SerializeDefinition(def);
  const std::string exe = dir.File("quelo-" + std::to_string(count));
  quelo::WritePackExecutable(self, members, exe);
  return exe;
}

void StripRedraw() {
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
  std::sort(redraw.begin(), redraw.end());
  std::printf("RedrawStrip(0), 20 x 256x256: min %.2f ms  median %.2f ms  (goal < 10 ms, 30 runs)\n", redraw.front(),
              Median(redraw));
  // A drag over that strip: each event clears the marker and draws it anew.
  std::vector<double> dragOver;
  for (int run = 0; run < 200; ++run) {
    const auto start = Clock::now();
    FrmMainBench::DragOver(w, static_cast<float>(run * 25 % 5120));
    QCoreApplication::processEvents();  // the repaint that follows
    dragOver.push_back(Ms(Clock::now() - start));
  }
  std::sort(dragOver.begin(), dragOver.end());
  std::printf("drag over the 20 x 256x256 strip, one event: min %.2f ms  median %.2f ms  (goal < 5 ms, 200 runs)\n",
              dragOver.front(), Median(dragOver));
  // Saving replaces the same file each time, as "上書き保存(&S)" does.
  std::vector<double> save;
  for (int run = 0; run < 30; ++run) {
    const auto start = Clock::now();
    if (!FrmMainBench::Save(w, loose.File("strip.bmp"))) break;
    save.push_back(Ms(Clock::now() - start));
  }
  if (!save.empty()) {
    std::sort(save.begin(), save.end());
    std::printf("save of the 20 x 256x256 strip as BMP (%lld bytes): min %.2f ms  median %.2f ms  (30 runs)\n",
                static_cast<long long>(quelo::test::ReadAll(loose.File("strip.bmp")).size()), save.front(),
                Median(save));
  }
  quelo::platform::OverrideExecutablePath("");
}

}  // namespace

int main(int argc, char** argv) {
  std::string openExe;
  int runs = 3;
  bool xvfb = true;
  bool stripOnly = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--open") && i + 1 < argc) openExe = argv[++i];
    else if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--no-xvfb")) xvfb = false;
    else if (!std::strcmp(argv[i], "--strip")) stripOnly = true;
  }
  if (openExe.empty() || qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  quelo::platform::SetSysColorSource(&quelo::platform::qt::PaletteSysColor);
  if (!openExe.empty()) return OpenOnce(openExe);
  if (stripOnly) {
    StripRedraw();
    return 0;
  }

  const std::string self = QCoreApplication::applicationFilePath().toStdString();
  quelo::test::TempDir dir;
  // The empty program: a copy without a pack in a folder without images.
  quelo::test::TempDir empty;
  quelo::test::WriteAll(empty.File("quelo"), quelo::test::ReadAll(self));
  std::map<int, std::string> packs{{0, empty.File("quelo")}};
  for (int count : {1000, 10000, 32767}) packs[count] = MakePack(dir, self, count);

  struct Platform {
    const char* name;
    std::string prefix;
  };
  std::vector<Platform> platforms{{"offscreen", "QT_QPA_PLATFORM=offscreen "}};
  if (xvfb) platforms.push_back({"Xvfb", "xvfb-run -a -s '-screen 0 1280x800x24' env QT_QPA_PLATFORM=xcb "});
  std::printf("%-9s %7s %12s %12s %12s %10s %12s\n", "platform", "images", "open min ms", "open med ms",
              "idle med ms", "peak MB", "scroll ms");
  for (const Platform& platform : platforms) {
    std::map<int, double> median;
    std::map<int, double> peak;
    for (const auto& [count, exe] : packs) {
      std::vector<double> open, idle, scroll;
      Result r;
      for (int run = 0; run < runs; ++run) {
        if (!RunChild(platform.prefix + "'" + self + "' --open '" + exe + "'", &r)) {
          std::printf("%-9s %7d  failed\n", platform.name, count);
          break;
        }
        open.push_back(r.open);
        idle.push_back(r.idle);
        scroll.push_back(r.scroll);
        if (run == 0) peak[count] = r.peak;
      }
      if (open.empty()) continue;
      median[count] = Median(open);
      std::printf("%-9s %7d %12.1f %12.1f %12.1f %10.1f %12.3f\n", platform.name, r.images,
                  *std::min_element(open.begin(), open.end()), Median(open), Median(idle), peak[count] / 1e6,
                  Median(scroll));
    }
    if (median.count(1000) && median.count(10000))
      std::printf("%-9s ratio 10000/1000 open: %.1f (goal <= 12)\n", platform.name, median[10000] / median[1000]);
    if (peak.count(0) && peak.count(10000)) {
      const double goal = 10000.0 * 48 * 48 * 4 * 1.3 + peak[0];
      std::printf("%-9s peak for 10000: %.1f MB, goal <= %.1f MB (92.2 MB x 1.3 + empty program %.1f MB)\n",
                  platform.name, peak[10000] / 1e6, goal / 1e6, peak[0] / 1e6);
    }
  }
  std::printf("goals: open 1000 < 100 ms, 10000 < 1000 ms, 32767 < 3000 ms; scroll step < 1 ms\n");
  StripRedraw();
  return 0;
}
