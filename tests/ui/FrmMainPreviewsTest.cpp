// The preview panel, offscreen, driven with the mouse, the wheel and the keys:
// what is selected and marked, what the popup then adds, where the previews
// stand after scrolling, also in a pack of 5000 images.
#include <QDrag>
#include <QMenu>
#include <QScrollBar>
#include <QFontMetrics>
#include <QToolTip>
#include <QtTest>

#include "ui/MainWindowHarness.h"

using quelo::ui::PictureBox;

class FrmMainPreviewsTest : public QObject, protected quelo::test::MainWindowHarness {
  Q_OBJECT

 private:
  // Images p0001.psd ... of 8 x `height`, each an opaque colour of its own
  // (red = number % 256, green = number / 256), in the active window.
  static uint32_t Colour(int k) { return static_cast<uint32_t>(k % 256 | (k / 256) << 8); }
  void Start(int count, int height = 16) {
    for (int k = 1; k <= count; ++k)
      quelo::test::WriteAll(dir_->File(QString::asprintf("p%04d.psd", k).toStdString()),
                            quelo::test::SolidPsd(8, height, Colour(k)));
    StartIn(dir_->File("quelo"));
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }
  PictureBox* Panel() { return W().picPreviews; }
  // Whether preview k carries the selection marking: its caption band and frame.
  bool Marked(int k) {
    const int top = W().picPreview[static_cast<size_t>(k)].top;
    const uint32_t highlight = quelo::platform::GetSysColor(quelo::platform::syscolor::kHighlight);
    return Panel()->Point(1, top - 2) == highlight && Panel()->Point(0, top + 8) == highlight;
  }
  // The panel's top preview is `top`; preview k is selected, marked, and shows its image.
  void ExpectView(int top, int k) {
    QCOMPARE(W().vscPreviews->value(), top);
    QCOMPARE(W().SelectedPreview, int16_t(k));
    QVERIFY(Marked(k));
    QCOMPARE(PreviewPixel(k, 4, 4), Colour(k));
  }
  void Wheel(int notches) {
    QWheelEvent wheel(QPointF(10, 10), Panel()->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(Panel(), &wheel);
  }
  void Keys(std::initializer_list<QKeyCombination> keys) {
    for (QKeyCombination key : keys) QTest::keyClick(Panel(), key.key(), key.keyboardModifiers());
  }
  // The popup opens; its first command puts the selected image at the front.
  void PopupAddFirst() {
    QVERIFY(W().mnuPopPreviews->isVisible());
    W().mnuPopPreviews->hide();
    W().mnuPopPreviewsAddFirst->trigger();
  }

 private slots:
  void init() { SetUpWindow(); }
  void cleanup() { TearDownWindow(); }

  // The panel holds the focus from the start without a selection; a press on a
  // preview selects it whatever held the focus, and the popup adds that image.
  // A left press moved past the drag distance drags the preview's index with
  // the program's process id; a shorter move starts nothing.
  void APressSelectsThePreviewThatAlreadyHoldsTheFocus() {
    Start(10);
    Panel()->setFocus(Qt::ActiveWindowFocusReason);  // as the window gives it when shown
    QVERIFY(Panel()->hasFocus() && W().SelectedPreview == -1 && !Marked(1));
    ClickPreview(1);
    ExpectView(1, 1);

    // A wheel step moves the selection to the top preview; the focus stays.
    ClickPreview(6);
    Wheel(1);
    ExpectView(4, 4);
    QVERIFY(!Marked(6));
    ClickPreview(6, Qt::RightButton);
    ExpectView(4, 6);
    PopupAddFirst();
    QCOMPARE(ListLines(), QStringLiteral("p0006.psd"));
    QTest::mouseClick(Panel(), Qt::LeftButton, {}, PreviewPoint(7) - QPoint(0, 9));  // between two: nothing new
    QCOMPARE(W().SelectedPreview, int16_t(6));

    const QPoint at = PreviewPoint(5);
    QTest::mousePress(Panel(), Qt::LeftButton, {}, at);
    QTest::mouseMove(Panel(), at + QPoint(1, 0));
    QVERIFY(Panel()->findChildren<QDrag*>().isEmpty());
    // A platform whose drag waits for the user has it cancelled; offscreen it ends at once.
    QTimer::singleShot(0, this, [] { QDrag::cancel(); });
    QTest::mouseMove(Panel(), at + QPoint(0, QApplication::startDragDistance()));
    const auto* drag = Panel()->findChild<QDrag*>();
    QVERIFY(drag);
    QCOMPARE(drag->mimeData()->data(QStringLiteral("application/x-quelo-preview")),
             QByteArray::number(QCoreApplication::applicationPid()) + " 5");
    QCOMPARE(PictureBox::FromQRgb(drag->pixmap().toImage().pixel(0, 0)), Colour(5));
  }

  void TheKeyboardMovesAddsAndOpensThePopup() {
    Start(30);
    ClickPreview(2);
    Keys({Qt::Key_Down, Qt::Key_Tab});
    QCOMPARE(W().SelectedPreview, int16_t(4));
    Keys({Qt::Key_Up, Qt::SHIFT | Qt::Key_Tab, Qt::SHIFT | Qt::Key_Backtab});
    QCOMPARE(W().SelectedPreview, int16_t(1));
    Keys({Qt::Key_Up, Qt::Key_Return, Qt::Key_Down, Qt::Key_Space});  // nothing above the first
    QCOMPARE(ListLines(), QStringLiteral("p0001.psd p0002.psd"));
    Keys({Qt::Key_Menu});
    PopupAddFirst();
    Keys({Qt::Key_Down, Qt::SHIFT | Qt::Key_F10});
    PopupAddFirst();
    QCOMPARE(ListLines(), QStringLiteral("p0003.psd p0002.psd p0001.psd p0002.psd"));

    // Going down past the panel's bottom scrolls just enough to show the
    // selected preview whole; going up past the top scrolls back with it.
    int k = W().SelectedPreview;
    for (; W().vscPreviews->value() == 1 && k < 30; ++k) Keys({Qt::Key_Down});
    const int top = W().vscPreviews->value(), inner = Panel()->InnerHeight();
    QVERIFY(top > 1);
    ExpectView(top, k);
    const auto e = W().picPreview[static_cast<size_t>(k)];
    QVERIFY(e.top + e.height + 1 < inner && e.top + e.height + 1 + 16 + W().CaptionHeight + 1 >= inner);
    for (int i = k; i >= top; --i) Keys({Qt::Key_Up});
    ExpectView(top - 1, top - 1);

    W().vscPreviews->setValue(30);
    Keys({Qt::Key_Tab});  // after the last preview: leaves the panel
    QVERIFY(!Panel()->hasFocus());
    QCOMPARE(W().SelectedPreview, int16_t(30));
  }

  // A pack of 5000: to the last preview and back, the list click, the wheel.
  void AFiveThousandImagePackScrollsEndToEnd() {
    Start(5000, 8);
    QCOMPARE(W().vscPreviews->maximum(), 5000);
    const int top1 = W().picPreview[1].top;
    DoubleClickPreview(3);
    W().vscPreviews->setValue(5000);
    QCOMPARE(W().picPreview[5000].top, top1);
    QVERIFY(!W().picPreview[4999].visible && W().picPreview[5000].visible);
    ExpectView(5000, 5000);
    DoubleClickPreview(5000);
    QCOMPARE(ListLines(), QStringLiteral("p0003.psd p5000.psd"));

    // Back up: the selection stays on 5000, far below, and its marking with it.
    W().vscPreviews->setValue(1);
    QCOMPARE(W().picPreview[1].top, top1);
    QVERIFY(W().SelectedPreview == 5000 && !Marked(1));
    QCOMPARE(PreviewPixel(2, 4, 4), Colour(2));

    W().vscPreviews->setValue(4000);
    Click(0);  // its preview is scrolled far away: the panel comes to it
    ExpectView(2, 3);
    Wheel(2);
    ExpectView(7, 7);
    Wheel(-1);
    ExpectView(4, 7);
    Keys({Qt::Key_Down});  // in view already: nothing scrolls
    ExpectView(4, 8);
  }

  // An image longer than 256 pixels a side is shown scaled down to 256 along its
  // long side, keeping its shape: 600 x 30 as 256 x 13, 30 x 600 as 13 x 256. The
  // panel shows the image's colour to the last pixel of that size and not beyond.
  void ALongImageIsShownScaledDownToItsShape() {
    const uint32_t wide = 0x2040C0, tall = 0x30A050;
    StartLoose({{"a-wide.psd", quelo::test::SolidPsd(600, 30, wide)}, {"b-tall.psd", quelo::test::SolidPsd(30, 600, tall)}});
    window_->resize(1000, 900);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    struct Shown {
      int k;
      QSize size;
      uint32_t colour;
    };
    for (const Shown& shown : {Shown{1, QSize(256, 13), wide}, Shown{2, QSize(13, 256), tall}}) {
      W().vscPreviews->setValue(shown.k);  // the preview at the top, whole in view
      const auto e = W().picPreview[static_cast<size_t>(shown.k)];
      QCOMPARE(QSize(e.width, e.height), shown.size);
      const QImage panel = Panel()->grab().toImage();
      const auto at = [&](int x, int y) { return PictureBox::FromQRgb(panel.pixel(InPanel(shown.k, x, y))); };
      const int w = shown.size.width(), h = shown.size.height();
      QVERIFY(InPanel(shown.k, w, h).y() < panel.height());
      QCOMPARE(at(0, 0), shown.colour);
      QCOMPARE(at(w - 1, h - 1), shown.colour);
      QVERIFY(at(w, h / 2) != shown.colour);  // right of it
      QVERIFY(at(w / 2, h) != shown.colour);  // below it
    }
  }

  // A display name longer than its preview is wide: the selected preview's
  // caption ends in "…" inside its band, and the tooltip shows the name whole.
  void ACutNameShowsAsATooltip() {
    const std::string longName = "a-rather-long-name-for-so-small-an-icon.psd";
    StartLoose({{longName, quelo::test::SolidPsd(100, 16, 1)}, {"b.psd", quelo::test::SolidPsd(100, 16, 2)}});
    QStringList captions;
    for (int k : {1, 2}) {
      ClickPreview(k);
      captions << Panel()->PrintedTexts().back().text;
    }
    QCOMPARE(captions[1], QStringLiteral("b.psd"));
    QVERIFY2(captions[0].startsWith(QStringLiteral("a-rather")) && captions[0].endsWith(QChar(0x2026)),
             qPrintable(captions[0]));
    QVERIFY(QFontMetrics(Panel()->font()).horizontalAdvance(captions[0]) <= 100 - 1);
    for (int k : {1, 2}) {
      QHelpEvent help(QEvent::ToolTip, PreviewPoint(k), Panel()->mapToGlobal(PreviewPoint(k)));
      QCoreApplication::sendEvent(Panel(), &help);
      if (k == 1) QTRY_COMPARE(QToolTip::text(), QString::fromStdString(longName));
    }
    QTRY_VERIFY(QToolTip::text().isEmpty());
  }
};

QTEST_MAIN(FrmMainPreviewsTest)
#include "FrmMainPreviewsTest.moc"
