#include "tools/PackTool.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>

#include "archive/PackWriters.h"
#include "archive/clsExePlusFiles.h"
#include "image/IconScale.h"
#include "image/PsdWriter.h"
#include "image/clsImage.h"
#include "platform/Platform.h"
#include "platform/QueloError.h"
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
    "       quelo-pack --extract PACK FOLDER              write the members of a pack to FOLDER\n";

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
    for (size_t p; (p = text.find("\r\n")) != std::string::npos;) text.replace(p, 2, " ");
    if (!quiet_) err_ << "quelo-pack: " << subject_ << ": " << text << '\n';
    ++count_;
    return request.defaultButton;
  }
  platform::SaveDialogResult SaveFileDialog(const platform::SaveDialogRequest&) override { return {}; }
  bool ColorDialog(uint32_t&) override { return false; }

  void SetSubject(const std::string& subject) { subject_ = subject; }
  int Count() const { return count_; }
  // While quiet, messages are counted but not written: a first reading that a
  // second one may replace.
  void SetQuiet(bool quiet) { quiet_ = quiet; }

 private:
  std::ostream& err_;
  std::string subject_;
  int count_ = 0;
  bool quiet_ = false;
};

int Refuse(std::ostream& err, const std::string& message) {
  err << "quelo-pack: " << message << '\n';
  return kExitRefused;
}

std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
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

  // The images of the folder.
  std::set<std::string> inFolder;
  try {
    for (const fs::directory_entry& entry : fs::directory_iterator(P(folder))) {
      const std::string name = entry.path().filename().u8string();
      if (!ImageType(name).empty() && entry.is_regular_file()) inFolder.insert(name);
    }
  } catch (const fs::filesystem_error& e) {
    return Refuse(err, "cannot list the folder " + folder + ": " + e.code().message());
  }

  // Members: the defined images in section order, then the rest alphabetically.
  std::vector<std::string> order;
  const auto& files = source.Definition.Files;
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string where = definition + ":" + std::to_string(source.FileLines[i]) + ": ";
    if (ImageType(files[i].FileName).empty())
      return Refuse(err, where + files[i].FileName + " is not a PSD, PNG or ICO file");
    if (!inFolder.count(files[i].FileName))
      return Refuse(err, where + "the folder " + folder + " has no file " + files[i].FileName);
    order.push_back(files[i].FileName);
  }
  std::vector<std::string> rest;
  for (const std::string& name : inFolder)
    if (std::find(order.begin(), order.end(), name) == order.end()) rest.push_back(name);
  std::sort(rest.begin(), rest.end(),
            [](const std::string& a, const std::string& b) { return LowerAscii(a) < LowerAscii(b); });
  for (const std::string& name : rest) {
    const std::string problem = Cp932Problem(name);
    if (!problem.empty()) return Refuse(err, folder + ": the file name " + name + " can't be stored: " + problem);
    out << "note: " << name << " has no [file] section; it follows the defined images\n";
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
  int undecodable = 0;
  std::set<std::string> memberNames;
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
    dialogs.SetQuiet(iconSize > 0);
    bool loaded = needsSize.empty() && image->LoadByteArray(bytes, ImageType(name));
    dialogs.SetQuiet(false);
    // With --size, an image is stored as it lies only when the pack reader
    // takes it and it is already at that size; anything else is decoded the
    // way a folder is shown (any icon entry, SVG) and stored as a PSD.
    bool resized = false;
    if (iconSize > 0) {
      int32_t w = 0, h = 0;
      if (loaded && dialogs.Count() == shown && image->HasPixels())
        FitIconSize(image->Width(), image->Height(), iconSize, w, h);
      if (!loaded || dialogs.Count() != shown || !image->HasPixels() || w != image->Width() || h != image->Height()) {
        image = std::make_unique<clsImage>();
        image->SetFolderInputs(true);
        image->SetIconSize(iconSize);
        shown = dialogs.Count();
        loaded = image->LoadByteArray(bytes, ImageType(name));
        resized = true;
      }
    }
    if (!loaded || dialogs.Count() != shown || image->Width() <= 0 || image->Height() <= 0 ||
        (image->BitCount() != 3 && image->BitCount() != 4)) {
      err << "quelo-pack: cannot decode " << path << " as a " << ImageType(name) << " image\n";
      ++undecodable;
      continue;
    }
    // What quelo's pack reader takes as it lies is stored byte for byte; PNG
    // data becomes an RGBA PSD with the same pixels.
    std::string member = name;
    if (resized || NeedsConverting(ImageType(name), bytes)) {
      member = PsdName(name);
      bytes = EncodePsd(image->Width(), image->Height(), image->BitCount(), image->Pixels());
      notes.push_back("note: " + name + " -> " + member + " (PSD, PackBits" +
                      (resized ? ", " + std::to_string(image->Width()) + "x" + std::to_string(image->Height()) : "") +
                      ")");
      for (PackDefinition::File& file : source.Definition.Files)
        if (file.FileName == name) file.FileName = member;
    }
    if (!memberNames.insert(member).second)
      return Refuse(err, folder + ": two images would be stored as " + member);
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
    out << i << '\t' << m.Name << '\t' << m.Position << '\t' << m.Size << '\t' << StoredAs(pack, m, length, dialogs)
        << '\n';
    if (!InsideFile(m, length)) ++outside;
  }
  if (outside > 0)
    return Refuse(err, pack + ": " + std::to_string(outside) + " member(s) lie beyond the end of the file");
  return kExitOk;
}

