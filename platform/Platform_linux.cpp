// The Linux half of the platform seam: /proc/self/exe, stat, directory listing,
// file names as they are (UTF-8), and glibc's iconv for code page 932, patched
// to answer as Windows' own table does.
#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/Console.h"
#include "platform/Platform.h"
#include "platform/PlatformNative.h"
#include "platform/QueloError.h"

namespace quelo::platform {

namespace {

std::string& ExecutableOverride() {
  static std::string path;
  return path;
}

std::string RealExecutablePath() {
  std::string buffer(PATH_MAX, '\0');
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n <= 0) return {};
  buffer.resize(static_cast<size_t>(n));
  return buffer;
}


// Converts with iconv; false on an invalid or unconvertible sequence.
bool Convert(const char* to, const char* from, const std::string& in, std::string& out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.clear();
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char buffer[1024];
  bool ok = true;
  while (srcLeft > 0) {
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer, static_cast<size_t>(dst - buffer));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      ok = false;
      break;
    }
  }
  iconv_close(cd);
  return ok;
}

}  // namespace

// No desktop-wide colour scheme to ask without a display: the classic values.
uint32_t NativeSysColor(int, uint32_t fallback) { return fallback; }

void UseUtf8Console() {}

void OverrideExecutablePath(const std::string& fullPath) { ExecutableOverride() = fullPath; }

std::string ExeFileName() {
  if (!ExecutableOverride().empty()) return ExecutableOverride();
  static const std::string real = RealExecutablePath();
  return real;
}

void UseParentConsole() {}

std::string AppPath() { return FolderOf(ExeFileName()); }

const char* FixedPitchJapaneseFont() { return "Noto Sans Mono CJK JP"; }

int64_t FileLength(const std::string& fileName) {
  const std::string source = "FileLen";
  if (fileName.empty()) throw QueloError::Make(err::kBadFileNameOrNumber, source);
  struct stat st {};
  if (stat(fileName.c_str(), &st) != 0) {
    if (errno == ENOENT) throw QueloError::Make(err::kFileNotFound, source);
    throw QueloError::FromErrno(errno, source);
  }
  if (S_ISDIR(st.st_mode)) throw QueloError::Make(err::kBadFileNameOrNumber, source);
  return static_cast<int64_t>(st.st_size);
}

std::vector<std::string> ListFilesWithExtensions(const std::string& folder, const std::vector<std::string>& extensions) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    const bool matches = HasExtension(name, extensions);
    if (!matches) continue;
    std::string full = folder;
    if (!full.empty() && full.back() != '/') full += '/';
    struct stat st {};
    if (stat((full + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    names.push_back(name);
  }
  closedir(dir);
  SortFileNames(names);
  return names;
}

int ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return errno;
  errno = 0;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    std::string full = folder.empty() ? std::string(".") : folder;
    if (full.back() != '/') full += '/';
    struct stat st {};
    entries.push_back({name, stat((full + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode)});
    errno = 0;
  }
  const int error = errno;
  closedir(dir);
  return error;
}

std::FILE* OpenFile(const std::string& fileName, const char* mode) { return std::fopen(fileName.c_str(), mode); }

std::filesystem::path FsPath(const std::string& fileName) { return std::filesystem::path(fileName); }

std::FILE* CreateFileExclusive(const std::string& fileName) {
  // A folder without its owner's write bit is read-only for everyone: root
  // could create files there, but the user marked it not to be written.
  const auto slash = fileName.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : fileName.substr(0, slash);
  struct stat st {};
  if (stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_IWUSR) == 0) {
    errno = EACCES;
    return nullptr;
  }
  return std::fopen(fileName.c_str(), "wbx");
}

