// 表示 → アイコンのサイズ in the window: chosen with the mouse from the menu
// bar, it loads the folder again at that size without a question, the strip
// keeps what it holds, and the choice is kept for the next start.
#include <QMenu>
#include <QSettings>
#include <QtTest>

#include "image/SvgDocument.h"

#include "ui/MainWindowHarness.h"

using quelo::platform::MsgResult;
using quelo::test::Q;
using quelo::test::SolidPsd;

class FrmMainIconSizeTest : public QObject, protected quelo::test::MainWindowHarness {
  Q_OBJECT

  // 表示, then アイコンのサイズ, then the entry for side, each clicked.
  void ChooseIconSize(int side) {
    auto* show = Find<QMenu>("mnuShow");
    auto* sizes = Find<QMenu>("mnuShowIconSize");
    ChooseFromMenu(show, sizes->menuAction());
    QTRY_VERIFY(sizes->isVisible());
    QAction* entry = Find<QAction>(qPrintable(QStringLiteral("mnuShowIconSize%1").arg(side)));
    QVERIFY(entry);
    QTest::mouseClick(sizes, Qt::LeftButton, {}, sizes->actionGeometry(entry).center());
    QTRY_VERIFY(!show->isVisible());
  }
  QString Checked() {
    for (QAction* a : Find<QMenu>("mnuShowIconSize")->actions())
      if (a->isChecked()) return a->text();
    return {};
  }

 private slots:
  void init() { SetUpWindow(); }
  void cleanup() { TearDownWindow(); }

  void SizeReloadsThePreviewsAndTheStripKeepsItsImages() {
    const std::string svg =
        "<svg xmlns='http://www.w3.org/2000/svg' width='64' height='64'><rect width='64' height='64' fill='#00f'/></svg>";
    StartLoose({{"a.psd", SolidPsd(48, 48, 0x0000FF)},
                {"b.svg", std::vector<uint8_t>(svg.begin(), svg.end())},
                {"c.ico", quelo::test::ReadAll(quelo::test::TestData("iconset_im_multi.ico"))}});
    if (!quelo::InstalledSvgRenderer()) QSKIP("this build's Qt has no SVG module: SVG documents are refused");
    QCOMPARE(Names(), QStringLiteral("a.psd b.svg c.ico"));
    QCOMPARE(ImageSizes(), QStringLiteral("48x48 64x64 256x256"));
    QCOMPARE(Checked(), QStringLiteral("元のサイズ(&O)"));
    DoubleClickPreview(1);
    QCOMPARE(ListLines(), QStringLiteral("a.psd"));
    QCOMPARE(CanvasSize(), QSize(48, 48));

    ChooseIconSize(24);
    QCOMPARE(TakeMessages(), QString());
    QCOMPARE(ImageSizes(), QStringLiteral("24x24 24x24 24x24"));
    QCOMPARE(Checked(), QStringLiteral("&24 × 24"));
    // The icon's 32 entry (lime) shrunk, as the panel shows it.
    QCOMPARE(PreviewPixel(3, 12, 12), 0x00FF00u);
    QCOMPARE(PreviewPixel(2, 12, 12), 0xFF0000u);  // blue, 0x00BBGGRR
    // The strip's image stays at 48, red over its whole width.
    QCOMPARE(ListLines(), QStringLiteral("a.psd"));
    QCOMPARE(CanvasSize(), QSize(48, 48));
    QCOMPARE(Canvas(47, 47), 0x0000FFu);
    // An image added now comes at 24; the height question keeps 48 (いいえ).
    dialogs_->answers.push_back(MsgResult::No);
    DoubleClickPreview(2);
    QVERIFY(TakeMessages().contains(QStringLiteral("高さ")));
    QCOMPARE(ListLines(), QStringLiteral("a.psd b.svg"));
    QCOMPARE(CanvasSize(), QSize(72, 48));
    QCOMPARE(Canvas(47, 20), 0x0000FFu);
    QCOMPARE(Canvas(60, 12), 0xFF0000u);
    // 再描画 draws every entry from the image it holds.
    ChooseFromMenu(Find<QMenu>("mnuShow"), Find<QAction>("mnuShowRedraw"));
    QCOMPARE(Canvas(40, 40), 0x0000FFu);
    QCOMPARE(Canvas(60, 12), 0xFF0000u);

    QCOMPARE(QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("quelo"), QStringLiteral("quelo"))
                 .value(QStringLiteral("IconSize"))
                 .toInt(),
             24);
    // The next start shows the folder at 24.
    window_.reset();
    StartIn(dir_->File("quelo"));
    QCOMPARE(Checked(), QStringLiteral("&24 × 24"));
    QCOMPARE(ImageSizes(), QStringLiteral("24x24 24x24 24x24"));
    ChooseIconSize(0);
    QCOMPARE(ImageSizes(), QStringLiteral("48x48 64x64 256x256"));
    QCOMPARE(TakeMessages(), QString());
  }
};

QTEST_MAIN(FrmMainIconSizeTest)
#include "FrmMainIconSizeTest.moc"
