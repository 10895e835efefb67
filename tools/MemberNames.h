// The names a pack may give its members. A pack built on one system is
// extracted on another, so the builder and the extractor apply the same rules
// everywhere: a name must be a file name on Windows and on Linux, and no two
// names may meet in one file on a case-insensitive file system that drops
// trailing dots and spaces (Windows, and macOS for the case).
#pragma once

#include <string>

namespace quelo::tools {

// The longest name: Windows counts UTF-16 units, Linux file systems bytes.
constexpr size_t kMaxNameUnits = 255;

// Empty when the name is fine; otherwise the reason, as a phrase that follows
// "the file name NAME can't be stored: ".
//  - empty, "." and "..": no file names;
//  - < > : " / \ | ? * and control characters: Windows refuses them (also in
//    the form Wine, Cygwin and WSL show such Linux names: U+F000 plus the character);
//  - a trailing dot or space: Windows drops it, so the file gets another name;
//  - CON PRN AUX NUL COM1-9 LPT1-9 (also COM¹²³ LPT¹²³, CONIN$ CONOUT$), in any case,
//    alone or before any extension: Windows opens the device instead of a file;
//  - more than 255 UTF-16 units (Windows) or 255 bytes of UTF-8 (Linux).
std::string MemberNameProblem(const std::string& name);

// The device a name stands for on Windows ("CON" for "con.png"), or empty.
std::string WindowsDeviceName(const std::string& name);

// The key under which a case-insensitive file system that drops trailing dots
// and spaces files the name: two names with one key are one file there.
std::string FoldedName(const std::string& name);

// The name as a user recognises it: the U+F000 forms shown as the characters
// they stand for, control characters as \x01.
std::string ShownName(const std::string& name);

}  // namespace quelo::tools
