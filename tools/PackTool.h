// quelo-pack: builds a pack executable (a program with an SXAR archive of the
// definition and the images appended), lists the members of one, and extracts
// them. Every refusal is one line on the error stream and a non-zero status,
// and nothing is written after a refusal.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace quelo::tools {

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

// The command line without the program's name.
int RunPackTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// EXE's bytes, then "!quelo.ini" made from DEFINITION, then the images of
// FOLDER: first those with a [file] section, in section order, then any other
// PSD or ICO file of the folder in alphabetical order. iconSize > 0 (--size N):
// every image is fitted into an N x N square, and icons of several images and
// SVG documents are taken too; what is not already at that size is stored as
// a PSD of it.
int BuildPack(const std::string& exe, const std::string& folder, const std::string& definition,
              const std::string& outFile, std::ostream& out, std::ostream& err, int32_t iconSize = 0);
// Index, name, position (counted from 1) and size of every member.
int ListPack(const std::string& pack, std::ostream& out, std::ostream& err);
// Writes every member to FOLDER (created when missing); refuses to overwrite.
int ExtractPack(const std::string& pack, const std::string& folder, std::ostream& out, std::ostream& err);

}  // namespace quelo::tools
