#include "tools/PackTool.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <climits>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <utility>

#include "archive/PackWriters.h"
#include "archive/clsExePlusFiles.h"
#include "image/IconScale.h"
#include "image/PsdWriter.h"
#include "image/clsImage.h"
#include "platform/Platform.h"
#include "platform/QueloError.h"
#include "tools/MemberNames.h"
#include "tools/EnglishTexts.h"
#include "tools/PackSource.h"

namespace quelo::tools {

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage: quelo-pack EXE FOLDER DEFINITION.txt -o OUT [--size N]\n"
    "                                                     build a pack executable; --size N stores every\n"
    "                                                     image at N x N (N 1 to 256), SVG and icons of\n"
    "                                                     several images included\n"
    "       quelo-pack --list PACK                        list the members of a pack\n"
    "       quelo-pack --extract PACK FOLDER              write the members of a pack to FOLDER\n"
    "       quelo-pack --version                          print the version\n"
    "options: --quiet (-q) prints nothing but errors; --help (-h, /?) prints this text\n";

// Where device names (NUL, CON, ...) stand for devices in every folder.
constexpr bool kDeviceNames = platform::kPathSeparator == '\\';

constexpr const char* kDefinitionName = "!quelo.ini";
constexpr int kMaxMembers = 32767;  // member indices are 16-bit signed

// Message boxes of the decoders become lines on the error stream; the count
// tells the caller that a decoder refused its input.
class ToolDialogs final : public platform::IDialogs {
 public:
  explicit ToolDialogs(std::ostream& err) : err_(err) { platform::SetDialogs(this); }
  ~ToolDialogs() override { platform::SetDialogs(nullptr); }
  ToolDialogs(const ToolDialogs&) = delete;
  ToolDialogs& operator=(const ToolDialogs&) = delete;

  platform::MsgResult MessageBox(const platform::MessageBoxRequest& request) override {
    std::string text = request.text;
    // The decoders put the image's name on a line of its own; the line names it already.
    const size_t last = text.rfind("\r\n");
    if (last != std::string::npos && !subject_.empty() && text.compare(last + 2, std::string::npos, subject_) == 0)
      text.erase(last);
    for (size_t p; (p = text.find("\r\n")) != std::string::npos;) text.replace(p, 2, " ");
    ++count_;
    if (collect_) {
      reasons_ += (reasons_.empty() ? "" : "; ") + text;
    } else {
      err_ << "quelo-pack: " << subject_ << ": " << text << '\n';
    }
    return request.defaultButton;
  }
  platform::SaveDialogResult SaveFileDialog(const platform::SaveDialogRequest&) override { return {}; }
  bool ColorDialog(uint32_t&) override { return false; }

  void SetSubject(const std::string& subject) { subject_ = subject; }
  int Count() const { return count_; }
  // From now on messages are kept, to be told with the line that names the
  // refused file, rather than written one by one.
  void Collect() { collect_ = true; }
  // The messages kept since the last call.
  std::string TakeReasons() { return std::exchange(reasons_, std::string()); }

 private:
  std::ostream& err_;
  std::string subject_;
  int count_ = 0;
  bool collect_ = false;
  std::string reasons_;
};

std::string ErrnoText(int e) { return QueloError::FromErrno(e, "").Description(); }

int Refuse(std::ostream& err, const std::string& message) {
  err << "quelo-pack: " << message << '\n';
  return kExitRefused;
}

// The image type of a name by its extension ("psd", "png", "ico", "icon"), or empty.
std::string ImageType(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return {};
  const std::string ext = LowerAscii(name.substr(dot + 1));
  return ext == "psd" || ext == "png" || ext == "ico" || ext == "icon" || ext == "svg" || ext == "svgz"
             ? ext
             : std::string();
}

// Why an image has no size of its own that a pack can hold (an SVG document,
// an icon of several images), or empty.
std::string NeedsSize(const std::string& type, const std::vector<uint8_t>& bytes) {
  if (type == "svg" || type == "svgz") return "an SVG document has no pixel size a pack can store";
  if ((type == "ico" || type == "icon") && bytes.size() >= 6 && (bytes[4] | bytes[5] << 8) > 1)
    return "the icon holds " + std::to_string(bytes[4] | bytes[5] << 8) + " images";
  return {};
}

// True for an image that quelo reads only since it reads PNG data: a PNG
// file, or an icon whose image (right behind its 22-byte directory) is PNG.
bool NeedsConverting(const std::string& type, const std::vector<uint8_t>& bytes) {
  static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (type == "png") return true;
  return type != "psd" && bytes.size() >= 30 && std::equal(kPng, kPng + 8, bytes.begin() + 22);
}

// "icon.png" -> "icon.psd"
std::string PsdName(const std::string& name) { return name.substr(0, name.rfind('.')) + ".psd"; }

// The name without the dots and spaces at its end, as Windows opens it.
std::string WithoutTrailing(std::string name) {
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  return name;
}

// The first part of a path that names a device on this system ("NUL" in
// "out\\NUL"), or empty. Such a path reaches no file at all.
std::string DeviceInPath(const std::string& path) {
  if (!kDeviceNames) return {};
  for (size_t begin = 0; begin <= path.size();) {
    size_t end = path.find_first_of("/\\", begin);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(begin, end - begin);
    const std::string device = part.empty() || part.back() == ':' ? std::string() : WindowsDeviceName(part);
    if (!device.empty()) return device;
    begin = end + 1;
  }
  return {};
}

// True when both names lead to the same file (links and hard links included).
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  const fs::path pa = platform::FsPath(a), pb = platform::FsPath(b);
  if (fs::exists(pa, ec) && fs::exists(pb, ec)) return fs::equivalent(pa, pb, ec);
  return false;
}

