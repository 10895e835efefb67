// Decoding a folder of PNG icons and the same icons packed by quelo-pack (PNG
// stored as PSD members), through clsImage, as opening either would.
//   bench_png FOLDER PACK [ROUNDS]
//   bench_png --large FILE.png [ROUNDS]
// bench/png-bench.sh makes both and runs this. Prints, per source, the images
// decoded and the best and median time of the rounds. With --large, one large
// PNG: the whole decode, and the walk over its deflate stream alone (the check
// that runs before stb_image inflates it).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "archive/clsExePlusFiles.h"
#include "image/DeflateCheck.h"
#include "image/clsImage.h"
#include "pack/LoadedPack.h"
#include "platform/Platform.h"

namespace {

using Clock = std::chrono::steady_clock;

// Runs one pass `rounds` times; prints images decoded, pixels, best and median.
void Time(const char* what, int rounds, const std::function<int64_t(int&)>& pass) {
  std::vector<double> ms, cpu;
  int images = 0;
  int64_t pixels = 0;
  for (int r = 0; r < rounds; ++r) {
    images = 0;
    const Clock::time_point start = Clock::now();
    const std::clock_t cpuStart = std::clock();
    pixels = pass(images);
    cpu.push_back(1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  std::sort(cpu.begin(), cpu.end());
  const double best = ms.front(), median = ms[ms.size() / 2];
  // The processor time too: on a busy machine it moves less than the wall clock.
  std::printf("%-34s %6d images %9.1f Mpx  best %8.1f ms  median %8.1f ms  %6.1f us/image  cpu best %8.1f ms\n", what,
              images, static_cast<double>(pixels) / 1e6, best, median, images ? best * 1000.0 / images : 0.0, cpu.front());
}

}  // namespace

// The image data (IDAT) of a PNG file, joined.
std::vector<uint8_t> ImageData(const std::vector<uint8_t>& png) {
  std::vector<uint8_t> stream;
  for (size_t at = 8; at + 12 <= png.size();) {
    const size_t length = size_t{png[at]} << 24 | size_t{png[at + 1]} << 16 | size_t{png[at + 2]} << 8 | png[at + 3];
    if (at + 12 + length > png.size()) break;
    if (std::equal(png.begin() + static_cast<long>(at) + 4, png.begin() + static_cast<long>(at) + 8, "IDAT"))
      stream.insert(stream.end(), png.begin() + static_cast<long>(at) + 8, png.begin() + static_cast<long>(at + 8 + length));
    at += 12 + length;
  }
  return stream;
}

int Large(const std::string& file, int rounds) {
  std::vector<uint8_t> png;
  if (std::FILE* f = std::fopen(file.c_str(), "rb")) {
    uint8_t buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) png.insert(png.end(), buffer, buffer + n);
    std::fclose(f);
  }
  const std::vector<uint8_t> stream = ImageData(png);
  Time("large PNG: LoadFile", rounds, [&](int& images) {
    quelo::clsImage image;
    if (!image.LoadFile(file) || !image.HasPixels()) return int64_t{0};
    images = 1;
    return int64_t{image.Width()} * image.Height();
  });
  Time("large PNG: deflate walk alone", rounds, [&](int& images) {
    const quelo::DeflateCheck check = quelo::CheckZlibStream(stream.data(), stream.size(), UINT64_MAX);
    images = check.problem ? 0 : 1;
    return static_cast<int64_t>(check.inflated / 4);  // "pixels": inflated bytes / 4
  });
  return 0;
}

int main(int argc, char** argv) {
  if (argc >= 3 && std::string(argv[1]) == "--large") return Large(argv[2], argc > 3 ? std::max(1, std::atoi(argv[3])) : 5);
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
