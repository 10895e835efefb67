// 表示 → アイコンのサイズ: the square every image of the pack is fitted into
// when it is loaded, kept in the settings. Choosing another size loads the pack
// again at once and asks nothing: the strip keeps its entries, each at the size
// it was added at (a line holds its own image), so only images added from now
// on take the new size.
#include <QActionGroup>
#include <QListWidget>
#include <QMenu>
#include <QSettings>

#include <array>

#include "platform/Platform.h"
#include "ui/main/SaveFolders.h"
#include "ui/main/frmMain.h"

namespace quelo::ui {

namespace {

const QString kIconSizeKey = QStringLiteral("IconSize");
constexpr std::array<int32_t, 8> kIconSizes = {0, 16, 24, 32, 48, 64, 128, 256};

// The side with its access key: the first digit, or one that no smaller side
// took (128 by its 8, 256 by its 5), so that every entry has a key of its own.
QString SizeCaption(int32_t side) {
  QString text = QString::number(side);
  text.insert(side == 128 ? 2 : side == 256 ? 1 : 0, QLatin1Char('&'));
  return text;
}

}  // namespace

int32_t frmMain::IconSizeSetting() {
  const int32_t side = QueloSettings().value(kIconSizeKey, 0).toInt();
  // A value edited by hand to something not offered means each image's own size.
  for (const int32_t s : kIconSizes) {
    if (s == side) return side;
  }
  return 0;
}

void frmMain::CreateIconSizeMenu() {
  mnuShowIconSize = mnuShow->addMenu(tr("アイコンのサイズ(&I)"));
  mnuShowIconSize->setObjectName(QStringLiteral("mnuShowIconSize"));
  auto* group = new QActionGroup(mnuShowIconSize);
  const int32_t current = IconSizeSetting();
  for (const int32_t side : kIconSizes) {
    QAction* action = mnuShowIconSize->addAction(side == 0 ? tr("元のサイズ(&O)") : tr("%1 × %2").arg(SizeCaption(side)).arg(side));
    action->setObjectName(QStringLiteral("mnuShowIconSize%1").arg(side));
    action->setCheckable(true);
    action->setChecked(side == current);
    action->setData(side);
    group->addAction(action);
    connect(action, &QAction::triggered, this, [this, side] { mnuShowIconSize_Click(side); });
  }
}

void frmMain::mnuShowIconSize_Click(int32_t side) {
  if (side == IconSizeSetting() && side == pack_->IconSize()) return;
  QueloSettings().setValue(kIconSizeKey, side);
  for (QAction* action : mnuShowIconSize->actions()) action->setChecked(action->data().toInt() == side);
  if (pack_->Kind() == LoadedPack::SourceKind::None) return;
  auto pack = std::make_unique<LoadedPack>();
  if (pack_->Kind() == LoadedPack::SourceKind::Folder) {
    pack->SetFolder(pack_->SourcePath());
  } else if (!pack->SetArchive(pack_->SourcePath())) {
    // The file lost its pack since it was opened: the pack shown stays.
    platform::ShowMessage(tr("%1\r\nを開けません。パックが付いていないファイルです。")
                              .arg(QString::fromStdString(pack_->SourcePath()))
                              .toStdString(),
                          platform::MsgIcon::Exclamation);
    return;
  }
  pack->SetIconSize(side);
  pack->Load([this](int32_t total, int32_t current, const std::string& text) { ShowProgress(total, current, text); });
  // The strip stays as it is, and so does the file it was saved to.
  const std::string saved = SaveFileName;
  const bool savedPng = savePng_;
  ShowPack(std::move(pack));
  SaveFileName = saved;
  savePng_ = savedPng;
  UpdateTitle();
}

}  // namespace quelo::ui
