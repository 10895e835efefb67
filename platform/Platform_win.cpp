// The Windows half of the platform seam: every file name is UTF-8 inside the
// program and becomes UTF-16 for the wide calls here, never the ANSI code page.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#undef MessageBox  // IDialogs::MessageBox is ours, not MessageBoxW

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "platform/Console.h"
#include "platform/Platform.h"
#include "platform/PlatformNative.h"
#include "platform/QueloError.h"

namespace quelo::platform {

namespace {

// UTF-8 to UTF-16; false for text that is not UTF-8.
bool Widen(const std::string& utf8, std::wstring& wide) {
  wide.clear();
  if (utf8.empty()) return true;
  const int size = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  if (n <= 0) return false;
  wide.resize(static_cast<size_t>(n));
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), n) == n;
}

// Windows answers "path not found" for a name longer than a folder entry holds;
// the user is better told that the name is too long, as on Linux.
bool NameTooLong(const std::wstring& wide) {
  size_t run = 0;
  for (wchar_t c : wide) {
    run = c == L'\\' || c == L'/' ? 0 : run + 1;
    if (run > 255) return true;
  }
  return false;
}

std::string Narrow(const wchar_t* wide, size_t length) {
  if (length == 0) return {};
  const int size = static_cast<int>(length);
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, size, out.data(), n, nullptr, nullptr);
  return out;
}

int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EACCES;
    case ERROR_WRITE_PROTECT: return EROFS;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER:
    case ERROR_DIRECTORY: return EINVAL;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_NOT_SAME_DEVICE: return EXDEV;
    default: return EIO;
  }
}

std::string& ExecutableOverride() {
  static std::string path;
  return path;
}

std::string RealExecutablePath() {
  // Paths may be longer than MAX_PATH; a full buffer means the name was cut.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return Narrow(buffer.data(), n);
    if (buffer.size() >= 65536) return {};
    buffer.resize(buffer.size() * 2);
  }
}


}  // namespace

// Looked up at run time, so that the console tool imports nothing beyond KERNEL32.
uint32_t NativeSysColor(int index, uint32_t fallback) {
  using GetSysColorFn = DWORD(WINAPI*)(int);
  static const GetSysColorFn get = [] {
    HMODULE user32 = LoadLibraryW(L"user32.dll");
    return user32 ? reinterpret_cast<GetSysColorFn>(reinterpret_cast<void*>(GetProcAddress(user32, "GetSysColor")))
                  : nullptr;
  }();
  return get ? static_cast<uint32_t>(get(index)) & 0xFFFFFFu : fallback;
}

void UseUtf8Console() { SetConsoleOutputCP(CP_UTF8); }

void UseParentConsole() {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out != nullptr && out != INVALID_HANDLE_VALUE) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  std::freopen("CONOUT$", "w", stdout);
  std::freopen("CONOUT$", "w", stderr);
  SetConsoleOutputCP(CP_UTF8);
}

void OverrideExecutablePath(const std::string& fullPath) { ExecutableOverride() = fullPath; }

std::string ExeFileName() {
  if (!ExecutableOverride().empty()) return ExecutableOverride();
  static const std::string real = RealExecutablePath();
  return real;
}

std::string AppPath() { return FolderOf(ExeFileName()); }

const char* FixedPitchJapaneseFont() { return "MS Gothic"; }

