// Decoding speed against a peer decoder (stb_image) on the same PackBits PSD
// bytes from the same source, and the speed of drawing through the row path.
// Prints each pair's time ratio at the end (quelo / stb: below 1 is faster).
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PSD
#include <stb/stb_image.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>

#include "image/clsImage.h"
#include "support/PsdWriter.h"

namespace {

constexpr int kIcon = 48;
constexpr int kBatch = 1000;
constexpr int kDocument = 2048;

struct Data {
  std::vector<uint8_t> icon;      // one pack-shaped icon document
  std::vector<uint8_t> document;  // a large RGBA document
  std::string batchFile;          // kBatch icons back to back, behind a stand-in program
  std::vector<int32_t> positions; // 1-based position of each icon in batchFile
  quelo::clsImage showImage;      // 256 x 256 RGBA for drawing

  Data() {
    const quelo::test::PsdOptions pack{21, 400};
    icon = quelo::test::MakePsd(kIcon, kIcon, 4, quelo::test::PatternPixels(kIcon, kIcon, 4, 1), pack);
    document = quelo::test::MakePsd(kDocument, kDocument, 4,
                                    quelo::test::PatternPixels(kDocument, kDocument, 4, 2), pack);
    std::vector<uint8_t> file(200000, 0x90);
    for (int i = 0; i < kBatch; ++i) {
      positions.push_back(static_cast<int32_t>(file.size()) + 1);
      const auto one = quelo::test::MakePsd(kIcon, kIcon, 4,
                                            quelo::test::PatternPixels(kIcon, kIcon, 4, i % 50), pack);
      file.insert(file.end(), one.begin(), one.end());
    }
    batchFile = (std::filesystem::temp_directory_path() / "quelo-bench-batch.bin").string();
    std::FILE* f = std::fopen(batchFile.c_str(), "wb");
    if (!f || std::fwrite(file.data(), 1, file.size(), f) != file.size()) std::abort();
    std::fclose(f);
    const auto show = quelo::test::MakePsd(256, 256, 4, quelo::test::PatternPixels(256, 256, 4, 3));
    if (!showImage.LoadByteArray(show, "PSD")) std::abort();
  }
  ~Data() { std::remove(batchFile.c_str()); }
};

Data& D() {
  static Data data;
  return data;
}

void QueloMemory(benchmark::State& state, const std::vector<uint8_t>& bytes) {
  for (auto _ : state) {
    quelo::clsImage image;
    if (!image.LoadByteArray(bytes, "PSD") || image.Width() == 0) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(image.Pixels().data());
  }
}

void StbMemory(benchmark::State& state, const std::vector<uint8_t>& bytes) {
  for (auto _ : state) {
    int w, h, n;
    stbi_uc* pixels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &n, 0);
    if (!pixels) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(pixels);
    stbi_image_free(pixels);
  }
}

void BM_Icon_Quelo(benchmark::State& state) { QueloMemory(state, D().icon); }
void BM_Icon_Stb(benchmark::State& state) { StbMemory(state, D().icon); }
void BM_Document_Quelo(benchmark::State& state) { QueloMemory(state, D().document); }
void BM_Document_Stb(benchmark::State& state) { StbMemory(state, D().document); }

// A pack's worth of icons, each opened from the one file at its position.
void BM_Batch_Quelo(benchmark::State& state) {
  Data& d = D();
  for (auto _ : state) {
    for (int32_t position : d.positions) {
      quelo::clsImage image;
      if (!image.LoadFile(d.batchFile, "PSD", position)) state.SkipWithError("decode failed");
      benchmark::DoNotOptimize(image.Pixels().data());
    }
  }
}

void BM_Batch_Stb(benchmark::State& state) {
  Data& d = D();
  for (auto _ : state) {
    for (int32_t position : d.positions) {
      std::FILE* f = std::fopen(d.batchFile.c_str(), "rb");
      if (!f || std::fseek(f, position - 1, SEEK_SET) != 0) state.SkipWithError("open failed");
      int w, h, n;
      stbi_uc* pixels = stbi_load_from_file(f, &w, &h, &n, 0);
      if (!pixels) state.SkipWithError("decode failed");
      benchmark::DoNotOptimize(pixels);
      stbi_image_free(pixels);
      std::fclose(f);
    }
  }
}

void BM_Show_256(benchmark::State& state) {
  Data& d = D();
  quelo::MemorySurface surface(300, 300);
  for (auto _ : state) {
    d.showImage.Show(surface, 10, 10);
    benchmark::DoNotOptimize(surface.Pixels().data());
  }
}

void BM_ShowEx_256(benchmark::State& state) {
  Data& d = D();
  quelo::MemorySurface surface(300, 300);
  for (auto _ : state) {
    d.showImage.ShowEx(surface, 10, 10);
    benchmark::DoNotOptimize(surface.Pixels().data());
  }
}

// The same drawing on a surface that only knows single pixels, for scale.
class PixelOnlySurface final : public quelo::ISurface {
 public:
  void PSet(int32_t x, int32_t y, uint32_t colour) override { inner.PSet(x, y, colour); }
  uint32_t Point(int32_t x, int32_t y) const override { return inner.Point(x, y); }
  quelo::MemorySurface inner{300, 300};
};

void BM_Show_256_PerPixel(benchmark::State& state) {
  PixelOnlySurface surface;
  for (auto _ : state) {
    D().showImage.Show(surface, 10, 10);
    benchmark::DoNotOptimize(surface.inner.Pixels().data());
  }
}

BENCHMARK(BM_Icon_Quelo);
BENCHMARK(BM_Icon_Stb);
BENCHMARK(BM_Batch_Quelo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Batch_Stb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Document_Quelo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Document_Stb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Show_256)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShowEx_256)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Show_256_PerPixel)->Unit(benchmark::kMicrosecond);

// Keeps each run's time per iteration for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && !run.error_occurred)
        seconds[run.benchmark_name()] = run.GetAdjustedRealTime() /
                                        benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> seconds;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  D();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::cout << "\nquelo / stb_image time ratio (goal: icon and batch <= 1.0, document <= 0.5)\n";
  for (const char* pair : {"Icon", "Batch", "Document"}) {
    const auto q = reporter.seconds.find(std::string("BM_") + pair + "_Quelo");
    const auto s = reporter.seconds.find(std::string("BM_") + pair + "_Stb");
    if (q == reporter.seconds.end() || s == reporter.seconds.end()) continue;
    std::printf("  %-9s %8.3f ms vs %8.3f ms  ratio %.2f\n", pair, q->second * 1e3, s->second * 1e3,
                q->second / s->second);
  }
  const auto show = reporter.seconds.find("BM_Show_256");
  if (show != reporter.seconds.end())
    std::printf("  Show 256x256 RGBA through the row path: %.1f us\n", show->second * 1e6);
  benchmark::Shutdown();
  return 0;
}