bool ReadRange(const std::string& fileName, uint64_t start, uint64_t size, std::vector<uint8_t>& bytes) {
  std::ifstream in(platform::FsPath(fileName), std::ios::binary);
  if (!in) return false;
  bytes.resize(size);
  in.seekg(static_cast<std::streamoff>(start));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
  return static_cast<uint64_t>(in.gcount()) == size;
}

struct Member {
  std::string Name;
  int32_t Position = 0;
  int32_t Size = 0;
};

// Opens an existing pack and reads its directory; kExitOk or the status of a refusal.
int ReadDirectory(const std::string& pack, std::vector<Member>& members, uint64_t& length, std::ostream& err) {
  std::error_code ec;
  if (fs::is_directory(platform::FsPath(pack), ec)) return Refuse(err, pack + " is a folder, not a pack");
  if (const std::string device = DeviceInPath(pack); !device.empty())
    return Refuse(err, pack + ": " + device + " is a device name on Windows");
  if (!fs::is_regular_file(platform::FsPath(pack), ec)) return Refuse(err, pack + ": no such file");
  length = fs::file_size(platform::FsPath(pack), ec);
  try {
    clsExePlusFiles archive;
    if (archive.GetOriginalFileSize(pack) < 0)
      return Refuse(err, pack + ": neither a PE nor an ELF program, so it can carry no pack");
    if (!archive.OpenExe(pack)) return Refuse(err, pack + ": carries no pack");
    const int32_t count = std::min(archive.FileCount(), kMaxMembers + 1);
    if (archive.FileCount() > count)
      err << "quelo-pack: " << pack << ": " << archive.FileCount() << " members; only the first " << count
          << " can be addressed\n";
    for (int32_t i = 0; i < count; ++i) {
      const auto index = static_cast<int16_t>(i);
      members.push_back({archive.FileName(index), archive.FileOffset(index), archive.FileSize(index)});
    }
  } catch (const QueloError& e) {
    return Refuse(err, pack + ": " + e.Description());
  }
  return kExitOk;
}

bool InsideFile(const Member& m, uint64_t length) {
  return m.Position >= 1 && m.Size >= 0 && static_cast<uint64_t>(m.Position) - 1 + m.Size <= length;
}

// What a member holds as quelo reads it: "PSD 48x48 RGBA", "definition", or
// "-" for what it shows no image of.
std::string StoredAs(const std::string& pack, const Member& m, uint64_t length, ToolDialogs& dialogs) {
  if (m.Name == kDefinitionName) return "definition";
  const std::string type = ImageType(m.Name);
  if (type.empty() || !InsideFile(m, length)) return "-";
  dialogs.SetSubject(m.Name);
  clsImage image;
  if (!image.LoadFile(pack, type, m.Position) || !image.HasPixels()) return "-";
  return image.SourceType() + " " + std::to_string(image.Width()) + "x" + std::to_string(image.Height()) +
         (image.BitCount() == 4 ? " RGBA" : " RGB");
}

}  // namespace

