// quelo-pack speaks English; the texts it passes on from the core (a decoder's
// refusal, a writer's reason) are in English too, from the window's English
// translation, made into a table when the tool is built.
#pragma once

#include <cstddef>
#include <string>

namespace quelo::tools {

struct TranslatedText {
  const char* context;
  const char* source;
  const char* translation;
};

// The finished translations of the core's contexts in translations/quelo_en.ts.
extern const TranslatedText kTranslatedTexts[];
extern const size_t kTranslatedTextCount;

// The English text of a core text; the text itself when it has no translation.
std::string EnglishText(const char* context, const char* text);

// Makes platform::Tr() answer in English while it lives.
class EnglishCoreTexts {
 public:
  EnglishCoreTexts();
  ~EnglishCoreTexts();
  EnglishCoreTexts(const EnglishCoreTexts&) = delete;
  EnglishCoreTexts& operator=(const EnglishCoreTexts&) = delete;
};

}  // namespace quelo::tools
