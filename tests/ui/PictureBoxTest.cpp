// The drawing surface on its own, offscreen: the retained picture, the overlay,
// the row path, the user scale; and the Qt dialogs' filter conversion.
#include <QtTest>

#include "platform/qt/QtPlatform.h"
#include "ui/main/PictureBox.h"

using quelo::ui::PictureBox;

class PictureBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void ResizingKeepsTopLeftPixelsAndFillsNewArea() {
    PictureBox box;
    box.SetBackColor(0x00FF00);
    box.resize(4, 3);  // hidden: Qt holds the resize event back, the picture follows anyway
    box.BeginImageDrawing();
    box.PSet(3, 2, 0x0000FF);
    box.PSet(0, 0, 0xFF0000);
    box.resize(6, 2);
    QCOMPARE(box.Image().size(), QSize(6, 2));
    QCOMPARE(box.Point(0, 0), 0xFF0000u);
    QCOMPARE(box.Point(5, 1), 0x00FF00u);  // new area in the fill colour
    box.resize(6, 3);
    QCOMPARE(box.Point(3, 2), 0x00FF00u);  // cut off before, not brought back
    QCOMPARE(box.Point(-1, 0), 0u);        // outside reads as 0
    box.PSet(10, 10, 0x123456);            // and is ignored
  }

  void RowPathGivesTheSamePixelsAsSinglePixels() {
    PictureBox rows, pixels;
    rows.resize(5, 2);
    pixels.resize(5, 2);
    rows.BeginImageDrawing();
    pixels.BeginImageDrawing();
    const uint32_t colours[7] = {0x010203, 0x0A0B0C, 0xFFFFFF, 0, 0x808080, 0x123456, 0x654321};
    rows.SetRow(-2, 1, colours, 7);  // clipped on both sides
    for (int i = 0; i < 7; ++i) pixels.PSet(-2 + i, 1, colours[i]);
    QCOMPARE(rows.Image(), pixels.Image());
    uint32_t back[5] = {};
    rows.GetRow(0, 1, back, 5);
    QCOMPARE(back[0], 0xFFFFFFu);
    QCOMPARE(back[4], 0x654321u);
  }

  void OverlayIsTransientAndClsClearsOnlyWhatIsRetained() {
    PictureBox box;
    box.resize(10, 10);
    box.SetBackColor(0xFFFFFF);
    box.SetAutoRedraw(true);
    box.FillBox(0, 0, 4, 4, 0x0000FF);  // covers both corners
    box.SetAutoRedraw(false);
    box.SetDrawWidth(3);
    box.Line(8, 0, 8, 9, 0x00FF00);  // overlay only
    QCOMPARE(box.Point(4, 4), 0x0000FFu);
    QCOMPARE(box.Point(5, 5), 0xFFFFFFu);
    QCOMPARE(box.Point(8, 5), 0xFFFFFFu);
    box.Cls();  // retained drawing off: the picture stays
    QCOMPARE(box.Point(0, 0), 0x0000FFu);
    box.SetAutoRedraw(true);
    box.Cls();
    QCOMPARE(box.Point(0, 0), 0xFFFFFFu);
  }

  void MergePenNotShowsOnEveryBackgroundAndStaysOffThePicture() {
    PictureBox box;
    box.resize(10, 4);
    box.SetBackColor(0xFFFFFF);
    box.SetAutoRedraw(true);
    box.FillBox(5, 0, 9, 3, 0x000000);
    box.SetAutoRedraw(false);
    box.SetDrawMode(PictureBox::DrawMode::MergePenNot);
    box.SetDrawWidth(3);
    box.Line(0, 1, 9, 1, 0x0000FF);  // red pen
    QImage shown = box.grab().toImage();
    QCOMPARE(shown.pixelColor(2, 1), QColor(255, 0, 0));      // red OR NOT white
    QCOMPARE(shown.pixelColor(7, 1), QColor(255, 255, 255));  // red OR NOT black
    QCOMPARE(box.Point(2, 1), 0xFFFFFFu);                      // the picture is untouched
    box.ClearOverlay();
    shown = box.grab().toImage();
    QCOMPARE(shown.pixelColor(2, 1), QColor(255, 255, 255));
  }

  void UserScaleMapsOntoTheInnerArea() {
    PictureBox bar;
    bar.resize(200, 10);
    bar.SetScale(100, 255);
    bar.SetAutoRedraw(true);
    bar.FillBox(0, 0, 25, bar.ScaleHeight(), 0x000000);
    QCOMPARE(bar.Point(50, 9), 0x000000u);
    QVERIFY(bar.Point(51, 0) != 0x000000u);
    PictureBox framed(nullptr, PictureBox::Border::Sunken);
    framed.resize(20, 12);
    QCOMPARE(framed.Image().size(), QSize(16, 8));
    QWidget child(&framed);
    framed.PlaceChild(&child, 3, 4);
    QCOMPARE(child.pos(), QPoint(5, 6));
    QCOMPARE(framed.ChildTop(&child), 4);
  }

  void DialogFiltersBecomeQtNameFilters() {
    QCOMPARE(quelo::platform::qt::QtNameFilters("Windows ビットマップ (.bmp)|*.bmp|全てのファイル|*.*"),
             (QStringList{QStringLiteral("Windows ビットマップ (.bmp) (*.bmp)"), QStringLiteral("全てのファイル (*.*)")}));
    QCOMPARE(quelo::platform::qt::QtNameFilters("psd ファイル |*.psd|Both|*.a;*.b"),
             (QStringList{QStringLiteral("psd ファイル (*.psd)"), QStringLiteral("Both (*.a *.b)")}));
  }
};

QTEST_MAIN(PictureBoxTest)
#include "PictureBoxTest.moc"
