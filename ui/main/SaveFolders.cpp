#include "ui/main/SaveFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <exception>

#include "platform/ReplacingFile.h"

namespace quelo::ui {

namespace {

QString Key(SaveKind kind) {
  return kind == SaveKind::Strip ? QStringLiteral("SaveFolder") : QStringLiteral("ExportFolder");
}

}  // namespace

QSettings QueloSettings() {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("quelo"), QStringLiteral("quelo"));
}

bool FolderWritable(const std::string& folder) {
  if (folder.empty() || !QFileInfo(QString::fromStdString(folder)).isDir()) return false;
  try {
    // Created as a save creates its file, never committed: the trial file
    // goes when the object does.
    const ReplacingFile trial(
        QDir(QString::fromStdString(folder)).filePath(QStringLiteral(".quelo-write-test")).toStdString(),
        "SaveFolders.FolderWritable");
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

std::string SaveStartFolder(SaveKind kind, const std::string& appDir) {
  const QString kept = QueloSettings().value(Key(kind)).toString();
  // A folder removed since is forgotten.
  // In the system's own form, as the program shows every other name.
  if (!kept.isEmpty() && QFileInfo(kept).isDir()) return QDir::toNativeSeparators(kept).toStdString();
  if (FolderWritable(appDir)) return appDir;
  const std::string pictures =
      QDir::toNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)).toStdString();
  if (FolderWritable(pictures)) return pictures;
  return QDir::toNativeSeparators(QDir::homePath()).toStdString();
}

void RememberSaveFolder(SaveKind kind, const std::string& savedFile) {
  QueloSettings().setValue(Key(kind), QFileInfo(QString::fromStdString(savedFile)).absolutePath());
}

}  // namespace quelo::ui