int64_t FileLength(const std::string& fileName) {
  const std::string source = "FileLen";
  std::wstring wide;
  if (fileName.empty() || !Widen(fileName, wide)) throw QueloError::Make(err::kBadFileNameOrNumber, source);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) {
    const int error = ErrnoOf(GetLastError());
    if (error == ENOENT) throw QueloError::Make(err::kFileNotFound, source);
    throw QueloError::FromErrno(error, source);
  }
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) throw QueloError::Make(err::kBadFileNameOrNumber, source);
  return static_cast<int64_t>((uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
}

// The pattern "*.psd" would also match long names through their 8.3 short names
// (and "*.ico" would match "x.icon"), so every name is listed and its long name
// compared here.
std::vector<std::string> ListFilesWithExtensions(const std::string& folder, const std::vector<std::string>& extensions) {
  std::vector<std::string> names;
  std::wstring pattern;
  if (!Widen(folder.empty() ? std::string(".") : folder, pattern)) return names;
  if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string name = Narrow(found.cFileName, wcslen(found.cFileName));
    const bool matches = HasExtension(name, extensions);
    if (matches) names.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  SortFileNames(names);
  return names;
}

int ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  std::wstring pattern;
  if (!Widen(folder.empty() ? std::string(".") : folder, pattern)) return EINVAL;
  if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND ? 0 : ErrnoOf(error);
  }
  do {
    const std::string name = Narrow(found.cFileName, wcslen(found.cFileName));
    if (name == "." || name == "..") continue;
    entries.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return 0;
}

std::FILE* OpenFile(const std::string& fileName, const char* mode) {
  std::wstring wide, wideMode;
  if (!Widen(fileName, wide) || !Widen(mode, wideMode)) {
    errno = EINVAL;
    return nullptr;
  }
  return _wfopen(wide.c_str(), wideMode.c_str());
}

std::filesystem::path FsPath(const std::string& fileName) {
  std::wstring wide;
  // A name that is not UTF-8 names no file; U+FFFD keeps it from naming another.
  if (!Widen(fileName, wide)) wide = L"\uFFFD";
  return std::filesystem::path(wide);
}

// msvcrt's fopen ignores "x"; _O_EXCL is the exclusive create.
std::FILE* CreateFileExclusive(const std::string& fileName) {
  std::wstring wide;
  if (!Widen(fileName, wide)) {
    errno = EINVAL;
    return nullptr;
  }
  if (NameTooLong(wide)) {
    errno = ENAMETOOLONG;
    return nullptr;
  }
  int fd = -1;
  const errno_t error = _wsopen_s(&fd, wide.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _SH_DENYNO,
                                  _S_IREAD | _S_IWRITE);
  if (error != 0 || fd < 0) {
    errno = error != 0 ? error : EIO;
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, "wb");
  if (!file) {
    const int saved = errno;
    _close(fd);
    _wremove(wide.c_str());
    errno = saved;
  }
  return file;
}

int SyncFile(std::FILE* file) {
  if (std::fflush(file) != 0) return errno ? errno : EIO;
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (handle == INVALID_HANDLE_VALUE) return EBADF;
  return FlushFileBuffers(handle) ? 0 : ErrnoOf(GetLastError());
}

int RenameReplacing(const std::string& from, const std::string& to) {
  std::wstring wideFrom, wideTo;
  if (!Widen(from, wideFrom) || !Widen(to, wideTo)) return EINVAL;
  if (NameTooLong(wideTo)) return ENAMETOOLONG;
  if (MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
  return ErrnoOf(GetLastError());
}

int SyncFolder(const std::string&) { return 0; }

// One character at a time: a lead byte with its trail, else one byte; a
// sequence Windows refuses costs one byte and becomes U+FFFD.
std::string DecodeCp932(const std::string& bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size();) {
    const size_t n = IsCp932LeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size() ? 2 : 1;
    wchar_t wide[2];
    const int got = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data() + i, static_cast<int>(n), wide, 2);
    if (got > 0) {
      out += Narrow(wide, static_cast<size_t>(got));
      i += n;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  return out;
}

bool EncodeCp932(const std::string& utf8, std::string& out) {
  out.clear();
  std::wstring wide;
  if (!Widen(utf8, wide)) return false;
  if (wide.empty()) return true;
  const int size = static_cast<int>(wide.size());
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return false;
  out.resize(static_cast<size_t>(n));
  WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data(), n, nullptr, &usedDefault);
  if (usedDefault) out.clear();
  return !usedDefault;
}

}  // namespace quelo::platform