int BuildPack(const std::string& exe, const std::string& folder, const std::string& definition,
              const std::string& outFile, std::ostream& out, std::ostream& err, int32_t iconSize) {
  std::error_code ec;
  const auto P = platform::FsPath;
  if (!fs::exists(P(exe), ec)) return Refuse(err, "the program " + exe + " does not exist");
  if (!fs::is_regular_file(P(exe), ec)) return Refuse(err, "the program " + exe + " is not a file");
  if (!fs::exists(P(folder), ec)) return Refuse(err, "the folder " + folder + " does not exist");
  if (!fs::is_directory(P(folder), ec)) return Refuse(err, folder + " is not a folder");
  if (!fs::exists(P(definition), ec)) return Refuse(err, "the definition " + definition + " does not exist");
  if (!fs::is_regular_file(P(definition), ec)) return Refuse(err, "the definition " + definition + " is not a file");

  // The output must be a new name: never one of the inputs.
  if (const std::string device = DeviceInPath(outFile); !device.empty())
    return Refuse(err, "the output " + outFile + " is no file: " + device + " is a device name on Windows");
  if (fs::is_directory(P(outFile), ec)) return Refuse(err, "the output " + outFile + " is a folder");
  const fs::path outParent = P(outFile).parent_path();
  if (!outParent.empty() && !fs::is_directory(outParent, ec))
    return Refuse(err, "the folder of the output " + outFile + " does not exist");
  if (SameFile(outFile, exe)) return Refuse(err, "the output " + outFile + " is the program " + exe + " itself");
  if (SameFile(outFile, definition))
    return Refuse(err, "the output " + outFile + " is the definition " + definition + " itself");

  PackSource source;
  try {
    source = LoadPackSource(definition);
  } catch (const PackSourceError& e) {
    return Refuse(err, e.what());
  }

  try {
    clsExePlusFiles probe;
    if (probe.GetOriginalFileSize(exe) < 0)
      return Refuse(err, "the program " + exe + " is neither a PE nor an ELF program");
    if (probe.OpenExe(exe))
      out << "note: " << exe << " already carries a pack of " << probe.FileCount()
          << " members; the new pack replaces it\n";
  } catch (const QueloError& e) {
    return Refuse(err, exe + ": " + e.Description());
  }

  // The images of the folder. A name that could not be a file on Windows (or
  // Linux) is refused before its file is looked at: Windows would take
  // "CON.png" for the console and "a:b.png" for a stream, and drop it unseen.
  std::set<std::string> inFolder;
  std::vector<platform::FolderEntry> entries;
  if (const int e = platform::ListFolder(folder, entries); e != 0)
    return Refuse(err, "cannot list the folder " + folder + ": " + ErrnoText(e));
  std::sort(entries.begin(), entries.end(),
            [](const platform::FolderEntry& a, const platform::FolderEntry& b) { return a.name < b.name; });
  int badNames = 0;
  for (const platform::FolderEntry& entry : entries) {
    const std::string& name = entry.name;
    if (entry.folder || ImageType(WithoutTrailing(name)).empty()) continue;
    if (const std::string problem = MemberNameProblem(name); !problem.empty()) {
      err << "quelo-pack: " << folder << ": the file name \"" << ShownName(name) << "\" can't be stored: " << problem
          << '\n';
      ++badNames;
      continue;
    }
    if (fs::is_regular_file(P(folder) / P(name), ec)) inFolder.insert(name);
  }
  if (badNames > 0)
    return Refuse(err, std::to_string(badNames) + " file name(s) would not make files on Windows; nothing was written");

  // Members: the defined images in section order, then the rest alphabetically.
  std::vector<std::string> order;
  std::set<std::string> defined;
  const auto& files = source.Definition.Files;
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string where = definition + ":" + std::to_string(source.FileLines[i]) + ": ";
    if (ImageType(files[i].FileName).empty())
      return Refuse(err, where + files[i].FileName + " is not a PSD, PNG or ICO file");
    if (!inFolder.count(files[i].FileName))
      return Refuse(err, where + "the folder " + folder + " has no file " + files[i].FileName);
    order.push_back(files[i].FileName);
    defined.insert(files[i].FileName);
  }
  std::vector<std::string> rest;
  for (const std::string& name : inFolder)
    if (!defined.count(name)) rest.push_back(name);
  std::sort(rest.begin(), rest.end(),
            [](const std::string& a, const std::string& b) { return LowerAscii(a) < LowerAscii(b); });
  for (const std::string& name : rest) {
    const std::string problem = Cp932Problem(name);
    if (!problem.empty()) return Refuse(err, folder + ": the file name " + name + " can't be stored: " + problem);
    order.push_back(name);
  }
  if (order.empty()) return Refuse(err, "the folder " + folder + " holds no PSD, PNG or ICO file");
  if (order.size() + 1 > static_cast<size_t>(kMaxMembers))
    return Refuse(err, std::to_string(order.size() + 1) + " members (the definition and " +
                           std::to_string(order.size()) + " images): a pack holds at most " +
                           std::to_string(kMaxMembers));

  // Read and decode every image; report all that fail before giving up.
  std::vector<PackMember> members;
  members.reserve(order.size() + 1);
  members.push_back({kDefinitionName, {}, 0});
  ToolDialogs dialogs(err);
  dialogs.Collect();
  int undecodable = 0;
  // Member names as a case-insensitive file system that drops trailing dots
  // and spaces files them, each with the image it comes from.
  std::map<std::string, std::pair<std::string, std::string>> sources{
      {FoldedName(kDefinitionName), {kDefinitionName, kDefinitionName}}};
  std::vector<std::string> notes;
  for (const std::string& name : order) {
    const std::string path = (P(folder) / P(name)).u8string();
    if (SameFile(outFile, path)) return Refuse(err, "the output " + outFile + " is the image " + path + " itself");
    const uint64_t size = fs::file_size(P(path), ec);
    std::vector<uint8_t> bytes;
    if (ec || size > INT32_MAX || !ReadRange(path, 0, size, bytes)) return Refuse(err, "cannot read " + path);
    dialogs.SetSubject(path);
    int shown = dialogs.Count();
    const std::string needsSize = NeedsSize(ImageType(name), bytes);
    if (iconSize <= 0 && !needsSize.empty()) {
      err << "quelo-pack: " << path << ": " << needsSize << "; give --size N to store it at N x N pixels\n";
      ++undecodable;
      continue;
    }
    auto image = std::make_unique<clsImage>();
    bool loaded = needsSize.empty() && image->LoadByteArray(bytes, ImageType(name));
    // With --size, an image is stored as it lies only when the pack reader
    // takes it and it is already at that size; anything else is decoded the
    // way a folder is shown (any icon entry, SVG) and stored as a PSD.
    bool resized = false;
    if (iconSize > 0) {
      int32_t w = 0, h = 0;
      if (loaded && dialogs.Count() == shown && image->HasPixels())
        FitIconSize(image->Width(), image->Height(), iconSize, w, h);
      if (!loaded || dialogs.Count() != shown || !image->HasPixels() || w != image->Width() || h != image->Height()) {
        dialogs.TakeReasons();  // the first reading's complaints: the second reading's replace them
        image = std::make_unique<clsImage>();
        image->SetFolderInputs(true);
        image->SetIconSize(iconSize);
        shown = dialogs.Count();
        loaded = image->LoadByteArray(bytes, ImageType(name));
        resized = true;
      }
    }
    const std::string reasons = dialogs.TakeReasons();
    if (!loaded || dialogs.Count() != shown || image->Width() <= 0 || image->Height() <= 0 ||
        (image->BitCount() != 3 && image->BitCount() != 4)) {
      err << "quelo-pack: cannot decode " << path << " as a " << ImageType(name) << " image"
          << (reasons.empty() ? std::string(" (damaged or cut short)") : ": " + reasons) << '\n';
      ++undecodable;
      continue;
    }
    // What quelo's pack reader takes as it lies is stored byte for byte; PNG
    // data becomes an RGBA PSD with the same pixels. One note per image at most.
    std::string member = name, note;
    if (resized || NeedsConverting(ImageType(name), bytes)) {
      member = PsdName(name);
      bytes = EncodePsd(image->Width(), image->Height(), image->BitCount(), image->Pixels());
      note = "note: " + name + " -> " + member + " (PSD, PackBits" +
             (resized ? ", " + std::to_string(image->Width()) + "x" + std::to_string(image->Height()) : "") + ")";
      for (PackDefinition::File& file : source.Definition.Files)
        if (file.FileName == name) file.FileName = member;
    }
    if (!defined.count(name))
      note = note.empty() ? "note: " + name + " has no [file] section; it follows the defined images"
                          : note + "; no [file] section, it follows the defined images";
    if (!note.empty()) notes.push_back(note);
    const auto [at, fresh] = sources.emplace(FoldedName(member), std::make_pair(name, member));
    if (!fresh) {
      const auto& [other, otherMember] = at->second;
      if (otherMember == member)
        return Refuse(err, folder + ": two images would be stored as " + member + " (" + other + " and " + name + ")");
      return Refuse(err, folder + ": " + other + " and " + name + " would be stored as " + otherMember + " and " + member +
                             ", one file where case does not count or a trailing dot or space is dropped (Windows)");
    }
    members.push_back({member, std::move(bytes), 0});
  }
  if (undecodable > 0)
    return Refuse(err, std::to_string(undecodable) + " image(s) could not be decoded; nothing was written");
  for (const std::string& note : notes) out << note << '\n';

  try {
    members[0].Data = SerializeDefinition(source.Definition);
    WritePackExecutable(exe, members, outFile);
  } catch (const QueloError& e) {
    return Refuse(err, outFile + ": " + e.Description());
  }
  out << "wrote " << outFile << ": " << kDefinitionName << " and " << (members.size() - 1) << " images, "
      << fs::file_size(P(outFile), ec) << " bytes\n";
  return kExitOk;
}

