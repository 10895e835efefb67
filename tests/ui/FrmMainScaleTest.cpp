// The main window on a screen with more device pixels than pixels (run with
// QT_SCALE_FACTOR 2 and 1.5), offscreen, grabbed as the screen shows it: text
// and frames drawn sharp, pictures scaled as pictures, and the pointer, the
// marker and the saved strip where they are at scale 1.
#include <QPainter>

#include <cmath>

#include "ui/MainWindowHarness.h"
#include "ui/PillowImage.h"

using namespace quelo::test;
using quelo::ui::PictureBox;

namespace {

// A checkerboard of single red and white pixels: any blending shows.
std::vector<uint8_t> CheckerPsd(int width, int height) {
  std::vector<uint8_t> pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (uint8_t c : (x + y) % 2 ? std::vector<uint8_t>{255, 255, 255} : std::vector<uint8_t>{255, 0, 0})
        pixels.push_back(c);
  return MakePsd(width, height, 3, pixels);
}

}  // namespace

class FrmMainScaleTest : public QObject, protected MainWindowHarness {
  Q_OBJECT

  double ratio_ = 1;

  // The box as the screen shows it, and as it would show its 1x picture scaled
  // the way pictures are (whole blocks at a whole factor, smooth otherwise).
  QImage Shown(PictureBox* box) { return box->grab().toImage().convertToFormat(QImage::Format_RGB32); }
  QImage Scaled1x(PictureBox* box) {
    QImage scaled(box->grab().toImage().size(), QImage::Format_RGB32);
    scaled.setDevicePixelRatio(ratio_);
    scaled.fill(Qt::black);
    QPainter p(&scaled);
    p.setRenderHint(QPainter::SmoothPixmapTransform, ratio_ != std::floor(ratio_));
    const int b = box->BorderWidth();
    p.drawImage(QRectF(b, b, box->Image().width(), box->Image().height()), box->Image());
    return scaled;
  }
  // How many device pixels of the logical rectangle differ between two pictures.
  int Differing(const QImage& a, const QImage& b, const QRect& logical) {
    const QRect r(QPoint(int(std::ceil(logical.left() * ratio_)), int(std::ceil(logical.top() * ratio_))),
                  QPoint(int(logical.right() * ratio_), int(logical.bottom() * ratio_)));
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
  }

 private slots:
  void initTestCase() {
    ratio_ = qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble();
    QVERIFY2(ratio_ > 1, "run with QT_SCALE_FACTOR above 1");
  }
  void init() { SetUpWindow(); }
  void cleanup() { TearDownWindow(); }

  // The empty strip's hint, the status text and a selected preview's caption
  // are drawn at the screen's resolution, not scaled up from 1x pixels (where
  // they would equal the scaled 1x picture); the pictures of the strip are the
  // 1x pixels scaled as pictures, to the last device pixel.
  void TextIsSharpAndPicturesAreScaledAsPictures() {
    StartLoose({{"a.psd", SolidPsd(32, 32, 0x0000FF)}, {"checker.psd", CheckerPsd(40, 32)}});
    W().show();
    ClickPreview(2);
    QCOMPARE(W().picMain->devicePixelRatioF(), ratio_);
    const auto caption = W().picPreview[2];
    struct Case { PictureBox* box; QRect text; };
    for (const Case& c : {Case{W().picMain, QRect(10, 8, 280, 44)}, Case{W().picProgress, QRect(0, 0, 200, 15)},
                          Case{W().picPreviews, QRect(caption.left + 2, caption.top - W().CaptionHeight + 3, 30,
                                                      W().CaptionHeight - 4)}}) {
      const int area = int(c.text.width() * c.text.height() * ratio_ * ratio_);
      QVERIFY2(Differing(Shown(c.box), Scaled1x(c.box), c.text) > area / 100, qPrintable(c.box->objectName()));
    }

    for (int k : {1, 2}) DoubleClickPreview(k);
    QCOMPARE(Differing(Shown(W().picMain), Scaled1x(W().picMain), QRect(1, 1, 70, 30)), 0);
  }

