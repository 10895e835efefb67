// The drawing surface on its own, offscreen: the retained picture and the row
// path; and the Qt dialogs' filter conversion. The user scale and the
// borders show in the window tests' status bar and strip geometry.
#include <QtTest>

#include "platform/qt/QtPlatform.h"
#include "ui/main/PictureBox.h"

using quelo::ui::PictureBox;

class PictureBoxTest : public QObject {
  Q_OBJECT

 private slots:
  // Resizing keeps the top-left pixels and fills new area; what was cut off does
  // not come back. Outside the picture reads are 0 and writes ignored, rows clipped.
  void PixelsSurviveResizingAndStayInside() {
    PictureBox box, pixels;
    box.SetBackColor(0x00FF00);
    box.resize(4, 3);  // hidden: Qt holds the resize event back, the picture follows anyway
    box.BeginImageDrawing();
    box.PSet(3, 2, 0x0000FF);
    box.PSet(0, 0, 0xFF0000);
    box.ResizePicture(6, 2);  // nothing reads the picture before it grows again
    box.ResizePicture(6, 3);
    QCOMPARE(box.Image().size(), QSize(6, 3));
    QCOMPARE(box.Point(0, 0), 0xFF0000u);
    QCOMPARE(box.Point(3, 2), 0x00FF00u);
    QCOMPARE(box.Point(-1, 0), 0u);
    pixels.resize(6, 3);
    pixels.BeginImageDrawing();
    const uint32_t colours[9] = {0x010203, 0x0A0B0C, 0xFFFFFF, 0, 0x808080, 0x123456, 0x654321, 7, 8};
    box.SetRow(-2, 1, colours, 9);
    for (int i = 0; i < 9; ++i) pixels.PSet(-2 + i, 1, colours[i]);
    QCOMPARE(box.Image().copy(0, 1, 6, 1), pixels.Image().copy(0, 1, 6, 1));
  }

  // Boxes include their corners; Cls clears the picture only while drawing is
  // retained. (The overlay's pixels show in the window tests' drop marker.)
  void BoxesAndClsTouchOnlyWhatIsRetained() {
    PictureBox box;
    box.resize(10, 4);
    box.SetBackColor(0xFFFFFF);
    box.SetAutoRedraw(true);
    box.FillBox(5, 0, 9, 3, 0x000000);
    QCOMPARE(box.Point(4, 3), 0xFFFFFFu);
    QCOMPARE(box.Point(9, 3), 0u);
    box.SetAutoRedraw(false);
    box.Cls();
    QCOMPARE(box.Point(9, 3), 0u);
    box.SetAutoRedraw(true);
    box.Cls();
    QCOMPARE(box.Point(9, 3), 0xFFFFFFu);
  }

  void DialogFiltersBecomeQtNameFilters() {
    QCOMPARE(quelo::platform::qt::QtNameFilters("Windows ビットマップ (.bmp)|*.bmp|Both|*.a;*.b"),
             (QStringList{QStringLiteral("Windows ビットマップ (.bmp) (*.bmp)"), QStringLiteral("Both (*.a *.b)")}));
  }
};

QTEST_MAIN(PictureBoxTest)
#include "PictureBoxTest.moc"
