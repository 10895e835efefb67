// The console of a window program.
#pragma once

namespace quelo::platform {

// A window program started from a console writes its --help, --version and
// usage errors there. On Windows such a program has no console of its own:
// when its output goes nowhere it takes its parent's (a redirected output is
// kept). Nothing to do elsewhere.
void UseParentConsole();

}  // namespace quelo::platform
