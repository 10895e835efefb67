#include "tools/MemberNames.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace quelo::tools {

namespace {

constexpr char32_t kBad = 0xFFFD;

// The code points of a UTF-8 text; a byte that starts no well-formed sequence
// counts as U+FFFD on its own.
std::vector<char32_t> Decode(const std::string& s) {
  std::vector<char32_t> out;
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t n = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
    bool ok = n != 0 && i + n <= s.size();
    for (size_t k = 1; ok && k < n; ++k) {
      const auto b = static_cast<unsigned char>(s[i + k]);
      ok = (b & 0xC0) == 0x80;
      cp = (cp << 6) | (b & 0x3F);
    }
    if (ok && ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF)))
      ok = false;
    out.push_back(ok ? cp : kBad);
    i += ok ? n : 1;
  }
  return out;
}

void Append(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool ForbiddenAscii(char32_t c) { return c < 0x20 || (c < 0x80 && std::strchr("<>:\"/\\|?*", static_cast<int>(c))); }

// Wine, Cygwin and WSL show a Linux name's character that Windows forbids as
// U+F000 plus that character; it is the same name, and as unusable on Windows.
char32_t Unmapped(char32_t c) {
  if (c > 0xF000 && c < 0xF080 && ForbiddenAscii(c - 0xF000)) return c - 0xF000;
  return c;
}

// Upper case as Windows' file systems compare names, for the scripts a code
// page 932 name can hold: Latin, fullwidth Latin, Greek, Cyrillic, Roman
// numerals, circled letters.
char32_t Upper(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 0x20;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  if (c == 0xFF) return 0x178;
  if (c == 0x3C2) return 0x3A3;  // final sigma
  if (c >= 0x3B1 && c <= 0x3C9) return c - 0x20;
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  if (c >= 0x2170 && c <= 0x217F) return c - 0x10;
  if (c >= 0x24D0 && c <= 0x24E9) return c - 0x1A;
  if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;
  return c;
}

std::string CodePoint(char32_t c) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(c));
  return buffer;
}

size_t Utf16Units(const std::vector<char32_t>& cps) {
  size_t units = 0;
  for (char32_t c : cps) units += c > 0xFFFF ? 2 : 1;
  return units;
}

}  // namespace

std::string WindowsDeviceName(const std::string& name) {
  // The device is the part before the first dot, trailing spaces ignored:
  // "con.png", "CON.tar.gz" and "con .png" all open the console.
  std::string stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  std::string upper;
  for (char c : stem) upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 0x20) : c;
  static const char* const kPlain[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kPlain)
    if (upper == device) return upper;
  if (upper.size() >= 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0)) {
    const std::string number = upper.substr(3);
    // 1 to 9, and the superscripts ¹ ² ³ that Windows takes as 1 to 3.
    if ((number.size() == 1 && number[0] >= '1' && number[0] <= '9') || number == "\xC2\xB9" || number == "\xC2\xB2" ||
        number == "\xC2\xB3")
      return upper;
  }
  return {};
}

std::string MemberNameProblem(const std::string& name) {
  if (name.empty()) return "it is empty";
  if (name == "." || name == "..") return "it names a folder, not a file";
  const std::vector<char32_t> cps = Decode(name);
  for (char32_t c : cps) {
    const char32_t plain = Unmapped(c);
    if (plain < 0x20 || plain == 0x7F)
      return "it holds the control character " + CodePoint(plain) + ", which file names on Windows cannot hold";
    if (ForbiddenAscii(plain))
      return std::string("it holds the character ") + static_cast<char>(plain) +
             " (Windows allows none of < > : \" / \\ | ? * in file names)";
  }
  if (name.back() == '.' || name.back() == ' ')
    return std::string("it ends in a ") + (name.back() == '.' ? "dot" : "space") +
           ", which Windows drops, so the file would get another name";
  const std::string device = WindowsDeviceName(name);
  if (!device.empty())
    return device + " is a device name on Windows" +
           (device.size() == name.size() ? std::string() : std::string(", whatever follows it"));
  if (Utf16Units(cps) > kMaxNameUnits)
    return "it is " + std::to_string(Utf16Units(cps)) + " characters long; Windows takes at most " +
           std::to_string(kMaxNameUnits);
  if (name.size() > kMaxNameUnits)
    return "it takes " + std::to_string(name.size()) + " bytes in UTF-8; Linux file systems take at most " +
           std::to_string(kMaxNameUnits);
  return {};
}

std::string FoldedName(const std::string& name) {
  std::vector<char32_t> cps = Decode(name);
  for (char32_t& c : cps) c = Upper(Unmapped(c));
  while (!cps.empty() && (cps.back() == '.' || cps.back() == ' ')) cps.pop_back();
  std::string out;
  for (char32_t c : cps) Append(out, c);
  return out;
}

std::string ShownName(const std::string& name) {
  std::string out;
  bool changed = false;
  for (char32_t c : Decode(name)) {
    const char32_t plain = Unmapped(c);
    changed |= plain != c || plain < 0x20 || plain == 0x7F;
    if (plain < 0x20 || plain == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(plain));
      out += escape;  // a control character would act on the terminal instead
    } else {
      Append(out, plain);
    }
  }
  return changed ? out : name;  // bytes that are not UTF-8 stay as they were
}

}  // namespace quelo::tools
