// The binary pack definition ("!quelo.ini"), read from a loose file.
#include <cstdint>

#include "FuzzSupport.h"
#include "archive/clsQueloConfig.h"

using namespace quelo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Dialogs().Reset();
  const std::string file = fuzz::ScratchDir() + "!quelo.ini";
  fuzz::WriteFile(file, data, size);

  clsQueloConfig config;
  const bool loaded = config.LoadConfig(file, 1);
  fuzz::Expect(loaded == config.Opened(), "LoadConfig's result and Opened disagree");
  fuzz::Expect(fuzz::Dialogs().texts.empty(), "the definition reader showed a message itself");
  if (!loaded) {
    fuzz::Expect(!config.GetLastErrorInfo().empty(), "a refused definition has no error text");
    fuzz::Expect(config.DefinitionCount() == 0, "a refused definition kept its records");
    return 0;
  }
  config.PackVersion();
  for (int16_t i = 0; i < config.DefinitionCount(); ++i) {
    const std::string name = config.FileName(i);
    config.FileTitle(i);
    config.FileDescription(i);
    config.FileAuther(i);
    // GetIndex takes the part after the last separator, so only bare names find themselves.
    if (name.find_first_of("/\\") != std::string::npos) continue;
    const int16_t index = config.GetIndex(name);
    fuzz::Expect(index >= 0 && index <= i, "a definition's own name does not find it");
  }
  return 0;
}
