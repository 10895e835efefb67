// The main window's information commands, offscreen: the version and pack
// windows from the Help menu, the popup menu and the banner, the file property
// windows, and the program's icon.
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProcess>
#include <QWindow>

#include <algorithm>
#include <QtTest>

#include "archive/PackWriters.h"
#include "support/ModalWindow.h"
#include "ui/MainWindowHarness.h"
#include "ui/info/frmAbout.h"

using quelo::test::LookAtModalWindow;
using quelo::test::Q;
using quelo::test::SolidPsd;
using quelo::ui::frmAbout;

namespace {

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
    const std::string exe = dir_->File("quelo");
    quelo::WritePackExecutable(QCoreApplication::applicationFilePath().toStdString(),
                               {{"!quelo.ini", quelo::SerializeDefinition(def), 0},
                                {"a.psd", SolidPsd(16, 16, 0xFF), 0}, {"b.psd", SolidPsd(24, 16, 0xFF00), 0}},
                               exe);
    StartIn(exe);
    return exe;
  }

 private slots:
  void init() { SetUpWindow(); }
  void cleanup() { TearDownWindow(); }

  // Nothing before a preview is selected; then one window per request (the
  // popup's right press selects its preview), given the member's name;
  // "quelo の終了(&X)" closes them with the main window.
  void FilePropertyWindowsOpenPerRequestAndCloseWithTheMainWindow() {
    const std::string exe = StartArchive();
    ChooseFromMenu(Find<QMenu>("mnuHelp"), Find<QAction>("mnuHelpFileInfo"));
    QVERIFY(FileWindows().isEmpty());

    ClickPreview(1, Qt::RightButton);
    ChooseFromMenu(Find<QMenu>("mnuPopPreviews"), Find<QAction>("mnuPopPreviewsProperty"));
    ClickPreview(2);
    ChooseFromMenu(Find<QMenu>("mnuHelp"), Find<QAction>("mnuHelpFileInfo"));
    QStringList members;  // the archive section of each window, up to the offset
    for (frmAbout* w : FileWindows()) {
      QVERIFY(!w->isModal());
      members << w->InfoText().section("\r\n", -4, -2).section(" Offset", 0, 0);
    }
    members.sort();
    const QString lines = QStringLiteral("[書庫ファイル] %1\r\n[ ファイル名 ] %2\r\n               (Index:%3 / 2").arg(Q(exe));
    QCOMPARE(members, (QStringList{lines.arg("a.psd").arg(1), lines.arg("b.psd").arg(2)}));

    QPointer<frmAbout> first = FileWindows()[0], second = FileWindows()[1];
    ChooseFromMenu(Find<QMenu>("mnuFile"), Find<QAction>("mnuFileEnd"));
    QVERIFY(!W().isVisible() && FileWindows().isEmpty());
    QTRY_VERIFY(!first && !second);  // released
  }

  // A pack opened with Ctrl+O after the start: its members' windows name the
  // file opened as their archive, not the running program, which carries none.
  void FilePropertiesNameThePackOpenedAfterTheStart() {
    StartLoose({{"loose.psd", SolidPsd(8, 8, 0xFF)}});
    const std::string pack = dir_->File("other-pack.bin");
    quelo::WritePackExecutable(QCoreApplication::applicationFilePath().toStdString(),
                               {{"x.psd", SolidPsd(12, 12, 0xFF00), 0}, {"y.psd", SolidPsd(10, 10, 0xFF0000), 0}}, pack);
    dialogs_->openAnswers = {pack};
    QTest::keyClick(&W(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(Names(), Q("x.psd y.psd"));
    ClickPreview(2, Qt::RightButton);
    ChooseFromMenu(Find<QMenu>("mnuPopPreviews"), Find<QAction>("mnuPopPreviewsProperty"));
    QCOMPARE(FileWindows().size(), 1);
    QCOMPARE(FileWindows()[0]->InfoText().section("\r\n", -4, -3),
             QStringLiteral("[書庫ファイル] %1\r\n[ ファイル名 ] y.psd").arg(Q(pack)));
  }

  // Property windows stand on their own: no owner and no window they stay above,
  // so minimising one leaves the main window and the others alone; they still
  // open in a cascade, 24 pixels apart, with the program's icon, and go when
  // the main window goes, also without a close.
  void FilePropertyWindowsAreIndependentTopLevelWindows() {
    StartArchive();
    W().show();
    for (int k : {1, 2}) {
      ClickPreview(k);
      ChooseFromMenu(Find<QMenu>("mnuHelp"), Find<QAction>("mnuHelpFileInfo"));
    }
    QList<frmAbout*> windows = FileWindows();
    QCOMPARE(windows.size(), 2);
    std::sort(windows.begin(), windows.end(), [](frmAbout* a, frmAbout* b) { return a->y() < b->y(); });
    QCOMPARE(windows[1]->pos() - windows[0]->pos(), QPoint(24, 24));
    const QImage icon(QStringLiteral(QUELO_SOURCE_DIR "/packaging/quelo.png"));
    for (frmAbout* w : windows) {
      QVERIFY(w->isWindow() && !w->parentWidget());
      QVERIFY(w->windowHandle() && !w->windowHandle()->transientParent());
      QCOMPARE(w->windowType(), Qt::Window);
      QCOMPARE(w->picIcon->Point(24, 24), quelo::ui::PictureBox::FromQRgb(icon.pixel(24, 24)));
    }
    windows[0]->showMinimized();
    QVERIFY(windows[0]->isMinimized() && !windows[1]->isMinimized() && !W().isMinimized());

    QPointer<frmAbout> first = windows[0], second = windows[1];
    window_.reset();
    QVERIFY(FileWindows().isEmpty());
    QTRY_VERIFY(!first && !second);
  }

  // A pack from the folder: the window is given the file's full path.
  void FilePropertiesOfALooseFileNameItsPath() {
    const std::vector<uint8_t> psd = SolidPsd(8, 8, 0xFF);
    StartLoose({{"a.psd", psd}});
    ClickPreview(1);
    ChooseFromMenu(Find<QMenu>("mnuHelp"), Find<QAction>("mnuHelpFileInfo"));
    QCOMPARE(FileWindows().size(), 1);
    QCOMPARE(FileWindows()[0]->InfoText().section("\r\n", -3),
             QStringLiteral("[ ファイル名 ] %1\r\n[   サイズ   ] %2bytes\r\n").arg(Q(dir_->File("a.psd"))).arg(psd.size()));
  }

  // One version, CMake's project version: what `quelo --version` prints, the
  // version window's name line, and its own format of the same numbers.
  void TheVersionIsTheProjectVersionEverywhere() {
    QProcess p;
    p.start(QStringLiteral(QUELO_BINARY_DIR "/quelo"), {QStringLiteral("--version")});
    QVERIFY(p.waitForFinished(20000));
    const QString printed = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    QCOMPARE(printed, QStringLiteral("quelo " QUELO_PROJECT_VERSION));
    const QStringList n = printed.section(' ', 1).split('.');
    QCOMPARE(n.size(), 3);
    const int minor = n[1].toInt();
    const QString format = n[0] + "." + n[1].rightJustified(2, '0') + (minor % 2 ? "β" : "");
    const QString line = "Version. " + format + " [ Build " + n[0] + "." + n[1].rightJustified(2, '0') + "." +
                         n[2].rightJustified(4, '0') + " ]";

    StartLoose({{"a.psd", SolidPsd(8, 8, 0xFF)}});
    QString shown;
    const std::function<void(frmAbout&)> look = [&](frmAbout& about) {
      shown = about.lblQuelo->text() + "|" + about.lblVersion->text();
      QTest::mouseClick(about.cmdOK, Qt::LeftButton);
    };
    LookAtModalWindow([&] { ChooseFromMenu(Find<QMenu>("mnuHelp"), Find<QAction>("mnuHelpAbout")); }, look);
    QCOMPARE(shown, printed + "|" + line);
  }

  // The banner and the Help menu open the version window, modal, with the
  // program's icon; the Help menu and the popup open the pack window.
  void VersionAndPackWindowsAreModalOverTheMainWindow() {
    StartArchive();
    const QImage icon(QStringLiteral(QUELO_SOURCE_DIR "/packaging/quelo.png"));
    QCOMPARE(W().windowIcon().pixmap(48).toImage().pixel(24, 24), icon.pixel(24, 24));

    QStringList seen;  // title, first line, owner, icon of each window
    const std::function<void(frmAbout&)> look = [&](frmAbout& about) {
      seen << QStringLiteral("%1|%2|%3|%4")
                  .arg(about.windowTitle(), about.InfoText().section("\r\n", 0, 0))
                  .arg(about.parentWidget() == window_.get())
                  .arg(about.picIcon->Point(24, 24) == quelo::ui::PictureBox::FromQRgb(icon.pixel(24, 24)));
      QTest::mouseClick(about.cmdOK, Qt::LeftButton);
    };
    LookAtModalWindow([&] { QTest::mouseClick(Find<quelo::ui::PictureBox>("imgBanner"), Qt::LeftButton, {}, QPoint(10, 100)); }, look);
    LookAtModalWindow([&] { ChooseFromMenu(Find<QMenu>("mnuHelp"), Find<QAction>("mnuHelpAbout")); }, look);
    Activate();
    LookAtModalWindow([&] { Key(QKeyCombination(Qt::Key_F1)); }, look);
    LookAtModalWindow([&] { ChooseFromMenu(Find<QMenu>("mnuHelp"), Find<QAction>("mnuHelpPackInfo")); }, look);
    ClickPreview(1, Qt::RightButton);
    LookAtModalWindow([&] { ChooseFromMenu(Find<QMenu>("mnuPopPreviews"), Find<QAction>("mnuPopPreviewsPackProperty")); }, look);
    const QString version = "quelo のバージョン情報||1|1";
    const QString pack = "パッケージ テストパック の情報|[パッケージ名] テストパック|1|1";
    QCOMPARE(seen, (QStringList{version, version, version, pack, pack}));
  }
};

QTEST_MAIN(FrmMainInfoTest)
#include "FrmMainInfoTest.moc"