int ListPack(const std::string& pack, std::ostream& out, std::ostream& err) {
  std::vector<Member> members;
  uint64_t length = 0;
  if (const int status = ReadDirectory(pack, members, length, err); status != kExitOk) return status;
  out << "index\tname\tposition\tsize\tstored\n";
  ToolDialogs dialogs(err);
  int outside = 0;
  for (size_t i = 0; i < members.size(); ++i) {
    const Member& m = members[i];
    // A control character in a name (a tab, a line break) would break the columns.
    out << i << '\t' << ShownName(m.Name) << '\t' << m.Position << '\t' << m.Size << '\t' << StoredAs(pack, m, length, dialogs)
        << '\n';
    if (!InsideFile(m, length)) ++outside;
  }
  if (outside > 0)
    return Refuse(err, pack + ": " + std::to_string(outside) + " member(s) lie beyond the end of the file");
  return kExitOk;
}

namespace {

// Creates the file, failing when a file of that name exists (even one that
// appeared a moment ago), and writes the bytes. 0 or an errno value; created
// tells whether the file is this call's (to be removed again after a failure).
int WriteNewFile(const std::string& path, const std::vector<uint8_t>& bytes, bool& created) {
  errno = 0;
  std::FILE* file = platform::CreateFileExclusive(path);
  created = file != nullptr;
  if (!file) return errno ? errno : EIO;
  int error = 0;
  const size_t allowed = platform::TakeWriteAllowance(bytes.size());
  errno = 0;
  if (allowed > 0 && std::fwrite(bytes.data(), 1, allowed, file) != allowed) error = errno ? errno : EIO;
  if (!error && allowed < bytes.size()) error = ENOSPC;
  if (!error) error = platform::SyncFile(file);
  errno = 0;
  if (std::fclose(file) != 0 && !error) error = errno ? errno : EIO;
  return error;
}

}  // namespace