namespace {
// File systems that keep nothing to sync (some network and FUSE ones) answer
// EINVAL or ENOTSUP for their files and folders; there the data is as safe as
// the file system makes it. The same answers for a pipe, a device or a folder
// of the kernel's own file systems mean nothing could be stored: a failure.
bool NothingToSync(int fd, int e) {
  if (e != EINVAL && e != ENOTSUP) return false;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))) return false;
  struct statfs fs {};
  if (fstatfs(fd, &fs) != 0) return false;
  switch (static_cast<unsigned long>(fs.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEBUGFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case DEVPTS_SUPER_MAGIC:
      return false;
    default:
      return true;
  }
}
}  // namespace

int SyncFile(std::FILE* file) {
  errno = 0;
  if (std::fflush(file) != 0) return errno ? errno : EIO;
  const int fd = fileno(file);
  if (fsync(fd) != 0) {
    const int e = errno;
    if (!NothingToSync(fd, e)) return e;
  }
  return 0;
}

int RenameReplacing(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int SyncFolder(const std::string& folder) {
  const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  int result = 0;
  if (fsync(fd) != 0) {
    const int e = errno;
    if (!NothingToSync(fd, e)) result = e;
  }
  close(fd);
  return result;
}

// Where glibc's code page 932 and Windows' differ, Windows' answer counts: packs
// are read by Windows programs. Windows decodes byte 0x80 as U+0080 and encodes
// U+0080 and U+F8F0..U+F8F3 (the single bytes 0x80, 0xA0, 0xFD..0xFF); it
// refuses the characters glibc maps onto look-alikes (U+00A5 onto "\\", U+301C
// onto U+FF5E's bytes, ...), which would not come back as written.
std::string DecodeCp932(const std::string& bytes) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  std::string out;
  char buffer[8];
  // One character at a time, as the Windows half does: a lead byte with its
  // trail, else one byte; a sequence that fails costs one byte.
  for (size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b == 0x80) {
      out += "\xC2\x80";
      ++i;
      continue;
    }
    const size_t n = IsCp932LeadByte(b) && i + 1 < bytes.size() ? 2 : 1;
    char* src = const_cast<char*>(bytes.data() + i);
    size_t srcLeft = n;
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    if (cd != reinterpret_cast<iconv_t>(-1) && iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1) &&
        srcLeft == 0) {
      out.append(buffer, static_cast<size_t>(dst - buffer));
      i += n;
    } else {
      if (cd != reinterpret_cast<iconv_t>(-1)) iconv(cd, nullptr, nullptr, nullptr, nullptr);
      out += b < 0x80 && cd == reinterpret_cast<iconv_t>(-1) ? std::string(1, static_cast<char>(b)) : "\xEF\xBF\xBD";
      ++i;
    }
  }
  if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  return out;
}

bool EncodeCp932(const std::string& utf8, std::string& out) {
  out.clear();
  std::string run;
  auto flush = [&out, &run] {
    std::string piece;
    if (!Convert("CP932", "UTF-8", run, piece)) return false;
    out += piece;
    run.clear();
    return true;
  };
  for (size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    const size_t n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
    if (n == 1 || i + n > utf8.size()) {
      run += utf8.substr(i, n);  // plain ASCII, or a cut-short sequence iconv refuses
      i += n;
      continue;
    }
    uint32_t cp = b & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    switch (cp) {
      case 0x00A2: case 0x00A3: case 0x00A5: case 0x00AC: case 0x2014:
      case 0x2016: case 0x203E: case 0x2212: case 0x301C:
        return false;
      default: break;
    }
    const bool valid = std::all_of(utf8.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                   utf8.begin() + static_cast<std::ptrdiff_t>(i + n),
                                   [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; });
    static const char kSingle[] = {'\x80', '\xA0', '\xFD', '\xFE', '\xFF'};
    const int single = !valid || n == 4 ? -1 : cp == 0x80 ? 0 : cp >= 0xF8F0 && cp <= 0xF8F3 ? int(cp - 0xF8F0 + 1) : -1;
    if (single >= 0) {
      if (!flush()) return false;
      out += kSingle[single];
    } else {
      run += utf8.substr(i, n);
    }
    i += n;
  }
  return flush();
}

}  // namespace quelo::platform
