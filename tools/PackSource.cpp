#include "tools/PackSource.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/Platform.h"

namespace quelo::tools {

namespace {

const char* const kPackKeys[] = {"name", "version", "description", "author", "email", "url"};
const char* const kFileKeys[] = {"title", "description", "author"};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// Length of the UTF-8 sequence at s[i], or 0 when it is not well-formed.
size_t Utf8Length(const std::string& s, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = byte(i);
  size_t n;
  uint32_t cp;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) { n = 2; cp = c & 0x1F; }
  else if (c >= 0xE0 && c <= 0xEF) { n = 3; cp = c & 0x0F; }
  else if (c >= 0xF0 && c <= 0xF4) { n = 4; cp = c & 0x07; }
  else return 0;
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  // Overlong forms, surrogates and values above U+10FFFF are not UTF-8.
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
      (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  return n;
}

std::string CodePointName(const std::string& ch) {
  uint32_t cp = static_cast<unsigned char>(ch[0]);
  if (ch.size() > 1) {
    cp &= 0xFFu >> (ch.size() + 1);
    for (size_t k = 1; k < ch.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(ch[k]) & 0x3F);
  }
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(cp));
  return "\"" + ch + "\" (" + buffer + ")";
}

class Parser {
 public:
  Parser(const std::string& text, const std::string& sourceName) : text_(text), source_(sourceName) {}

  PackSource Run() {
    CheckEncoding();
    std::istringstream lines(text_);
    std::string line;
    while (std::getline(lines, line)) {
      ++lineNo_;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      ParseLine(line);
    }
    FinishValue();
    if (!sawPack_) Fail(0, "there is no [pack] section");
    if (result_.Definition.PackName.empty()) Fail(packLine_, "the [pack] section has no name");
    return std::move(result_);
  }

 private:
  [[noreturn]] void Fail(int line, const std::string& message) const {
    throw PackSourceError(source_, line, message);
  }

  void CheckEncoding() {
    if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) text_.erase(0, 3);  // a byte order mark is harmless
    int line = 1;
    for (size_t i = 0; i < text_.size();) {
      const size_t n = Utf8Length(text_, i);
      if (n == 0) Fail(line, "the text is not UTF-8");
      if (text_[i] == '\0') Fail(line, "the text holds a NUL character");
      if (text_[i] == '\n') ++line;
      i += n;
    }
  }