int ExtractPack(const std::string& pack, const std::string& folder, std::ostream& out, std::ostream& err) {
  std::vector<Member> members;
  uint64_t length = 0;
  if (const int status = ReadDirectory(pack, members, length, err); status != kExitOk) return status;

  // Everything is checked before the first file is written. Every member must
  // be a file of its own on Windows and on Linux, whichever extracts it.
  std::map<std::string, std::string> folded;
  for (const Member& m : members) {
    if (const std::string problem = MemberNameProblem(m.Name); !problem.empty())
      return Refuse(err, pack + ": the member name \"" + ShownName(m.Name) + "\" is not a plain file name: " + problem);
    const auto [at, fresh] = folded.emplace(FoldedName(m.Name), m.Name);
    if (!fresh && at->second == m.Name) return Refuse(err, pack + ": two members are named " + m.Name);
    if (!fresh)
      return Refuse(err, pack + ": the members " + at->second + " and " + m.Name +
                             " would be one file where case does not count or a trailing dot or space is dropped "
                             "(Windows)");
    if (!InsideFile(m, length)) return Refuse(err, pack + ": the member " + m.Name + " lies beyond the end of the file");
  }
  std::error_code ec;
  const auto P = platform::FsPath;
  if (const std::string device = DeviceInPath(folder); !device.empty())
    return Refuse(err, "the folder " + folder + " can't be made: " + device + " is a device name on Windows");
  if (fs::exists(P(folder), ec) && !fs::is_directory(P(folder), ec)) return Refuse(err, folder + " is not a folder");
  for (const Member& m : members)
    if (fs::exists(P(folder) / P(m.Name), ec))
      return Refuse(err, (P(folder) / P(m.Name)).u8string() + " exists already; extract into an empty folder");

  // The folders made here, deepest first, to be removed again after a failure.
  std::vector<fs::path> madeFolders;
  for (fs::path f = P(folder); !f.empty() && !fs::exists(f, ec); f = f.parent_path()) {
    madeFolders.push_back(f);
    if (f == f.parent_path()) break;
  }
  fs::create_directories(P(folder), ec);
  if (!fs::is_directory(P(folder), ec)) {
    for (const fs::path& f : madeFolders) fs::remove(f, ec);
    return Refuse(err, "cannot create the folder " + folder);
  }

  std::vector<std::string> written;
  const auto fail = [&](const std::string& what) {
    // What this run wrote goes again, so the folder is as it was.
    std::vector<std::string> left;
    for (const std::string& path : written)
      if (!fs::remove(P(path), ec) && fs::exists(P(path), ec)) left.push_back(path);
    if (left.empty())
      for (const fs::path& f : madeFolders) fs::remove(f, ec);
    std::string tail = left.empty() ? "; what this run wrote was removed again, nothing of it is left"
                                    : "; these files of this run could not be removed:";
    for (const std::string& path : left) tail += " " + path;
    return Refuse(err, what + tail);
  };
  for (const Member& m : members) {
    const std::string path = (P(folder) / P(m.Name)).u8string();
    std::vector<uint8_t> bytes;
    if (!ReadRange(pack, static_cast<uint64_t>(m.Position) - 1, static_cast<uint64_t>(m.Size), bytes))
      return fail("cannot read the member " + m.Name + " from " + pack);
    bool created = false;
    if (const int e = WriteNewFile(path, bytes, created); e != 0) {
      if (created) written.push_back(path);  // a part of it is there
      return fail(path + ": " + (e == EEXIST ? std::string("a file of this name appeared meanwhile") : ErrnoText(e)));
    }
    written.push_back(path);
    out << path << '\t' << m.Size << '\n';
  }
  if (const int e = platform::SyncFolder((P(folder)).u8string()); e != 0) return fail(folder + ": " + ErrnoText(e));
  return kExitOk;
}

int RunPackTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const EnglishCoreTexts english;

  std::vector<std::string> rest;
  bool quiet = false;
  for (const std::string& a : args) {
    if (a == "--quiet" || a == "-q") quiet = true;
    else rest.push_back(a);
  }
  if (rest.size() == 1 && (rest[0] == "--help" || rest[0] == "-h" || rest[0] == "/?")) {
    out << kUsage;
    return kExitOk;
  }
  if (rest.size() == 1 && rest[0] == "--version") {
    out << "quelo-pack " << platform::VersionMajor() << '.' << platform::VersionMinor() << '.'
        << platform::VersionRevision() << '\n';
    return kExitOk;
  }
  std::ostream nowhere(nullptr);  // what --quiet leaves unsaid
  std::ostream& said = quiet ? nowhere : out;
  if (!rest.empty() && rest[0] == "--list") {
    if (rest.size() == 2) return ListPack(rest[1], out, err);
  } else if (!rest.empty() && rest[0] == "--extract") {
    if (rest.size() == 3) return ExtractPack(rest[1], rest[2], said, err);
  } else {
    std::vector<std::string> positional;
    std::string outFile;
    int32_t size = 0;
    for (size_t i = 0; i < rest.size(); ++i) {
      if (rest[i] == "-o" && i + 1 < rest.size() && outFile.empty()) {
        outFile = rest[++i];
      } else if (rest[i] == "--size" && i + 1 < rest.size() && size == 0) {
        const std::string& n = rest[++i];
        size = n.size() <= 3 && !n.empty() && n.find_first_not_of("0123456789") == std::string::npos ? std::stoi(n) : -1;
        if (size < 1 || size > 256) {
          err << "quelo-pack: --size takes a number of pixels from 1 to 256, not " << n << '\n';
          return kExitUsage;
        }
      } else if (rest[i].size() > 1 && rest[i][0] == '-' && rest[i] != "-o") {
        err << "quelo-pack: unknown option " << rest[i] << '\n' << kUsage;
        return kExitUsage;
      } else {
        positional.push_back(rest[i]);
      }
    }
    if (positional.size() == 3 && !outFile.empty())
      return BuildPack(positional[0], positional[1], positional[2], outFile, said, err, size);
  }
  err << kUsage;
  return kExitUsage;
}

}  // namespace quelo::tools
