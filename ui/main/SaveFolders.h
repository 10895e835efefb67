// Where the save dialogs start: the folder last saved to, kept across runs in
// the user's settings, one for the strip and one for exports. The first time,
// the program's folder when the user may write there (an installed program's
// folder is not), else the user's Pictures folder, else the home folder.
#pragma once

#include <QSettings>

#include <string>

namespace quelo::ui {

// The program's settings (save folders, recent packs): one file in the
// user's configuration folder, the same on every system.
QSettings QueloSettings();

enum class SaveKind { Strip, Export };

// The folder a save dialog of this kind starts in.
std::string SaveStartFolder(SaveKind kind, const std::string& appDir);
// Keeps the folder of a file just written, for this and later runs.
void RememberSaveFolder(SaveKind kind, const std::string& savedFile);
// Whether a file can be created in the folder: tried, not guessed from
// permission bits, which say nothing of read-only media or of other rules.
bool FolderWritable(const std::string& folder);

}  // namespace quelo::ui
