// Opening another pack: a file carrying one or a folder of images, chosen in a
// dialog, given on the command line, dropped from a file manager or picked from
// the recent list kept in the settings. The pack shown is replaced whole, and
// only once the new one is known to open.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QUrl>

#include <utility>

#include "platform/Platform.h"
#include "ui/main/SaveFolders.h"
#include "ui/main/frmMain.h"

namespace quelo::ui {

namespace {

constexpr int kRecentCount = 5;
const QString kRecentKey = QStringLiteral("RecentPacks");

std::string Utf8(const QString& s) { return s.toUtf8().toStdString(); }

}  // namespace

void frmMain::mnuFileOpen_Click() {
  platform::OpenDialogRequest request;
  request.title = tr("開く").toStdString();
  request.filter = tr("パックを含むファイル|*|プログラム|*.exe").toStdString();
  request.initialFolder = pack_->Kind() == LoadedPack::SourceKind::Folder ? pack_->SourcePath() : AppDir;
  const platform::OpenDialogResult result = platform::Dialogs().OpenFileDialog(request);
  if (result.accepted) OpenPath(result.fileName);
}

void frmMain::mnuFileOpenFolder_Click() {
  platform::FolderDialogRequest request;
  request.title = tr("フォルダを開く").toStdString();
  request.initialFolder = pack_->Kind() == LoadedPack::SourceKind::Folder ? pack_->SourcePath() : AppDir;
  const platform::OpenDialogResult result = platform::Dialogs().FolderDialog(request);
  if (result.accepted) OpenPath(result.fileName);
}

std::unique_ptr<LoadedPack> frmMain::PreparePack(const std::string& path, std::string* why) const {
  const QFileInfo info(QString::fromStdString(path));
  auto pack = std::make_unique<LoadedPack>();
  pack->SetIconSize(IconSizeSetting());
  if (path.empty() || !info.exists()) {
    *why = tr("ファイルまたはフォルダが見つかりません。").toStdString();
  } else if (!info.isReadable()) {
    *why = tr("読み込む権限がありません。").toStdString();
  } else if (info.isDir()) {
    pack->SetFolder(path);
    if (pack->SourceCount() > 0) return pack;
    *why = tr("画像ファイル (*.psd, *.ico, *.png) がありません。").toStdString();
  } else if (pack->SetArchive(path)) {
    return pack;
  } else {
    *why = tr("パックが付いていないファイルです。").toStdString();
  }
  return nullptr;
}

bool frmMain::OpenPath(const std::string& path, bool askFirst) {
  // In the system's own form: Qt writes '/' on Windows too, and these names are shown.
  const std::string full =
      Utf8(QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(QString::fromStdString(path)).absoluteFilePath())));
  std::string why;
  std::unique_ptr<LoadedPack> pack = PreparePack(full, &why);
  if (!pack) {
    platform::ShowMessage(
        tr("%1\r\nを開けません。%2").arg(QString::fromStdString(full), QString::fromStdString(why)).toStdString(),
        platform::MsgIcon::Exclamation);
    return false;
  }
  if (askFirst && StripCount() > 0 && !ConfirmEmptyStrip()) return false;
  pack->Load([this](int32_t total, int32_t current, const std::string& text) { ShowProgress(total, current, text); });
  ShowPack(std::move(pack));
  RemoveStripImage(-1);
  RememberPath(full);
  return true;
}

void frmMain::OpenStartupPack() {
  auto pack = std::make_unique<LoadedPack>();
  pack->SetIconSize(IconSizeSetting());
  if (!pack->SetArchive(platform::ExeFileName())) {
    pack->SetFolder(AppDir);
    // Nothing of its own, as the installed program: the most recent pack,
    // which for a new user is the sample pack installed beside it.
    if (pack->SourceCount() == 0) {
      const std::string sample = AppDir + "quelo-sample";
      if (!QueloSettings().contains(kRecentKey) && QFileInfo(QString::fromStdString(sample)).isFile() &&
          sample != platform::ExeFileName())
        RememberPath(sample);
      const QStringList recent = RecentPaths();
      if (!recent.isEmpty()) {
        std::string why;
        if (auto last = PreparePack(Utf8(recent.front()), &why)) {
          pack = std::move(last);
        } else {
          platform::ShowMessage(tr("%1\r\nを開けません。%2").arg(recent.front(), QString::fromStdString(why)).toStdString(),
                                platform::MsgIcon::Exclamation);
          ForgetPath(Utf8(recent.front()));
        }
      }
    }
  }
  pack->Load([this](int32_t total, int32_t current, const std::string& text) { ShowProgress(total, current, text); });
  ShowPack(std::move(pack));
}

QStringList frmMain::RecentPaths() const { return QueloSettings().value(kRecentKey).toStringList(); }

void frmMain::RememberPath(const std::string& path) {
  QStringList recent = RecentPaths();
  const QString entry = QString::fromStdString(path);
  recent.removeAll(entry);
  recent.prepend(entry);
  while (recent.size() > kRecentCount) recent.removeLast();
  QueloSettings().setValue(kRecentKey, recent);
  UpdateRecentMenu();
}

void frmMain::ForgetPath(const std::string& path) {
  QStringList recent = RecentPaths();
  recent.removeAll(QString::fromStdString(path));
  QueloSettings().setValue(kRecentKey, recent);
  UpdateRecentMenu();
}

void frmMain::UpdateRecentMenu() {
  const QStringList recent = RecentPaths();
  for (size_t i = 0; i < mnuFileRecent.size(); ++i) {
    QAction* action = mnuFileRecent[i];
    const bool used = static_cast<int>(i) < recent.size();
    action->setVisible(used);
    if (!used) continue;
    const QString path = recent[static_cast<int>(i)];
    // "&" in a path would mark an access key.
    action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(QString(path).replace('&', QStringLiteral("&&"))));
    action->setData(path);
  }
  mnuFileRecentSep->setVisible(!recent.isEmpty());
}

void frmMain::mnuFileRecent_Click(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) {
    // A pack or folder that has gone since: said, and dropped from the list.
    platform::ShowMessage(tr("%1\r\nが見つかりません。一覧から削除します。").arg(path).toStdString(),
                          platform::MsgIcon::Exclamation);

    ForgetPath(Utf8(path));
    return;
  }
  OpenPath(Utf8(path));
}

std::string frmMain::DroppedPath(const QMimeData* data) {
  // The strip picture's file is no pack: dropped back on the window it is nothing to open.
  if (!data || !data->hasUrls() || IsStripDrag(data)) return std::string();
  const QList<QUrl> urls = data->urls();
  // One folder or pack file at a time.
  if (urls.size() != 1 || !urls.front().isLocalFile()) return std::string();
  return Utf8(QDir::toNativeSeparators(urls.front().toLocalFile()));
}

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
  // The strip's own picture, dragged out and let go over the window, carries a
  // file too: it is no pack to open. Drags from this program have a source.
  if (event->source()) return;
  if (!DroppedPath(event->mimeData()).empty()) event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event) {
  const std::string path = DroppedPath(event->mimeData());
  if (path.empty() || event->source()) return;
  event->acceptProposedAction();
  // Opened once the file manager has its drop answered: opening may ask a question.
  QMetaObject::invokeMethod(this, [this, path] { OpenPath(path); }, Qt::QueuedConnection);
}

}  // namespace quelo::ui
