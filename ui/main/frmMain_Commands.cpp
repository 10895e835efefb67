// The menu bar and the preview popup menu, and the commands that act on the strip.
// Saving, copying, exporting, the background colour and the information
// windows have their entries here and their commands in their own files.
#include <QActionGroup>
#include <QListWidget>
#include <QLocale>

#include <QMenu>
#include <QMenuBar>

#include "platform/Platform.h"
#include "ui/main/Language.h"
#include "ui/main/PictureBox.h"
#include "ui/main/SaveFolders.h"
#include "ui/main/frmMain.h"

namespace quelo::ui {

void frmMain::CreateMenus() {
  QMenuBar* bar = menuBar();
  bar->setNativeMenuBar(false);
  auto entry = [](QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
  };
  auto separator = [](QMenu* menu, const char* name) {
    QAction* action = menu->addSeparator();
    action->setObjectName(QString::fromLatin1(name));
    return action;
  };

  mnuFile = bar->addMenu(tr("ファイル(&F)"));
  mnuFile->setObjectName(QStringLiteral("mnuFile"));
  mnuFileNew = entry(mnuFile, "mnuFileNew", tr("新規作成(&N)"));
  mnuFileOpen = entry(mnuFile, "mnuFileOpen", tr("開く(&O)..."));
  mnuFileOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  mnuFileOpenFolder = entry(mnuFile, "mnuFileOpenFolder", tr("フォルダを開く(&D)..."));
  mnuFileSep1 = separator(mnuFile, "mnuFileSep1");
  mnuFileSaveAs = entry(mnuFile, "mnuFileSaveAs", tr("名前を付けて保存(&A)"));
  mnuFileSave = entry(mnuFile, "mnuFileSave", tr("上書き保存(&S)"));
  mnuFileCopy = entry(mnuFile, "mnuFileCopy", tr("クリップボードにコピー(&C)"));
  // Saving also writes where each image lies, beside the strip: kept in the settings.
  mnuFileLayoutJson = entry(mnuFile, "mnuFileLayoutJson", tr("位置を JSON ファイルにも保存(&J)"));
  mnuFileLayoutJson->setCheckable(true);
  mnuFileLayoutJson->setChecked(QueloSettings().value(QStringLiteral("SaveStripLayout"), false).toBool());
  connect(mnuFileLayoutJson, &QAction::toggled, this,
          [](bool on) { QueloSettings().setValue(QStringLiteral("SaveStripLayout"), on); });
  mnuFileSep2 = separator(mnuFile, "mnuFileSep2");
  // The recent packs and folders, shown once there are any.
  for (int i = 0; i < 5; ++i) {
    QAction* recent = entry(mnuFile, "mnuFileRecent", QString());
    recent->setVisible(false);
    connect(recent, &QAction::triggered, this, [this, recent] { mnuFileRecent_Click(recent->data().toString()); });
    mnuFileRecent.push_back(recent);
  }
  mnuFileRecentSep = separator(mnuFile, "mnuFileRecentSep");
  mnuFileRecentSep->setVisible(false);
  mnuFileEnd = entry(mnuFile, "mnuFileEnd", tr("quelo の終了(&X)"));
  // The usual keys of a desktop program, shown beside the entries. Ctrl+C
  // belongs to the Edit menu's copy alone (two entries with one key would both
  // stay silent); a text box with the focus keeps the key for its own copy.
  mnuFileNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  mnuFileSaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  mnuFileSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  mnuFileEnd->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(mnuFile, &QMenu::aboutToShow, this, [this] { mnuFile_Open(); });
  connect(mnuFileNew, &QAction::triggered, this, [this] { mnuFileNew_Click(); });
  connect(mnuFileOpen, &QAction::triggered, this, [this] { mnuFileOpen_Click(); });
  connect(mnuFileOpenFolder, &QAction::triggered, this, [this] { mnuFileOpenFolder_Click(); });
  connect(mnuFileEnd, &QAction::triggered, this, [this] { close(); });
  connect(mnuFileSaveAs, &QAction::triggered, this, [this] { mnuFileSaveAs_Click(); });
  connect(mnuFileSave, &QAction::triggered, this, [this] { mnuFileSave_Click(); });
  // The File menu's copy does what the Edit menu's does.
  connect(mnuFileCopy, &QAction::triggered, this, [this] { mnuEditCopy_Click(); });

  mnuEdit = bar->addMenu(tr("編集(&E)"));
  mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
  mnuEditBackColor = entry(mnuEdit, "mnuEditBackColor", tr("背景色(&B)"));
  mnuEditCopy = entry(mnuEdit, "mnuEditCopy", tr("クリップボードにコピー(&C)"));
  mnuEditCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  connect(mnuEditBackColor, &QAction::triggered, this, [this] { mnuEditBackColor_Click(); });
  mnuEditTransparent = entry(mnuEdit, "mnuEditTransparent", tr("背景を透明にする(&T)"));
  mnuEditTransparent->setCheckable(true);
  connect(mnuEditTransparent, &QAction::triggered, this, [this](bool on) { mnuEditTransparent_Click(on); });
  connect(mnuEditCopy, &QAction::triggered, this, [this] { mnuEditCopy_Click(); });

  mnuShow = bar->addMenu(tr("表示(&V)"));
  mnuShow->setObjectName(QStringLiteral("mnuShow"));
  mnuShowRedraw = entry(mnuShow, "mnuShowRedraw", tr("再描画(&R)"));
  connect(mnuShowRedraw, &QAction::triggered, this, [this] { mnuShowRedraw_Click(); });
  CreateIconSizeMenu();
  // Every text is set up once, at the start: a new choice shows from the next
  // start, and the menu says so.
  QMenu* language = mnuShow->addMenu(tr("言語(&L)"));
  language->setObjectName(QStringLiteral("mnuShowLanguage"));
  auto* languages = new QActionGroup(language);
  QList<std::pair<QString, QString>> choices{{QStringLiteral("system"), tr("システムの言語(&S)")}};
  // Each language by its own name, so that a user finds theirs whatever the window speaks.
  for (const QString& code : KnownLanguages())
    choices.append({code, code == QLatin1String("ja")   ? QStringLiteral("日本語(&J)")
                          : code == QLatin1String("en") ? QStringLiteral("&English")
                                                        : QLocale(code).nativeLanguageName()});
  const QString chosen = LanguageChoice();
  for (const auto& [code, caption] : choices) {
    QAction* action = entry(language, "mnuShowLanguageChoice", caption);
    action->setCheckable(true);
    action->setData(code);
    action->setChecked(chosen == code);
    languages->addAction(action);
    connect(action, &QAction::triggered, this, [code = code] { SetLanguageChoice(code); });
  }
  language->addSeparator();
  entry(language, "mnuShowLanguageNote", tr("次回の起動から切り替わります"))->setEnabled(false);


  mnuHelp = bar->addMenu(tr("ヘルプ(&H)"));
  mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
  mnuHelpFileInfo = entry(mnuHelp, "mnuHelpFileInfo", tr("ファイルのプロパティ(&I)"));
  mnuHelpPackInfo = entry(mnuHelp, "mnuHelpPackInfo", tr("パッケージのプロパティ(&P)"));
  mnuHelpSep2 = separator(mnuHelp, "mnuHelpSep2");
  mnuHelpAbout = entry(mnuHelp, "mnuHelpAbout", tr("Quelo のバージョン情報(&A)"));
  connect(mnuHelpFileInfo, &QAction::triggered, this, [this] { mnuHelpFileInfo_Click(); });
  connect(mnuHelpPackInfo, &QAction::triggered, this, [this] { mnuHelpPackInfo_Click(); });
  mnuHelpAbout->setShortcut(QKeySequence(Qt::Key_F1));
  connect(mnuHelpAbout, &QAction::triggered, this, [this] { mnuHelpAbout_Click(); });

  // Never part of the menu bar: it opens over a preview.
  mnuPopPreviews = new QMenu(QStringLiteral("PopPreviews"), this);
  mnuPopPreviews->setObjectName(QStringLiteral("mnuPopPreviews"));
  mnuPopPreviewsAddFirst = entry(mnuPopPreviews, "mnuPopPreviewsAddFirst", tr("先頭に追加(&F)"));
  mnuPopPreviewsAddLast = entry(mnuPopPreviews, "mnuPopPreviewsAddLast", tr("最後尾に追加(&A)"));
  mnuPopPreviewsSep1 = separator(mnuPopPreviews, "mnuPopPreviewsSep1");
  mnuPopPreviewsExport = entry(mnuPopPreviews, "mnuPopPreviewsExport", tr("エクスポート(&E)"));
  mnuPopPreviewsCopy = entry(mnuPopPreviews, "mnuPopPreviewsCopy", tr("クリップボードにコピー(&C)"));
  connect(mnuPopPreviewsExport, &QAction::triggered, this, [this] { mnuPopPreviewsExport_Click(); });
  connect(mnuPopPreviewsCopy, &QAction::triggered, this, [this] { mnuPopPreviewsCopy_Click(); });
  mnuPopPreviewsSep2 = separator(mnuPopPreviews, "mnuPopPreviewsSep2");
  mnuPopPreviewsPackProperty =
      entry(mnuPopPreviews, "mnuPopPreviewsPackProperty", tr("パッケージのプロパティ(&P)"));
  mnuPopPreviewsSep3 = separator(mnuPopPreviews, "mnuPopPreviewsSep3");
  mnuPopPreviewsProperty = entry(mnuPopPreviews, "mnuPopPreviewsProperty", tr("プロパティ(&R)"));
  // The default entry is shown in bold.
  mnuPopPreviews->setDefaultAction(mnuPopPreviewsAddFirst);
  connect(mnuPopPreviewsAddFirst, &QAction::triggered, this, [this] { mnuPopPreviewsAddFirst_Click(); });
  connect(mnuPopPreviewsAddLast, &QAction::triggered, this, [this] { mnuPopPreviewsAddLast_Click(); });
  connect(mnuPopPreviewsPackProperty, &QAction::triggered, this, [this] { mnuHelpPackInfo_Click(); });
  connect(mnuPopPreviewsProperty, &QAction::triggered, this, [this] { mnuHelpFileInfo_Click(); });
}

void frmMain::mnuFile_Open() {
  const bool hasEntries = StripCount() > 0;
  mnuFileNew->setEnabled(hasEntries);
  mnuFileSaveAs->setEnabled(hasEntries);
  mnuFileSave->setEnabled(hasEntries);
  mnuFileCopy->setEnabled(hasEntries);
}

void frmMain::mnuPopPreviewsAddFirst_Click() {
  // Without a selected preview there is no image to add.
  if (SelectedPreview < 1) return;
  int16_t position = 0;
  AddStripImage(SelectedPreview, position);
}

void frmMain::mnuPopPreviewsAddLast_Click() {
  if (SelectedPreview < 1) return;
  int16_t position = -1;
  AddStripImage(SelectedPreview, position);
}

void frmMain::mnuShowRedraw_Click() { RedrawStrip(0); }

void frmMain::picSetBackColor_Press() {
  // A sunken edge: the swatch's only behaviour.
  constexpr uint32_t kSys = 0x80000000u;
  picSetBackColor->SetScalePixels();
  picSetBackColor->SetDrawWidth(1);
  const double sw = picSetBackColor->ScaleWidth(), sh = picSetBackColor->ScaleHeight();
  const uint32_t shadow = kSys | platform::syscolor::kButtonShadow;
  const uint32_t light = kSys | platform::syscolor::kButtonHighlight;
  picSetBackColor->Line(0, 0, sw, 0, shadow);
  picSetBackColor->Line(0, 0, 0, sh, shadow);
  picSetBackColor->Line(sw - 1, 0, sw - 1, sh, light);
  picSetBackColor->Line(0, sh - 1, sw, sh - 1, light);
}

}  // namespace quelo::ui