int ExtractPack(const std::string& pack, const std::string& folder, std::ostream& out, std::ostream& err) {
  std::vector<Member> members;
  uint64_t length = 0;
  if (const int status = ReadDirectory(pack, members, length, err); status != kExitOk) return status;

  // Check everything before the first file is written.
  std::set<std::string> names;
  for (const Member& m : members) {
    if (m.Name.empty() || m.Name == "." || m.Name == ".." || m.Name.find_first_of("/\\:") != std::string::npos)
      return Refuse(err, pack + ": the member name \"" + m.Name + "\" is not a plain file name");
    if (!names.insert(m.Name).second) return Refuse(err, pack + ": two members are named " + m.Name);
    if (!InsideFile(m, length)) return Refuse(err, pack + ": the member " + m.Name + " lies beyond the end of the file");
  }
  std::error_code ec;
  const auto P = platform::FsPath;
  if (fs::exists(P(folder), ec) && !fs::is_directory(P(folder), ec)) return Refuse(err, folder + " is not a folder");
  for (const Member& m : members)
    if (fs::exists(P(folder) / P(m.Name), ec))
      return Refuse(err, (P(folder) / P(m.Name)).u8string() + " exists already; extract into an empty folder");
  fs::create_directories(P(folder), ec);
  if (!fs::is_directory(P(folder), ec)) return Refuse(err, "cannot create the folder " + folder);

  for (const Member& m : members) {
    const std::string path = (P(folder) / P(m.Name)).u8string();
    std::vector<uint8_t> bytes;
    if (!ReadRange(pack, static_cast<uint64_t>(m.Position) - 1, static_cast<uint64_t>(m.Size), bytes))
      return Refuse(err, "cannot read the member " + m.Name + " from " + pack);
    try {
      WriteFileAtomically(path, bytes);
    } catch (const QueloError& e) {
      return Refuse(err, path + ": " + e.Description());
    }
    out << path << '\t' << m.Size << '\n';
  }
  return kExitOk;
}

int RunPackTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    out << kUsage;
    return kExitOk;
  }
  if (!args.empty() && args[0] == "--list") {
    if (args.size() == 2) return ListPack(args[1], out, err);
  } else if (!args.empty() && args[0] == "--extract") {
    if (args.size() == 3) return ExtractPack(args[1], args[2], out, err);
  } else {
    std::vector<std::string> positional;
    std::string outFile;
    int32_t size = 0;
    bool bad = false;
    for (size_t i = 0; i < args.size(); ++i) {
      if (args[i] == "-o" && i + 1 < args.size() && outFile.empty()) {
        outFile = args[++i];
      } else if (args[i] == "--size" && i + 1 < args.size() && size == 0) {
        const std::string& n = args[++i];
        size = n.size() <= 3 && !n.empty() && n.find_first_not_of("0123456789") == std::string::npos ? std::stoi(n) : -1;
        if (size < 1 || size > 256) {
          err << "quelo-pack: --size takes a number of pixels from 1 to 256, not " << n << '\n';
          return kExitUsage;
        }
      }
      else if (!args[i].empty() && args[i][0] == '-') bad = true;
      else positional.push_back(args[i]);
    }
    if (!bad && positional.size() == 3 && !outFile.empty())
      return BuildPack(positional[0], positional[1], positional[2], outFile, out, err, size);
  }
  err << kUsage;
  return kExitUsage;
}

}  // namespace quelo::tools
