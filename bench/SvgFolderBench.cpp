// Figures for icon sets:
// - opening a folder of 1 000 SVG documents (Tango's scalable icons, copied
//   round-robin) at an icon size of 32 px: the time LoadedPack::Load takes and
//   the growth of the peak resident memory (VmHWM);
// - the scaling filter: stb_image_resize (what the program uses) against Qt's
//   smooth scaling, the time to shrink 1 000 images of 48 and of 256 px to 32,
//   and how far each lands from ImageMagick's box filter (mean absolute
//   difference per channel over tests/data/scale_im_48.png shrunk to 16).
//
// bench_svg [--count N] [--size N] [TANGO_SCALABLE_FOLDER]
#include <QGuiApplication>
#include <QImage>

#include <sys/resource.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "image/IconScale.h"
#include "image/clsImage.h"
#include "pack/LoadedPack.h"
#include "platform/qt/QtSvgRenderer.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

long PeakKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

// CPU time of this process so far, in ms: on a machine busy with other work,
// a steadier figure than the wall clock.
double CpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::vector<uint8_t> QtScale(const std::vector<uint8_t>& rgba, int w, int h, int side) {
  const QImage in(rgba.data(), w, h, w * 4, QImage::Format_RGBA8888);
  const QImage out = in.convertToFormat(QImage::Format_RGBA8888_Premultiplied)
                         .scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                         .convertToFormat(QImage::Format_RGBA8888);
  std::vector<uint8_t> result(static_cast<size_t>(side) * side * 4);
  for (int y = 0; y < side; ++y) std::memcpy(result.data() + size_t(y) * side * 4, out.constScanLine(y), size_t(side) * 4);
  return result;
}

void Difference(const char* what, const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  std::array<double, 4> sum{};
  for (size_t i = 0; i + 3 < a.size() && i + 3 < b.size(); i += 4) {
    for (size_t c = 0; c < 3; ++c) sum[c] += std::abs(a[i + c] * a[i + 3] / 255.0 - b[i + c] * b[i + 3] / 255.0);
    sum[3] += std::abs(a[i + 3] - b[i + 3]);
  }
  const double n = static_cast<double>(a.size() / 4);
  std::printf("  %-34s R %.2f G %.2f B %.2f A %.2f\n", what, sum[0] / n, sum[1] / n, sum[2] / n, sum[3] / n);
}

void ScaleFigures() {
  quelo::test::RecordingDialogs dialogs;
  quelo::clsImage source;
  if (!source.LoadFile(QUELO_SOURCE_DIR "/tests/data/scale_im_48.png")) return;
  std::ifstream in(QUELO_SOURCE_DIR "/tests/data/scale_im_box16.rgba", std::ios::binary);
  const std::vector<uint8_t> reference((std::istreambuf_iterator<char>(in)), {});
  std::vector<uint8_t> ours;
  quelo::ScalePixels(source.Pixels(), 48, 48, 4, ours, 16, 16);
  std::printf("shrinking scale_im_48.png to 16 px, against ImageMagick's box filter:\n");
  Difference("stb_image_resize (box)", ours, reference);
  Difference("Qt smooth scaling (premultiplied)", QtScale(source.Pixels(), 48, 48, 16), reference);
  for (const int from : {48, 256}) {
    std::vector<uint8_t> big(static_cast<size_t>(from) * from * 4);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7 + i / 13);
    auto t0 = Clock::now();
    for (int k = 0; k < 1000; ++k) quelo::ScalePixels(big, from, from, 4, ours, 32, 32);
    const double stb = Ms(Clock::now() - t0);
    t0 = Clock::now();
    for (int k = 0; k < 1000; ++k) QtScale(big, from, from, 32);
    const double qt = Ms(Clock::now() - t0);
    std::printf("1000 x %d px -> 32 px: stb_image_resize %.1f ms, Qt smooth scaling %.1f ms\n", from, stb, qt);
  }
}

}  // namespace

int main(int argc, char** argv) {
  int count = 1000, side = 32;
  std::string tango = "/usr/share/icons/Tango/scalable";
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--count" && i + 1 < argc) count = std::atoi(argv[++i]);
    else if (a == "--size" && i + 1 < argc) side = std::atoi(argv[++i]);
    else tango = a;
  }
  int qtArgc = 1;
  QGuiApplication app(qtArgc, argv);
  quelo::platform::qt::InstallSvgRenderer();

  std::vector<fs::path> svgs;
  for (const auto& e : fs::recursive_directory_iterator(tango))
    if (e.path().extension() == ".svg" && e.is_regular_file()) svgs.push_back(e.path());
  std::sort(svgs.begin(), svgs.end());
  if (svgs.empty()) {
    std::fprintf(stderr, "bench_svg: no SVG documents in %s\n", tango.c_str());
    return 1;
  }
  quelo::test::TempDir dir;
  uintmax_t bytes = 0;
  for (int k = 0; k < count; ++k) {
    const fs::path& from = svgs[static_cast<size_t>(k) % svgs.size()];
    char name[32];
    std::snprintf(name, sizeof name, "%04d-", k);
    fs::copy_file(from, dir.Path() + name + from.filename().string());
    bytes += fs::file_size(from);
  }
  std::printf("folder: %d SVG documents from %zu of Tango's, %.1f MB\n", count, svgs.size(), bytes / 1e6);

  quelo::test::RecordingDialogs dialogs;
  const long before = PeakKiB();
  quelo::LoadedPack pack;
  pack.SetFolder(dir.Path());
  pack.SetIconSize(side);
  const auto t0 = Clock::now();
  const double cpu0 = CpuMs();
  pack.Load();
  const double ms = Ms(Clock::now() - t0);
  const double cpu = CpuMs() - cpu0;
  const long after = PeakKiB();
  double load[1] = {0};
  getloadavg(load, 1);
  std::printf("open at %d px: %d images in %.0f ms (%.2f ms each), CPU %.0f ms, load average %.1f; "
              "peak memory %ld MiB -> %ld MiB (+%ld MiB); %zu messages\n",
              side, pack.ImageCount(), ms, ms / std::max(1, pack.ImageCount()), cpu, load[0], before / 1024,
              after / 1024, (after - before) / 1024, dialogs.messages.size());
  ScaleFigures();
  return 0;
}
