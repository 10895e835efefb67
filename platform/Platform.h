// The seam between quelo and the operating system. Everything here is plain C++:
// archive/ and image/ call it without a display. The windowed program installs a
// Qt-backed dialog implementation and a palette-backed system colour source at
// start; tests install recorders with scripted answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace quelo::platform {

// ---- The running program -------------------------------------------------

// The platform's path separator, appended to folders.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// Folder of the running executable, always ending in the separator.
std::string AppPath();
// Full path of the running executable.
std::string ExeFileName();
// Tests (and only tests) point the program at another executable; its folder
// becomes AppPath(). An empty path restores the real one.
void OverrideExecutablePath(const std::string& fullPath);

// Lets a console show the program's UTF-8 output (Windows consoles otherwise
// read it in their own code page); nothing to do elsewhere.
void UseUtf8Console();

// The fixed-pitch font family whose Japanese characters are two Latin ones
// wide, which the information windows line their labels up in: the one each
// system ships ("MS Gothic" on Windows, Noto Sans Mono CJK JP on Debian).
const char* FixedPitchJapaneseFont();

// Application title: the product's name, the default caption of message boxes.
const std::string& AppTitle();

// Version numbers Major, Minor, Revision of the build: the CMake project's
// version, the one number every front end shows.
int VersionMajor();
int VersionMinor();
int VersionRevision();
// The same numbers as "Major.Minor.Revision", as --version prints them.
std::string VersionText();

// The part of a path after its last separator; both "/" and "\" split.
std::string BaseName(const std::string& path);

// ---- Files -----------------------------------------------------------------

// Length of the named file. Throws QueloError 53 (file not found) when it does
// not exist, and another QueloError for any other failure of the query
// (an empty or bad name, a folder given as a file, a path that can't be searched).
int64_t FileLength(const std::string& fileName);

// True when the file exists, false when it is not found; any other failure of
// the query is raised again with caller (e.g. "clsX.FileExist->") put in front
// of its source.
bool FileExist(const std::string& fileName, const std::string& caller);

// The files of a folder whose names match "*.<extension>" without regard to
// case, sorted alphabetically without regard to case. Names only.
std::vector<std::string> ListFilesWithExtension(const std::string& folder,
                                                const std::string& extension);
// As ListFilesWithExtension, for files matching any of the extensions, in one sorted list.
std::vector<std::string> ListFilesWithExtensions(const std::string& folder, const std::vector<std::string>& extensions);

// Every entry of a folder (but "." and ".."), with its name exactly as the
// system keeps it: a name holding ":" or "\\" (possible on Linux file systems)
// or naming a device is listed as it is, not taken apart as a path.
struct FolderEntry {
  std::string name;
  bool folder = false;  // a folder; anything else counts as a file
};
// 0, or the errno value of a folder that can't be read.
int ListFolder(const std::string& folder, std::vector<FolderEntry>& entries);

// ---- File names and file operations -----------------------------------------

// Opens a file by its UTF-8 name, as std::fopen does (wide names on Windows).
std::FILE* OpenFile(const std::string& fileName, const char* mode);
// The std::filesystem path of a UTF-8 name.
std::filesystem::path FsPath(const std::string& fileName);
// Creates fileName for binary writing only if it does not exist yet; nullptr with
// errno EEXIST when it does (or another errno).
std::FILE* CreateFileExclusive(const std::string& fileName);
// Flushes the stdio buffer and puts the file's data on stable storage. 0 or an errno value.
int SyncFile(std::FILE* file);
// Puts the file `from` in the place of `to` in one step, replacing it. 0 or an errno value.
int RenameReplacing(const std::string& from, const std::string& to);
// Puts a folder's entries (a rename into it) on stable storage; nothing to do on
// Windows, where the rename is written through. 0 or an errno value.
int SyncFolder(const std::string& folder);

// ---- Text ------------------------------------------------------------------

// Code page 932 (Windows-31J) bytes to UTF-8. Bytes that do not decode become
// U+FFFD; never throws.
std::string DecodeCp932(const std::string& bytes);
// UTF-8 to code page 932. Returns false when some character has no code page 932
// form (or the input is not valid UTF-8).
bool EncodeCp932(const std::string& utf8, std::string& out);

// ---- System colours ---------------------------------------------------------