  void ParseLine(const std::string& line) {
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || line[0] == '#' || line[0] == ';') {
      FinishValue();  // a blank line or a comment ends a multi-line value
      return;
    }
    if (IsBlank(line[0])) {
      if (!value_) Fail(lineNo_, "an indented line must continue a \"key = value\" line");
      *value_ += "\r\n";
      if (trimmed != ".") *value_ += trimmed;
      return;
    }
    FinishValue();
    if (line[0] == '[') return ParseSection(trimmed);
    const size_t eq = line.find('=');
    if (eq == std::string::npos) Fail(lineNo_, "expected \"key = value\", a [section] or a comment");
    const std::string key = LowerAscii(Trim(line.substr(0, eq)));
    const std::string value = Trim(line.substr(eq + 1));
    if (key.empty()) Fail(lineNo_, "the line has no key before \"=\"");
    if (section_ == Section::None) Fail(lineNo_, "\"" + key + "\" comes before the [pack] section");
    StartValue(key, value);
  }

  void ParseSection(const std::string& trimmed) {
    if (trimmed.back() != ']') Fail(lineNo_, "a section line must end with \"]\"");
    const std::string inside = Trim(trimmed.substr(1, trimmed.size() - 2));
    if (LowerAscii(inside) == "pack") {
      if (sawPack_) Fail(lineNo_, "a second [pack] section");
      if (section_ == Section::File) Fail(lineNo_, "the [pack] section must come before the [file] sections");
      sawPack_ = true;
      packLine_ = lineNo_;
      section_ = Section::Pack;
      seenKeys_.clear();
      return;
    }
    if (LowerAscii(inside) == "file") Fail(lineNo_, "[file] needs a file name: [file NAME]");
    if (LowerAscii(inside.substr(0, 4)) != "file" || inside.size() < 5 || !IsBlank(inside[4]))
      Fail(lineNo_, "unknown section [" + inside + "]; expected [pack] or [file NAME]");
    if (!sawPack_) Fail(lineNo_, "the [pack] section must come before the [file] sections");
    const std::string name = Trim(inside.substr(5));
    CheckFileName(name);
    auto& files = result_.Definition.Files;
    for (size_t i = 0; i < files.size(); ++i)
      if (files[i].FileName == name)
        Fail(lineNo_, "a second [file " + name + "] section (the first is on line " +
                          std::to_string(result_.FileLines[i]) + ")");
    if (static_cast<int>(files.size()) == kMaxDefinitions)
      Fail(lineNo_, "more than " + std::to_string(kMaxDefinitions) + " [file] sections");
    files.push_back({name, "", "", ""});
    result_.FileLines.push_back(lineNo_);
    section_ = Section::File;
    seenKeys_.clear();
  }

  void CheckFileName(const std::string& name) {
    if (name.empty()) Fail(lineNo_, "[file] needs a file name: [file NAME]");
    if (name.find_first_of("/\\") != std::string::npos)
      Fail(lineNo_, "\"" + name + "\" is not a bare file name (no folders)");
    if (LowerAscii(name) == "!quelo.ini") Fail(lineNo_, "\"!quelo.ini\" is the definition itself, not an image");
    CheckText(name, "the file name");
  }

  void StartValue(const std::string& key, const std::string& value) {
    PackDefinition& d = result_.Definition;
    std::string* target = nullptr;
    if (section_ == Section::Pack) {
      if (key == "name") target = &d.PackName;
      else if (key == "version") target = &version_;
      else if (key == "description") target = &d.PackDescription;
      else if (key == "author") target = &d.PackAutherName;
      else if (key == "email") target = &d.PackAutherEmail;
      else if (key == "url") target = &d.PackAutherUrl;
    } else {
      PackDefinition::File& f = d.Files.back();
      if (key == "title") target = &f.FileTitle;
      else if (key == "description") target = &f.FileDescription;
      else if (key == "author") target = &f.FileAuther;
    }
    if (!target) {
      std::string allowed;
      if (section_ == Section::Pack) {
        for (const char* k : kPackKeys) allowed += std::string(allowed.empty() ? "" : ", ") + k;
      } else {
        for (const char* k : kFileKeys) allowed += std::string(allowed.empty() ? "" : ", ") + k;
      }
      Fail(lineNo_, "unknown key \"" + key + "\" here; known keys: " + allowed);
    }
    for (const std::string& seen : seenKeys_)
      if (seen == key) Fail(lineNo_, "\"" + key + "\" is given twice in this section");
    seenKeys_.push_back(key);
    *target = value;
    value_ = target;
    valueKey_ = key;
    valueLine_ = lineNo_;
  }

  // Checks a value once all its continuation lines are in.
  void FinishValue() {
    if (!value_) return;
    std::string* value = value_;
    value_ = nullptr;
    if (value == &version_) {
      int16_t field = 0;
      if (!ParsePackVersion(version_, field))
        Fail(valueLine_, "version \"" + version_ + "\" must be a number like 1.23 (at most two decimals, 0 to 327.67)");
      result_.Definition.PackVersion = field;
      return;
    }
    CheckText(*value, "\"" + valueKey_ + "\"", valueLine_);
  }

  void CheckText(const std::string& text, const std::string& what, int line = 0) {
    if (line == 0) line = lineNo_;
    const std::string problem = Cp932Problem(text);
    if (!problem.empty()) Fail(line, what + ": " + problem);
    std::string bytes;
    platform::EncodeCp932(text, bytes);
    if (bytes.size() > 65535)
      Fail(line, what + " takes " + std::to_string(bytes.size()) + " bytes in code page 932; at most 65535 fit");
  }

  enum class Section { None, Pack, File };

  std::string text_;
  std::string source_;
  int lineNo_ = 0;
  Section section_ = Section::None;
  bool sawPack_ = false;
  int packLine_ = 0;
  std::vector<std::string> seenKeys_;
  std::string* value_ = nullptr;  // the value that continuation lines extend
  std::string valueKey_;
  int valueLine_ = 0;
  std::string version_;
  PackSource result_;
};

}  // namespace

