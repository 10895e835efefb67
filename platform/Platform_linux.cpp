// The Linux half of the platform seam: /proc/self/exe, stat, directory listing,
// fsync and rename for durable replacement, and glibc's iconv for code page 932.
#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/Platform.h"
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

std::string FolderOf(const std::string& path) {
  const auto pos = path.find_last_of("/\\");
  if (pos == std::string::npos) return std::string(1, kPathSeparator);
  return path.substr(0, pos + 1);
}

std::string LowerAscii(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return s;
}

// Converts with iconv; returns false on an invalid or unconvertible sequence
// unless replaceInvalid is set, in which case each bad byte becomes U+FFFD.
bool Convert(const char* to, const char* from, const std::string& in, std::string& out,
             bool replaceInvalid) {
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
      if (!replaceInvalid) {
        ok = false;
        break;
      }
      out += "\xEF\xBF\xBD";
      ++src;
      --srcLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return ok;
}

}  // namespace

void OverrideExecutablePath(const std::string& fullPath) { ExecutableOverride() = fullPath; }

std::string ExeFileName() {
  if (!ExecutableOverride().empty()) return ExecutableOverride();
  static const std::string real = RealExecutablePath();
  return real;
}

std::string AppPath() { return FolderOf(ExeFileName()); }

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

std::vector<std::string> ListFilesWithExtensions(const std::string& folder,
                                                 const std::vector<std::string>& extensions) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return names;
  std::vector<std::string> suffixes;
  for (const std::string& extension : extensions) suffixes.push_back("." + LowerAscii(extension));
  auto matches = [&](const std::string& name) {
    return std::any_of(suffixes.begin(), suffixes.end(), [&](const std::string& suffix) {
      return name.size() >= suffix.size() && LowerAscii(name.substr(name.size() - suffix.size())) == suffix;
    });
  };
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (!matches(name)) continue;
    std::string full = folder;
    if (!full.empty() && full.back() != '/') full += '/';
    struct stat st {};
    if (stat((full + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const std::string la = LowerAscii(a), lb = LowerAscii(b);
    return la != lb ? la < lb : a < b;
  });
  return names;
}

std::vector<std::string> ListFilesWithExtension(const std::string& folder, const std::string& extension) {
  return ListFilesWithExtensions(folder, {extension});
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
// EINVAL or ENOTSUP; there the data is as safe as the file system makes it.
bool NothingToSync(int e) { return e == EINVAL || e == ENOTSUP; }
}  // namespace

int SyncFile(std::FILE* file) {
  errno = 0;
  if (std::fflush(file) != 0) return errno ? errno : EIO;
  if (fsync(fileno(file)) != 0 && !NothingToSync(errno)) return errno;
  return 0;
}

int RenameReplacing(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int SyncFolder(const std::string& folder) {
  const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  int result = 0;
  if (fsync(fd) != 0 && !NothingToSync(errno)) result = errno;
  close(fd);
  return result;
}

std::string DecodeCp932(const std::string& bytes) {
  std::string out;
  if (!Convert("UTF-8", "CP932", bytes, out, true)) {
    // No converter at all: keep ASCII, mark the rest.
    out.clear();
    for (unsigned char c : bytes) out += c < 0x80 ? std::string(1, static_cast<char>(c)) : "\xEF\xBF\xBD";
  }
  return out;
}

bool EncodeCp932(const std::string& utf8, std::string& out) {
  return Convert("CP932", "UTF-8", utf8, out, false);
}

}  // namespace quelo::platform