// Colour 0x00BBGGRR of a system colour index (GetSysColor). Indices with a
// palette role ask the installed source; every other index has the classic
// fixed value; an unknown index gives black.
uint32_t GetSysColor(int index);
// The windowed program installs the current palette here; the function receives
// an index with a palette role and returns 0x00BBGGRR. nullptr restores defaults.
void SetSysColorSource(std::function<uint32_t(int)> source);
// True for the indices that map onto a palette role.
bool SysColorHasPaletteRole(int index);

// System colour indices used by name.
namespace syscolor {
constexpr int kWindow = 5;
constexpr int kWindowText = 8;
constexpr int kHighlight = 13;
constexpr int kHighlightText = 14;
constexpr int kButtonFace = 15;
constexpr int kButtonShadow = 16;
constexpr int kButtonText = 18;
constexpr int kButtonHighlight = 20;
constexpr int kInactiveCaption = 3;
constexpr int kInactiveCaptionText = 19;
constexpr int kAppWorkspace = 12;
}  // namespace syscolor

// ---- Message boxes and dialogs ------------------------------------------------

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgResult { Ok, Cancel, Yes, No };

struct MessageBoxRequest {
  std::string title;  // UTF-8
  std::string text;   // UTF-8; lines joined by "\r\n" as the program builds them
  MsgIcon icon = MsgIcon::None;
  MsgButtons buttons = MsgButtons::Ok;
  MsgResult defaultButton = MsgResult::Ok;
  bool foreground = false;  // bring the box to the foreground
};

struct SaveDialogRequest {
  std::string title;
  std::string filter;        // "Description|*.ext|Description|*.ext"
  int filterIndex = 1;       // 1-based
  std::string defaultExt;    // without the dot
  std::string initialName;   // a bare name or a full path
  std::string initialFolder;  // used when initialName holds no folder
  bool confirmOverwrite = false;  // ask before replacing a file that exists
  bool confirmCreate = false;     // ask before creating a file that does not exist yet
};

struct SaveDialogResult {
  bool accepted = false;
  std::string fileName;
  int filterIndex = 1;  // the filter the user ended on, 1-based
};

struct OpenDialogRequest {
  std::string title;
  std::string filter;  // "Description|*.ext|Description|*.ext"; "*" takes any file
  std::string initialFolder;
};

struct FolderDialogRequest {
  std::string title;
  std::string initialFolder;
};

struct OpenDialogResult {
  bool accepted = false;
  std::string fileName;  // the file or folder chosen
};

class IDialogs {
 public:
  virtual ~IDialogs() = default;
  virtual MsgResult MessageBox(const MessageBoxRequest& request) = 0;
  virtual SaveDialogResult SaveFileDialog(const SaveDialogRequest& request) = 0;
  // Chooses an existing file; not accepted on Cancel, which is all a program
  // without windows can answer.
  virtual OpenDialogResult OpenFileDialog(const OpenDialogRequest&) { return {}; }
  // Chooses an existing folder; not accepted on Cancel.
  virtual OpenDialogResult FolderDialog(const FolderDialogRequest&) { return {}; }
  // Starts on colour (0x00BBGGRR); returns false on Cancel, otherwise sets colour.
  virtual bool ColorDialog(uint32_t& colour) = 0;
};

// The dialogs in force. Until something is installed, a fallback writes each
// message box to standard error and answers with its default button, and
// cancels every dialog.
IDialogs& Dialogs();
// Install an implementation (not owned); nullptr restores the fallback.
void SetDialogs(IDialogs* dialogs);

// A message box with the application's title and an OK button.
MsgResult ShowMessage(const std::string& text, MsgIcon icon = MsgIcon::None);

// ---- Injected write failures (tests only) -------------------------------------

// FailWritesAfter(n): from now on file writes put down n more bytes in total and
// then fail as on a full disk (ENOSPC); -1 (the default) switches this off.
// Every write point asks TakeWriteAllowance(count) first and writes only the
// bytes it grants; fewer than count means: write those, then fail.
void FailWritesAfter(int64_t bytes);
size_t TakeWriteAllowance(size_t count);

// The steps of replacing a file that come after its writes.
enum class ReplaceStep { SyncFile, Rename, SyncFolder };
// FailReplaceStep(step, e): the next time `step` comes, it fails with errno
// value e instead of being done; e = 0 switches that off again.
void FailReplaceStep(ReplaceStep step, int errnoValue);
// The failure injected for `step`, used up by this call; 0 when there is none.
int TakeReplaceStepFailure(ReplaceStep step);

}  // namespace quelo::platform
