// The readable source of a pack definition: a UTF-8 text that quelo-pack turns
// into the binary "!quelo.ini".
//
//   # comment (a line that begins with "#" or ";")
//   [pack]
//   name = Sample pack
//   version = 1.23            (stored as 123: at most two decimals, 0 to 327.67)
//   description = first line
//     second line             (indented lines continue the value, joined by CR LF;
//     .                        a lone "." stands for an empty line)
//   author = ...
//   email = ...
//   url = ...
//
//   [file sun.psd]            (one section per image; members follow this order)
//   title = ...
//   description = ...
//   author = ...
//
// Every text must have a code page 932 form that reads back as the same text.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "archive/PackWriters.h"

namespace quelo::tools {

// A definition text that can't be used; what() is "SOURCE:LINE: message".
class PackSourceError : public std::runtime_error {
 public:
  PackSourceError(const std::string& source, int line, const std::string& message);
  int Line() const { return line_; }

 private:
  int line_;
};

struct PackSource {
  PackDefinition Definition;    // texts in UTF-8, line breaks CR LF
  std::vector<int> FileLines;   // the line of each [file] section, parallel to Definition.Files
};

// The most [file] sections a definition may hold (the reader refuses more).
constexpr int kMaxDefinitions = 100;

// sourceName names the text in messages (usually its file name).
PackSource ParsePackSource(const std::string& text, const std::string& sourceName);
// Reads and parses a file; a file that can't be read is an error at line 0.
PackSource LoadPackSource(const std::string& fileName);

// The version text ("1.23") as the stored field (123); false when it is not a
// number with at most two decimals between 0 and 327.67.
bool ParsePackVersion(const std::string& text, int16_t& field);

// Empty when the text has a code page 932 form that decodes back to itself;
// otherwise a sentence naming the first character that does not.
std::string Cp932Problem(const std::string& utf8);

// The text with A-Z made a-z, the rest as it is.
std::string LowerAscii(std::string s);

}  // namespace quelo::tools
