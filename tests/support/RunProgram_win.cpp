// CreateProcessW with a pipe for both output streams: no cmd.exe in between to
// reinterpret quotes, and arguments stay UTF-16 all the way.
#include <windows.h>

#include "platform/Platform.h"
#include "support/RunProgram.h"

namespace quelo::test {

namespace {

// Quoted so the C runtime's argument parser gives back exactly `arg`.
std::wstring Quote(const std::wstring& arg) {
  std::wstring out = L"\"";
  size_t slashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++slashes;
      continue;
    }
    out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
    slashes = 0;
    out += c;
  }
  out.append(slashes * 2, L'\\');
  return out + L"\"";
}

}  // namespace

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args) {
  ProgramResult r;
  std::wstring command = Quote(platform::FsPath(program).wstring());
  for (const std::string& a : args) command += L" " + Quote(platform::FsPath(a).wstring());
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return r;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                      &startup, &process);
  CloseHandle(writeEnd);
  if (started) {
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0) r.output.append(buffer, n);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code)) r.status = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(readEnd);
  // Console programs write text in text mode: "\r\n" is their "\n".
  for (size_t p; (p = r.output.find("\r\n")) != std::string::npos;) r.output.erase(p, 1);
  return r;
}

}  // namespace quelo::test
