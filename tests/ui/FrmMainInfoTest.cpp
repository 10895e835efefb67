// The main window's information commands, offscreen: the version and pack
// windows from the Help menu, the popup menu and the banner, the file property
// windows, and the program's icon.
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include "archive/PackWriters.h"
#include "platform/Platform.h"
#include "support/ModalWindow.h"
#include "support/PsdWriter.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"
#include "ui/info/frmAbout.h"
#include "ui/main/PictureBox.h"
#include "ui/main/frmMain.h"
#include "ui/MainWindowHarness.h"

using quelo::ui::frmAbout;
using quelo::ui::frmMain;
using quelo::ui::PictureBox;

namespace {

using quelo::test::Q;

std::vector<uint8_t> Psd(int width, int height) {
  return quelo::test::MakePsd(width, height, 4, quelo::test::PatternPixels(width, height, 4, 3));
}

// The open file property windows.
QList<frmAbout*> FileWindows() {
  QList<frmAbout*> windows;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && w->property("Tag").toString() == QStringLiteral("FILEPROPWND"))
      windows << qobject_cast<frmAbout*>(w);
  return windows;
}

}  // namespace

class FrmMainInfoTest : public QObject, protected quelo::test::MainWindowHarness {
  Q_OBJECT

 private:
  // Two images and a definition, appended to a copy of this program.
  std::string StartArchive() {
    quelo::PackDefinition def;
    def.PackName = "テストパック";
    def.Files = {{"b.psd", "ビー", "", ""}};
    const std::string exe = dir_->File("quelo");
    quelo::WritePackExecutable(QCoreApplication::applicationFilePath().toStdString(),
                               {{"!quelo.ini", quelo::SerializeDefinition(def), 0}, {"a.psd", Psd(16, 16), 0},
                                {"b.psd", Psd(24, 16), 0}},
                               exe);
    StartIn(exe);
    return exe;
  }
  // Opens `menu` from the menu bar (or over preview `k` for the popup) and clicks `entry`.
  void ChooseFromMenu(QMenu* menu, QAction* entry, int k = 0) {
    if (k > 0) {
      ClickPreview(k, Qt::RightButton);
    } else {
      QMenuBar* bar = W().menuBar();
      QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
    }
    QVERIFY(menu->isVisible());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
  }

 private slots:
  void init() { SetUpWindow(); }
  void cleanup() { TearDownWindow(); }

  // Nothing before a preview is selected; then one window per request (the
  // popup's right press selects its preview), given the member's name;
  // "quelo の終了(&X)" closes them with the main window.
  void FilePropertyWindowsOpenPerRequestAndCloseWithTheMainWindow() {
    const std::string exe = StartArchive();
    ChooseFromMenu(W().mnuHelp, W().mnuHelpFileInfo);
    QVERIFY(FileWindows().isEmpty());

    ChooseFromMenu(W().mnuPopPreviews, W().mnuPopPreviewsProperty, 1);
    ClickPreview(2);
    ChooseFromMenu(W().mnuHelp, W().mnuHelpFileInfo);
    const QList<frmAbout*> windows = FileWindows();
    QCOMPARE(windows.size(), 2);
    // The archive section's member lines, of both windows.
    QStringList members;
    for (frmAbout* w : windows) {
      QVERIFY(!w->isModal());
      const QStringList lines = w->InfoText().split("\r\n");
      members << lines.mid(lines.size() - 3, 2).join('|');
    }
    members.sort();
    const QString index = QString(15, QLatin1Char(' ')) + "(Index:%1 / 2 Offset:0x%2 Size:%3bytes)";
    auto memberLines = [&](const char* name, int16_t i) {
      return QStringLiteral("[ ファイル名 ] ") + name + '|' +
             index.arg(i).arg(QString::number(W().PackArchive.FileOffset(i), 16).toUpper()).arg(W().PackArchive.FileSize(i));
    };
    QCOMPARE(members, (QStringList{memberLines("a.psd", 1), memberLines("b.psd", 2)}));
    QVERIFY(windows[0]->InfoText().contains(QStringLiteral("[書庫ファイル] ") + Q(exe)));

    QPointer<frmAbout> first = windows[0], second = windows[1];
    ChooseFromMenu(W().mnuFile, W().mnuFileEnd);
    QVERIFY(!W().isVisible());
    QVERIFY(FileWindows().isEmpty());
    QTRY_VERIFY(!first && !second);  // released
  }

  // A pack from the folder: the window is given the file's full path.
  void FilePropertiesOfALooseFileNameItsPath() {
    quelo::test::WriteAll(dir_->File("a.psd"), Psd(8, 8));
    StartIn(dir_->File("quelo"));
    ClickPreview(1);
    ChooseFromMenu(W().mnuHelp, W().mnuHelpFileInfo);
    QCOMPARE(FileWindows().size(), 1);
    const QStringList lines = FileWindows()[0]->InfoText().split("\r\n");
    QCOMPARE(lines.mid(lines.size() - 4),
             (QStringList{QStringLiteral("■■ファイル情報■■"), QStringLiteral("[ ファイル名 ] ") + Q(dir_->File("a.psd")),
                          QStringLiteral("[   サイズ   ] %1bytes").arg(Psd(8, 8).size()), ""}));
  }

  // The banner and the Help menu open the version window, modal, with the
  // program's icon; the Help menu and the popup open the pack window.
  void VersionAndPackWindowsAreModalOverTheMainWindow() {
    StartArchive();
    const QImage icon(QStringLiteral(QUELO_SOURCE_DIR "/packaging/quelo.png"));
    QCOMPARE(W().windowIcon().pixmap(48).toImage().pixel(24, 24), icon.pixel(24, 24));

    QStringList seen;
    auto look = [&](QWidget* w) {
      auto* about = qobject_cast<frmAbout*>(w);
      if (!about) return;
      seen << QStringLiteral("%1|%2|%3|%4")
                  .arg(about->windowTitle(), about->InfoText().section("\r\n", 0, 0))
                  .arg(about->parentWidget() == window_.get())
                  .arg(about->picIcon->Point(24, 24) == PictureBox::FromQRgb(icon.pixel(24, 24)));
      QTest::mouseClick(about->cmdOK, Qt::LeftButton);
    };
    using quelo::test::LookAtModalWindow;
    LookAtModalWindow([&] { QTest::mouseClick(W().imgBanner, Qt::LeftButton, {}, QPoint(10, 100)); }, look);
    LookAtModalWindow([&] { ChooseFromMenu(W().mnuHelp, W().mnuHelpAbout); }, look);
    LookAtModalWindow([&] { ChooseFromMenu(W().mnuHelp, W().mnuHelpPackInfo); }, look);
    ClickPreview(1);
    LookAtModalWindow([&] { ChooseFromMenu(W().mnuPopPreviews, W().mnuPopPreviewsPackProperty, 1); }, look);
    const QString version = QStringLiteral("quelo のバージョン情報||1|1");
    const QString pack = QStringLiteral("パッケージ テストパック の情報|[パッケージ名] テストパック|1|1");
    QCOMPARE(seen, (QStringList{version, version, pack, pack}));
    QVERIFY(FileWindows().isEmpty());
  }
};

QTEST_MAIN(FrmMainInfoTest)
#include "FrmMainInfoTest.moc"
