// The preview panel, offscreen, driven with the mouse, the wheel and the keys:
// what is selected and marked, what the popup then adds, where the previews
// stand after scrolling, also in a pack of 5000 images.
#include <QDrag>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <QToolTip>
#include <QtTest>

#include <memory>

#include "platform/Platform.h"
#include "support/PsdWriter.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"
#include "ui/main/PictureBox.h"
#include "ui/main/frmMain.h"
#include "ui/MainWindowHarness.h"

using quelo::platform::GetSysColor;
using quelo::ui::frmMain;
using quelo::ui::PictureBox;
namespace syscolor = quelo::platform::syscolor;

class FrmMainPreviewsTest : public QObject, protected quelo::test::MainWindowHarness {
  Q_OBJECT

 private:
  // Images p0001.psd ... named by number, `width` x `height`, each an opaque
  // colour of its own (red = number % 256, green = number / 256).
  static uint32_t Colour(int k) { return static_cast<uint32_t>(k % 256 | (k / 256) << 8); }
  void Start(int count, int height = 16, int width = 8, const std::string& longName = {}) {
    for (int k = 1; k <= count; ++k) {
      std::vector<uint8_t> pixels;
      for (int i = 0; i < width * height; ++i) pixels.insert(pixels.end(), {uint8_t(k % 256), uint8_t(k / 256), 0});
      char name[32];
      std::snprintf(name, sizeof name, "p%04d.psd", k);
      quelo::test::WriteAll(dir_->File(k == 1 && !longName.empty() ? longName : name),
                            quelo::test::MakePsd(width, height, 3, pixels));
    }
    StartIn(dir_->File("quelo"));
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }
  QWidget* Panel() { return W().picPreviews; }
  // The colour the panel shows in the middle of preview k.
  uint32_t Shown(int k) {
    const QPoint at = PreviewPoint(k);
    return PictureBox::FromQRgb(W().picPreviews->grab().toImage().pixel(at));
  }
  // Whether preview k carries the selection marking: its caption band and frame.
  bool Marked(int k) {
    const int top = W().picPreview[static_cast<size_t>(k)].top;
    const uint32_t highlight = GetSysColor(syscolor::kHighlight);
    return W().picPreviews->Point(1, top - 2) == highlight && W().picPreviews->Point(0, top + 8) == highlight;
  }
  static uint32_t Rgb(QRgb rgb) { return PictureBox::FromQRgb(rgb); }
  void Wheel(int notches) {
    QWheelEvent wheel(QPointF(10, 10), Panel()->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(Panel(), &wheel);
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(Panel(), key, modifiers); }
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
  void APressSelectsThePreviewThatAlreadyHoldsTheFocus() {
    Start(10);
    W().picPreviews->setFocus(Qt::ActiveWindowFocusReason);  // as the window gives it when shown
    QVERIFY(Panel()->hasFocus());
    QCOMPARE(W().SelectedPreview, int16_t(-1));
    QVERIFY(!Marked(1));
    QTest::mousePress(Panel(), Qt::LeftButton, {}, PreviewPoint(1));
    QTest::mouseRelease(Panel(), Qt::LeftButton, {}, PreviewPoint(1));
    QCOMPARE(W().SelectedPreview, int16_t(1));
    QVERIFY(Marked(1));

    // A wheel step moves the selection to the top preview; the focus stays.
    QTest::mouseClick(Panel(), Qt::LeftButton, {}, PreviewPoint(6));
    Wheel(1);
    QCOMPARE(W().vscPreviews->value(), 4);
    QCOMPARE(W().SelectedPreview, int16_t(4));
    QVERIFY(Marked(4) && !Marked(6));
    QTest::mousePress(Panel(), Qt::RightButton, {}, PreviewPoint(6));
    QTest::mouseRelease(Panel(), Qt::RightButton, {}, PreviewPoint(6));
    QCOMPARE(W().SelectedPreview, int16_t(6));
    QVERIFY(Marked(6));
    PopupAddFirst();
    QCOMPARE(ListLines(), QStringLiteral("p0006.psd"));
    // A press between two previews selects nothing new.
    const QPoint gap = PreviewPoint(7) - QPoint(0, 9);
    QTest::mouseClick(Panel(), Qt::LeftButton, {}, gap);
    QCOMPARE(W().SelectedPreview, int16_t(6));
  }

  void TheKeyboardMovesAddsAndOpensThePopup() {
    Start(30);
    QTest::mouseClick(Panel(), Qt::LeftButton, {}, PreviewPoint(2));
    Key(Qt::Key_Down);
    Key(Qt::Key_Tab);
    QCOMPARE(W().SelectedPreview, int16_t(4));
    Key(Qt::Key_Up);
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(W().SelectedPreview, int16_t(1));
    Key(Qt::Key_Up);  // nothing above the first
    QCOMPARE(W().SelectedPreview, int16_t(1));
    Key(Qt::Key_Return);
    Key(Qt::Key_Down);
    Key(Qt::Key_Space);
    QCOMPARE(ListLines(), QStringLiteral("p0001.psd p0002.psd"));
    Key(Qt::Key_Menu);
    PopupAddFirst();
    Key(Qt::Key_Down);
    Key(Qt::Key_F10, Qt::ShiftModifier);
    PopupAddFirst();
    QCOMPARE(ListLines(), QStringLiteral("p0003.psd p0002.psd p0001.psd p0002.psd"));

    // Going down past the panel's bottom scrolls just enough to show the
    // selected preview whole, and keeps it selected.
    const int inner = W().picPreviews->InnerHeight();
    int k = W().SelectedPreview;
    for (; W().vscPreviews->value() == 1 && k < 30; ++k) Key(Qt::Key_Down);
    QCOMPARE(W().SelectedPreview, int16_t(k));
    QVERIFY(W().vscPreviews->value() > 1);
    const auto e = W().picPreview[static_cast<size_t>(k)];
    QVERIFY(e.top + e.height + 1 < inner && e.top + e.height + 1 + 16 + W().CaptionHeight + 1 >= inner);
    QVERIFY(Marked(k));
    QCOMPARE(Shown(k), Colour(k));
    // Going up past the top scrolls back with it.
    const int top = W().vscPreviews->value();
    for (int i = k; i >= top; --i) Key(Qt::Key_Up);
    QCOMPARE(W().vscPreviews->value(), top - 1);
    QCOMPARE(W().SelectedPreview, int16_t(top - 1));
    QVERIFY(Marked(top - 1));

    // Tab after the last preview leaves the panel.
    W().vscPreviews->setValue(30);
    QCOMPARE(W().SelectedPreview, int16_t(30));
    Key(Qt::Key_Tab);
    QVERIFY(!Panel()->hasFocus());
    QCOMPARE(W().SelectedPreview, int16_t(30));
  }

  // A pack of 5000: to the last preview and back, the list click, the wheel.
  void AFiveThousandImagePackScrollsEndToEnd() {
    Start(5000, 8);
    QCOMPARE(W().vscPreviews->maximum(), 5000);
    const int top1 = W().picPreview[1].top;
    QCOMPARE(Shown(1), Colour(1));
    QTest::mouseDClick(Panel(), Qt::LeftButton, {}, PreviewPoint(3));
    W().vscPreviews->setValue(5000);
    QCOMPARE(W().picPreview[5000].top, top1);
    QVERIFY(!W().picPreview[4999].visible && W().picPreview[5000].visible);
    QCOMPARE(W().SelectedPreview, int16_t(5000));
    QVERIFY(Marked(5000));
    QCOMPARE(Shown(5000), Colour(5000));
    QTest::mouseDClick(Panel(), Qt::LeftButton, {}, PreviewPoint(5000));
    QCOMPARE(ListLines(), QStringLiteral("p0003.psd p5000.psd"));

    // Back up: the selection stays on 5000, far below, and its marking with it.
    W().vscPreviews->setValue(1);
    QCOMPARE(W().picPreview[1].top, top1);
    QCOMPARE(W().SelectedPreview, int16_t(5000));
    QVERIFY(!Marked(1));
    QCOMPARE(Shown(2), Colour(2));

    // A click on a line whose preview is scrolled away brings the panel to it.
    W().vscPreviews->setValue(4000);
    QListWidget* list = W().lstImages;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QCOMPARE(W().vscPreviews->value(), 2);
    QCOMPARE(W().SelectedPreview, int16_t(3));
    QVERIFY(Marked(3));
    QCOMPARE(Shown(3), Colour(3));

    Wheel(2);
    QCOMPARE(W().vscPreviews->value(), 7);
    QCOMPARE(W().SelectedPreview, int16_t(7));
    QCOMPARE(Shown(7), Colour(7));
    Wheel(-1);
    QCOMPARE(W().vscPreviews->value(), 4);
    QCOMPARE(W().SelectedPreview, int16_t(7));
    QVERIFY(Marked(7));
    Key(Qt::Key_Down);  // in view already: nothing scrolls
    QCOMPARE(W().vscPreviews->value(), 4);
    QCOMPARE(W().SelectedPreview, int16_t(8));
  }

  // A left press moved past the drag distance drags the preview's index with
  // the program's process id; a shorter move starts nothing.
  void APressAndMoveDragsThePreview() {
    Start(10);
    W().vscPreviews->setValue(3);
    const QPoint at = PreviewPoint(5);
    QTest::mousePress(Panel(), Qt::LeftButton, {}, at);
    QTest::mouseMove(Panel(), at + QPoint(1, 0));
    QVERIFY(Panel()->findChildren<QDrag*>().isEmpty());
    // A platform whose drag waits for the user has it cancelled; offscreen it
    // ends at once.
    QTimer::singleShot(0, this, [] { QDrag::cancel(); });
    QTest::mouseMove(Panel(), at + QPoint(0, QApplication::startDragDistance()));
    const auto* drag = Panel()->findChild<QDrag*>();
    QVERIFY(drag);
    QCOMPARE(drag->mimeData()->data(QStringLiteral("application/x-quelo-preview")),
             QByteArray::number(QCoreApplication::applicationPid()) + " 5");
    QCOMPARE(Rgb(drag->pixmap().toImage().pixel(0, 0)), Colour(5));
    QCOMPARE(W().SelectedPreview, int16_t(5));
  }

  // A display name longer than its preview is wide shows whole as a tooltip.
  void ACutNameShowsAsATooltip() {
    const std::string longName = "a-rather-long-name-for-so-small-an-icon.psd";
    Start(2, 16, 100, longName);
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
