#include "platform/Tr.h"

#include <vector>

namespace quelo::platform {

namespace {
Translator gTranslator = nullptr;
}

void SetTranslator(Translator translator) { gTranslator = translator; }

std::string Tr(const char* context, const char* text) {
  return gTranslator ? gTranslator(context, text) : std::string(text);
}

std::string Arg(const std::string& templ, std::initializer_list<std::string> args) {
  const std::vector<std::string> list(args);
  std::string out;
  out.reserve(templ.size());
  for (size_t i = 0; i < templ.size(); ++i) {
    const char c = templ[i];
    if (c == '%' && i + 1 < templ.size() && templ[i + 1] >= '1' && templ[i + 1] <= '9') {
      const size_t n = static_cast<size_t>(templ[i + 1] - '1');
      if (n < list.size()) {
        out += list[n];
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

}  // namespace quelo::platform