  // The strip list shows its whole frame, clear of the status bar above it,
  // wherever the preview panel's width puts it (its edges falling on whole
  // device pixels or between them).
  void TheStripListShowsItsWholeFrame() {
    for (int widest : {32, 33, 256}) {
      TearDownWindow();
      SetUpWindow();
      StartLoose({{"a.psd", SolidPsd(widest, 16, 0x0000FF)}});
      W().show();
      QVERIFY(QTest::qWaitForWindowExposed(&W()));
      const QImage shown = W().centralWidget()->grab().toImage();
      const QRgb frame = PictureBox::ToQRgb(quelo::platform::GetSysColor(quelo::platform::syscolor::kButtonShadow));
      const QRect list = W().lstImages->geometry();
      // Device pixels of each side's outermost logical pixel, at its middle.
      const int left = int(std::ceil(list.left() * ratio_)), right = int(std::ceil((list.right() + 1) * ratio_)) - 1;
      const int top = int(std::ceil(list.top() * ratio_)), bottom = int(std::ceil((list.bottom() + 1) * ratio_)) - 1;
      const int midX = int(list.center().x() * ratio_), midY = int(list.center().y() * ratio_);
      auto drawn = [&](int x, int y, int dx, int dy) {
        return (shown.pixel(x, y) | 0xFF000000u) == (frame | 0xFF000000u) ||
               (shown.pixel(x + dx, y + dy) | 0xFF000000u) == (frame | 0xFF000000u);
      };
      const QString at = QStringLiteral("panel for %1 pixels").arg(widest);
      QVERIFY2(drawn(left, midY, 1, 0), qPrintable(at + ": left"));
      QVERIFY2(drawn(right, midY, -1, 0), qPrintable(at + ": right"));
      QVERIFY2(drawn(midX, top, 0, 1), qPrintable(at + ": top"));
      QVERIFY2(drawn(midX, bottom, 0, -1), qPrintable(at + ": bottom"));
    }
  }

  // Presses, drops and the marker use the same pixels as at scale 1; the
  // saved strip has the strip's own size, as Pillow reads it.
  void PointerMarkerAndSavedStripKeepTheirPixels() {
    StartLoose({{"a.psd", SolidPsd(32, 32, 0x0000FF)}, {"b.psd", SolidPsd(40, 32, 0x00FF00)},
                {"c.psd", SolidPsd(48, 32, 0xFF0000)}});
    W().show();
    for (int k : {1, 2, 3}) DoubleClickPreview(k);
    for (auto [x, row] : {std::pair{31, 0}, {32, 1}, {71, 1}, {72, 2}}) {
      QTest::mousePress(W().picMain, Qt::LeftButton, {}, QPoint(x, 5));
      QTest::mouseRelease(W().picMain, Qt::LeftButton, {}, QPoint(x, 5));
      QCOMPARE(W().lstImages->currentRow(), row);
    }
    // A drag over x = 56 marks the gap at 72 (green | blue): three pixels wide there.
    W().picMain_DragOver(56);
    const QImage shown = Shown(W().picMain);
    auto at = [&](double x) { return QColor(shown.pixel(int((x + 0.5) * ratio_), int(16.5 * ratio_))); };
    QCOMPARE(at(70), QColor(0, 255, 0));
    QCOMPARE(at(71), QColor(255, 0, 255));  // red OR NOT green
    QCOMPARE(at(73), QColor(255, 255, 0));  // red OR NOT blue
    QCOMPARE(at(74), QColor(0, 0, 255));

    QVERIFY(W().SaveStripBitmap(dir_->File("strip.bmp")));
    const Decoded saved = Pillow(Q(dir_->File("strip.bmp")));
    QCOMPARE(saved.what, QStringLiteral("BMP RGB"));
    QCOMPARE(saved.image.size(), QSize(120, 32));
    QCOMPARE(saved.image.pixelColor(71, 31), QColor(0, 255, 0));
    QCOMPARE(saved.image.pixelColor(72, 0), QColor(0, 0, 255));
  }
};

QTEST_MAIN(FrmMainScaleTest)
#include "FrmMainScaleTest.moc"