PackSourceError::PackSourceError(const std::string& source, int line, const std::string& message)
    : std::runtime_error(source + ":" + std::to_string(line) + ": " + message), line_(line) {}

bool ParsePackVersion(const std::string& text, int16_t& field) {
  long whole = 0;
  int decimals = 0, fraction = 0;
  size_t i = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    whole = whole * 10 + (text[i] - '0');
    if (whole > 327) return false;
  }
  if (i == 0) return false;
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      if (++decimals > 2) return false;
      fraction = fraction * 10 + (text[i] - '0');
    }
    if (decimals == 0) return false;
  }
  if (i != text.size()) return false;
  if (decimals == 1) fraction *= 10;
  const long value = whole * 100 + fraction;
  if (value > 32767) return false;
  field = static_cast<int16_t>(value);
  return true;
}

namespace {

// Characters that other code page 932 tables (glibc's, JIS X 0208's) map onto
// bytes Windows gives to a fullwidth look-alike; Windows refuses them, so the
// definition's author is pointed at the look-alike.
std::string Cp932LookAlike(const std::string& ch) {
  static const std::pair<const char*, const char*> kLookAlikes[] = {
      {"\u00A2", "\uFFE0"}, {"\u00A3", "\uFFE1"}, {"\u00A5", "\uFFE5"}, {"\u00AC", "\uFFE2"}, {"\u2014", "\u2015"},
      {"\u2016", "\u2225"}, {"\u203E", "\uFFE3"}, {"\u2212", "\uFF0D"}, {"\u301C", "\uFF5E"},
  };
  for (const auto& [from, to] : kLookAlikes)
    if (ch == from) return to;
  return {};
}

}  // namespace

std::string Cp932Problem(const std::string& utf8) {
  std::string bytes;
  if (platform::EncodeCp932(utf8, bytes) && platform::DecodeCp932(bytes) == utf8) return {};
  // Find the first character that fails on its own, to name it.
  for (size_t i = 0; i < utf8.size();) {
    const size_t n = std::max<size_t>(1, Utf8Length(utf8, i));
    const std::string ch = utf8.substr(i, n);
    std::string one;
    if (!platform::EncodeCp932(ch, one)) {
      const std::string instead = Cp932LookAlike(ch);
      return CodePointName(ch) + " has no code page 932 form" +
             (instead.empty() ? std::string() : "; write " + CodePointName(instead) + " instead");
    }
    const std::string back = platform::DecodeCp932(one);
    // Windows writes U+F8F0..U+F8F3 as single bytes it does not read back.
    if (back == "\xEF\xBF\xBD") return CodePointName(ch) + " has no code page 932 form that reads back";
    if (back != ch)
      return CodePointName(ch) + " would come back as " + CodePointName(back) + "; write that instead";
    i += n;
  }
  return "the text has no code page 932 form";
}

PackSource ParsePackSource(const std::string& text, const std::string& sourceName) {
  return Parser(text, sourceName).Run();
}

PackSource LoadPackSource(const std::string& fileName) {
  std::ifstream in(platform::FsPath(fileName), std::ios::binary);
  if (!in) throw PackSourceError(fileName, 0, "cannot read the definition");
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw PackSourceError(fileName, 0, "cannot read the definition");
  return ParsePackSource(text.str(), fileName);
}

std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

}  // namespace quelo::tools
