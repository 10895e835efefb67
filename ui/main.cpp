// quelo: opens a pack (the one appended to this executable, a file carrying one,
// or a folder of icon images) and lets the user compose a strip of its images.
//   quelo [--lang LANG] [FOLDER | PACKFILE]    quelo --help    quelo --version
#include <QApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/Console.h"
#include "platform/Platform.h"
#include "platform/qt/QtPlatform.h"
#include "ui/main/Language.h"
#include "ui/main/frmMain.h"

namespace {

constexpr int kUsageError = 2;

// The command line speaks English in every language, like quelo-pack.
void PrintHelp() {
  std::printf(
      "Usage: quelo [--lang LANG] [FOLDER | PACKFILE]\n"
      "Shows the icons of a folder (*.psd, *.ico, *.png) or of a file carrying a pack,\n"
      "and composes a strip of them. Without an argument: the pack of the program\n"
      "itself, the images beside it, or the pack or folder opened last.\n"
      "  --help         show this help and exit\n"
      "  --version      show the version and exit\n"
      "  --lang LANG    show the window in LANG for this run: ja (Japanese), en (English)\n"
      "                 (else the choice in View > Language, else the system's language)\n");
}

int UsageError(const std::string& what) {
  std::fprintf(stderr, "quelo: %s (quelo --help shows the usage)\n", what.c_str());
  return kUsageError;
}

}  // namespace

int main(int argc, char** argv) {
  // The command line is read before Qt sees it: Qt would take some of its own options.
  if (argc > 1) quelo::platform::UseParentConsole();
  std::string path;
  QString language;
  bool endOfOptions = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!endOfOptions && arg == "--help") {
      PrintHelp();
      return 0;
    }
    if (!endOfOptions && arg == "--version") {
      std::printf("quelo %s\n", quelo::platform::VersionText().c_str());
      return 0;
    }
    if (!endOfOptions && arg == "--lang") {
      if (i + 1 >= argc || !quelo::ui::IsKnownLanguage(QString::fromLatin1(argv[i + 1])))
        return UsageError("--lang takes a language the program speaks: " +
                          quelo::ui::KnownLanguages().join(QStringLiteral(", ")).toStdString());
      language = QString::fromLatin1(argv[++i]);
      continue;
    }
    if (!endOfOptions && arg == "--") {
      endOfOptions = true;
      continue;
    }
    if (!endOfOptions && arg.size() > 1 && arg[0] == '-') return UsageError("unknown option " + arg);
    if (!path.empty()) return UsageError("only one folder or pack file can be opened");
    if (arg.empty() || !QFileInfo::exists(QString::fromLocal8Bit(arg.c_str())))
      return UsageError("no such file or folder: " + arg);
    path = arg;
  }
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  quelo::platform::qt::InstallQtPlatform(quelo::ui::StartupLanguage(language));

  quelo::ui::frmMain window;
  window.Form_Load(path);
  return QApplication::exec();
}
