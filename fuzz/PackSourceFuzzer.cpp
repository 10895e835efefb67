// The definition text of quelo-pack. A text the parser takes must turn into a
// binary definition that the program's reader loads back with the same texts.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "archive/PackWriters.h"
#include "archive/clsQueloConfig.h"
#include "tools/PackSource.h"

using namespace quelo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Dialogs().Reset();
  tools::PackSource source;
  try {
    source = tools::ParsePackSource(std::string(reinterpret_cast<const char*>(data), size), "fuzz.txt");
  } catch (const tools::PackSourceError&) {
    return 0;  // refused with a message naming the line
  }
  const PackDefinition& d = source.Definition;
  std::vector<uint8_t> bytes;
  try {
    bytes = SerializeDefinition(d);
  } catch (const std::exception& e) {
    fuzz::Fail(std::string("a parsed definition does not serialize: ") + e.what());
  }
  const std::string file = fuzz::ScratchDir() + "!quelo.ini";
  fuzz::WriteFile(file, bytes.data(), bytes.size());
  clsQueloConfig config;
  fuzz::Expect(config.LoadConfig(file, 1), "the written definition does not load: " + config.GetLastErrorInfo());
  fuzz::Expect(config.PackName() == d.PackName && config.PackVersionField() == d.PackVersion &&
                   config.PackDescription() == d.PackDescription && config.PackAutherName() == d.PackAutherName &&
                   config.PackAutherEmail() == d.PackAutherEmail && config.PackAutherUrl() == d.PackAutherUrl,
               "a pack text changed on its way through the binary definition");
  fuzz::Expect(static_cast<size_t>(config.DefinitionCount()) == d.Files.size(), "the number of [file] sections changed");
  for (size_t i = 0; i < d.Files.size(); ++i) {
    const auto index = static_cast<int16_t>(i);
    fuzz::Expect(config.FileName(index) == d.Files[i].FileName && config.FileTitle(index) == d.Files[i].FileTitle &&
                     config.FileDescription(index) == d.Files[i].FileDescription &&
                     config.FileAuther(index) == d.Files[i].FileAuther,
                 "a file text changed on its way through the binary definition");
  }
  return 0;
}
