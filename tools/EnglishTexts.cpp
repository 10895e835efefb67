#include "tools/EnglishTexts.h"

#include <map>
#include <utility>

#include "platform/Tr.h"

namespace quelo::tools {

namespace {

using Key = std::pair<std::string, std::string>;

const std::map<Key, const char*>& Table() {
  static const std::map<Key, const char*> table = [] {
    std::map<Key, const char*> t;
    for (size_t i = 0; i < kTranslatedTextCount; ++i)
      t.emplace(Key(kTranslatedTexts[i].context, kTranslatedTexts[i].source), kTranslatedTexts[i].translation);
    return t;
  }();
  return table;
}

}  // namespace

std::string EnglishText(const char* context, const char* text) {
  const auto found = Table().find(Key(context, text));
  return found != Table().end() ? std::string(found->second) : std::string(text);
}

EnglishCoreTexts::EnglishCoreTexts() { platform::SetTranslator(&EnglishText); }
EnglishCoreTexts::~EnglishCoreTexts() { platform::SetTranslator(nullptr); }

}  // namespace quelo::tools
