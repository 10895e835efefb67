// Figures for the archive: reading a large directory, and exporting a large
// member through the 1024-byte copy buffer.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "archive/PackWriters.h"
#include "archive/clsExePlusFiles.h"

namespace {

namespace fs = std::filesystem;

// A minimal PE stub whose size fields end at its own end, so the pack follows it.
std::string WritePack(const std::string& name, const std::vector<quelo::PackMember>& members) {
  std::vector<uint8_t> stub(0x200, 0);
  stub[0] = 'M';
  stub[1] = 'Z';
  stub[0x3C] = 0x80;
  stub[0x80] = 'P';
  stub[0x81] = 'E';
  stub[0x80 + 29] = 0x02;  // SizeOfCode 0x200
  const fs::path dir = fs::temp_directory_path();
  quelo::WriteFileAtomically((dir / "bench-stub.exe").string(), stub);
  const std::string out = (dir / name).string();
  quelo::WritePackExecutable((dir / "bench-stub.exe").string(), members, out);
  return out;
}

void BM_OpenExeDirectoryOf30000(benchmark::State& state) {
  std::vector<quelo::PackMember> members;
  for (int i = 0; i < 30000; ++i) members.push_back({"member" + std::to_string(i) + ".psd", {1, 2, 3}, 0});
  const std::string exe = WritePack("bench-dir.exe", members);
  for (auto _ : state) {
    quelo::clsExePlusFiles reader;
    benchmark::DoNotOptimize(reader.OpenExe(exe));
  }
  state.SetItemsProcessed(state.iterations() * 30000);
  fs::remove(exe);
}
BENCHMARK(BM_OpenExeDirectoryOf30000)->Unit(benchmark::kMillisecond);

void BM_FileExport32MB(benchmark::State& state) {
  const size_t size = 32u << 20;
  const std::string exe = WritePack("bench-big.exe", {{"big.psd", std::vector<uint8_t>(size, 0x5A), 0}});
  quelo::clsExePlusFiles reader;
  reader.OpenExe(exe);
  const std::string out = (fs::temp_directory_path() / "bench-export.psd").string();
  for (auto _ : state) reader.FileExport(0, out);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
  fs::remove(exe);
  fs::remove(out);
}
BENCHMARK(BM_FileExport32MB)->Unit(benchmark::kMillisecond);

}  // namespace
