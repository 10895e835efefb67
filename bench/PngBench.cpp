// Decoding a folder of PNG icons and the same icons packed by quelo-pack (PNG
// stored as PSD members), through clsImage, as opening either would.
//   bench_png FOLDER PACK [ROUNDS]
// bench/png-bench.sh makes both and runs this. Prints, per source, the images
// decoded and the best and median time of the rounds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "archive/clsExePlusFiles.h"
#include "image/clsImage.h"
#include "pack/LoadedPack.h"
#include "platform/Platform.h"

namespace {

using Clock = std::chrono::steady_clock;

// Runs one pass `rounds` times; prints images decoded, pixels, best and median.
void Time(const char* what, int rounds, const std::function<int64_t(int&)>& pass) {
  std::vector<double> ms;
  int images = 0;
  int64_t pixels = 0;
  for (int r = 0; r < rounds; ++r) {
    images = 0;
    const Clock::time_point start = Clock::now();
    pixels = pass(images);
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  const double best = ms.front(), median = ms[ms.size() / 2];
  std::printf("%-34s %6d images %9.1f Mpx  best %8.1f ms  median %8.1f ms  %6.1f us/image\n", what, images,
              static_cast<double>(pixels) / 1e6, best, median, images ? best * 1000.0 / images : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_png FOLDER PACK [ROUNDS]\n");
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  const std::string pack = argv[2];
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;

  Time("folder: list + LoadFile (PNG)", rounds, [&](int& images) {
    int64_t pixels = 0;
    for (const std::string& name : quelo::platform::ListFilesWithExtension(folder, "png")) {
      quelo::clsImage image;
      if (image.LoadFile(folder + name) && image.HasPixels()) {
        ++images;
        pixels += int64_t{image.Width()} * image.Height();
      }
    }
    return pixels;
  });

  Time("pack: directory + members (PSD)", rounds, [&](int& images) {
    int64_t pixels = 0;
    quelo::clsExePlusFiles archive;
    if (!archive.OpenExe(pack)) return pixels;
    for (int32_t i = 0; i < archive.FileCount(); ++i) {
      const auto index = static_cast<int16_t>(i);
      quelo::clsImage image;
      const std::string name = archive.FileName(index);
      if (image.LoadFile(pack, image.GetFileExt(name), archive.FileOffset(index)) && image.HasPixels()) {
        ++images;
        pixels += int64_t{image.Width()} * image.Height();
      }
    }
    return pixels;
  });
  // Opening as the window does: the loaded pack's whole loop, with the status
  // texts it hands out (throttled) taken and dropped.
  auto open = [&](bool packed) {
    return [&, packed](int& images) {
      quelo::LoadedPack loaded;
      if (packed) {
        if (!loaded.SetArchive(pack)) return int64_t{0};
      } else {
        loaded.SetFolder(folder);
      }
      loaded.Load([](int32_t, int32_t, const std::string&) {});
      int64_t pixels = 0;
      images = loaded.ImageCount();
      for (int k = 1; k <= images; ++k) pixels += int64_t{loaded.Image(k).Width()} * loaded.Image(k).Height();
      return pixels;
    };
  };
  Time("LoadedPack: folder", rounds, open(false));
  Time("LoadedPack: pack", rounds, open(true));
  return 0;
}
