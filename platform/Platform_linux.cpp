// The Linux half of the platform seam: /proc/self/exe, stat, directory listing
// and glibc's iconv for code page 932.
#include <dirent.h>
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
