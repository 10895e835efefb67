// What the tool's tests share: paths made as the tool makes them, and the tool run.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "support/RunProgram.h"

namespace quelo::tools {

// A name as the tool turns it into a path.
inline std::filesystem::path P(const std::string& name) { return platform::FsPath(name); }

// quelo-pack run with these arguments.
inline test::ProgramResult Tool(const std::vector<std::string>& args) { return test::RunProgram(QUELO_PACK_TOOL, args); }

}  // namespace quelo::tools
