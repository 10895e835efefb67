// The strip canvas as a user meets it, offscreen: previews dragged onto it
// (drag events carrying what the preview panel's drag start carries), the
// marker's pixels, presses on its images, the strip picture dragged out, the
// wheel, the Delete key, and where the canvas sits.
#include <QDrag>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QProcess>
#include <QScrollBar>
#include <QTimer>
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
using quelo::platform::MsgResult;
using quelo::ui::frmMain;
using quelo::ui::PictureBox;
namespace syscolor = quelo::platform::syscolor;

namespace {

// Colours as the screen shows them.
const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255);

// A solid, opaque PSD.
std::vector<uint8_t> SolidPsd(int width, int height, const QColor& c) {
  std::vector<uint8_t> pixels;
  for (int i = 0; i < width * height; ++i)
    pixels.insert(pixels.end(), {uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue())});
  return quelo::test::MakePsd(width, height, 3, pixels);
}

// The red pen merged with the inverted colour below it.
QColor Merged(const QColor& below) { return QColor(255, 255 - below.green(), 255 - below.blue()); }

QColor SysColour(int index) { return QColor(PictureBox::ToQRgb(GetSysColor(index))); }

// What the preview panel's drag start puts on preview `index`.
std::unique_ptr<QMimeData> PreviewData(int index, qint64 pid = QCoreApplication::applicationPid()) {
  auto data = std::make_unique<QMimeData>();
  data->setData(QStringLiteral("application/x-quelo-preview"), QByteArray::number(pid) + ' ' + QByteArray::number(index));
  return data;
}

}  // namespace

class FrmMainDragDropTest : public QObject, protected quelo::test::MainWindowHarness {
  Q_OBJECT

 private:
  // The strip of a.psd (red, 32 wide), b.psd (green, 40) and c.psd (blue, 48),
  // all 32 high, with the given images double-clicked into it.
  void StartRgb(std::initializer_list<int> strip) {
    StartLoose({{"a.psd", SolidPsd(32, 32, kRed)}, {"b.psd", SolidPsd(40, 32, kGreen)},
                {"c.psd", SolidPsd(48, 32, kBlue)}});
    for (int k : strip) DoubleClickPreview(k);
  }
  // A drag event of `type` at canvas x (row 5) on `target`; whether it was
  // accepted. It starts with the opposite answer, so that only the handler's own
  // answer counts.
  bool Drag(QEvent::Type type, int x, const QMimeData& data, bool expect, QWidget* target = nullptr) {
    const QPoint at(x, 5);
    std::unique_ptr<QDropEvent> event;
    if (type == QEvent::DragEnter)
      event = std::make_unique<QDragEnterEvent>(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    else if (type == QEvent::DragMove)
      event = std::make_unique<QDragMoveEvent>(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    else
      event = std::make_unique<QDropEvent>(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    event->setAccepted(!expect);
    QCoreApplication::sendEvent(target ? target : W().picMain, event.get());
    return event->isAccepted();
  }
  bool Accepts(QEvent::Type type, int x, const QMimeData& data) { return Drag(type, x, data, true); }
  bool Refuses(QEvent::Type type, int x, const QMimeData& data, QWidget* target = nullptr) {
    return !Drag(type, x, data, false, target);
  }
  bool DragOver(int x, const QMimeData& data) {
    return Accepts(QEvent::DragEnter, x, data) && Accepts(QEvent::DragMove, x, data);
  }
  // What the canvas shows (its picture with the overlay) and what it keeps.
  QColor Shown(int x, int y) { return W().picMain->grab().toImage().pixelColor(x, y); }
  QColor Kept(int x, int y) { return W().picMain->Image().pixelColor(x, y); }
  void Press(int x, Qt::MouseButton button = Qt::LeftButton) { QTest::mousePress(W().picMain, button, {}, QPoint(x, 5)); }

 private slots:
  void init() { SetUpWindow(); }
  void cleanup() { TearDownWindow(); }

  // The marker: three red lines 3 pixels wide, each pixel the pen OR NOT what
  // shows below it, at the gap the drop would fill, on the overlay only.
  void MarkerShowsTheGapOnTheOverlay() {
    StartRgb({});
    const auto data = PreviewData(3);
    const QColor background = SysColour(syscolor::kWindow);
    QVERIFY(DragOver(10, *data));  // the empty canvas: the middle, x = 150
    for (int x : {149, 150, 151}) QCOMPARE(Shown(x, 30), Merged(background));
    QCOMPARE(Shown(148, 30), background);
    QCOMPARE(Shown(152, 30), background);
    QCOMPARE(Shown(147, 59), Merged(background));  // the bottom bar reaches 3 pixels out
    // Where the top bar crosses the vertical line the pen merges a second time.
    QCOMPARE(Shown(150, 0), Merged(Merged(background)));
    QCOMPARE(Kept(150, 30), background);

    // Images of 32 and 48: after the first +1, between them 32, after the last -2.
    DoubleClickPreview(1);
    DoubleClickPreview(3);
    for (auto [x, marker] : {std::pair{10, 1}, {16, 32}, {40, 32}, {56, 78}}) {
      QVERIFY(DragOver(x, *data));
      const QImage shown = W().picMain->grab().toImage();
      for (int mx = marker - 1; mx <= marker + 1; ++mx)
        QCOMPARE(shown.pixelColor(mx, 16), Merged(mx < 32 ? kRed : kBlue));
      for (int beside : {marker - 2, marker + 2})
        if (beside >= 0 && beside < W().picMain->width()) QCOMPARE(shown.pixelColor(beside, 16), beside < 32 ? kRed : kBlue);
    }
    QCOMPARE(Kept(78, 16), kBlue);

    // Over the frame the marker goes; back over the canvas it comes again.
    QVERIFY(Refuses(QEvent::DragEnter, 5, *data, W().picMainFrame));
    QCOMPARE(Shown(78, 16), kBlue);
    QVERIFY(DragOver(56, *data));
    QCOMPARE(Shown(78, 16), Merged(kBlue));
  }

  // A drop goes into the gap under the pointer and takes the marker away.
  void DropInsertsAtTheGap() {
    StartRgb({1, 2});
    const auto data = PreviewData(3);
    QVERIFY(DragOver(36, *data));
    QVERIFY(Accepts(QEvent::Drop, 36, *data));
    QCOMPARE(W().picMain->grab().toImage(), W().picMain->Image());  // no marker
    QCOMPARE(ListLines(), QStringLiteral("a.psd c.psd b.psd"));
    QCOMPARE(W().picMain->size(), QSize(120, 32));
    for (auto [x, colour] : {std::pair{31, kRed}, {32, kBlue}, {79, kBlue}, {80, kGreen}, {119, kGreen}})
      QCOMPARE(Shown(x, 0), colour);
    // Dropped on the empty strip: the first entry.
    W().RemoveStripImage(-1);
    const auto second = PreviewData(2);
    QVERIFY(DragOver(150, *second));
    QVERIFY(Accepts(QEvent::Drop, 150, *second));
    QCOMPARE(ListLines(), QStringLiteral("b.psd"));
  }

  // With 20 entries a drop shows the limit and changes nothing, marker included.
  void DropOnAFullStripShowsTheLimit() {
    StartRgb({});
    for (int i = 0; i < 20; ++i) DoubleClickPreview(1);
    const QImage before = W().picMain->grab().toImage();
    const auto data = PreviewData(2);
    QVERIFY(DragOver(100, *data));
    QVERIFY(Accepts(QEvent::Drop, 100, *data));
    QCOMPARE(dialogs_->messages.size(), size_t(1));
    QCOMPARE(QString::fromStdString(dialogs_->messages[0].title), QStringLiteral("イメージ数制限"));
    QCOMPARE(W().lstImages->count(), 20);
    QCOMPARE(W().picMain->grab().toImage(), before);
  }

  // Only previews of this running program: another process's, a text, an index
  // the pack does not have are refused and leave no trace.
  void ForeignDragsAreRefused() {
    StartRgb({1});
    const QImage before = W().picMain->grab().toImage();
    QMimeData text;
    text.setText(QStringLiteral("2"));
    const auto otherProcess = PreviewData(2, QCoreApplication::applicationPid() + 1);
    const auto noSuchImage = PreviewData(4);
    const auto garbled = std::make_unique<QMimeData>();
    garbled->setData(QStringLiteral("application/x-quelo-preview"), "12 x 2");
    for (const QMimeData* data : {&text, otherProcess.get(), noSuchImage.get(), garbled.get()}) {
      // Refused at the entry, a drag gets no move or drop events here.
      QVERIFY(Refuses(QEvent::DragEnter, 20, *data));
    }
    QCOMPARE(ListLines(), QStringLiteral("a.psd"));
    QCOMPARE(W().picMain->grab().toImage(), before);
    QVERIFY(dialogs_->messages.empty());
  }

  // A press selects the entry under it as a click on its line would; pressed
  // again it changes nothing.
  void PressSelectsTheEntryUnderThePointer() {
    StartRgb({1, 2, 3});
    Press(40, Qt::RightButton);  // any button
    QCOMPARE(W().lstImages->currentRow(), 1);
    QCOMPARE(W().SelectedPreview, int16_t(2));
    W().FocusPreview(3);  // the user clicks another preview
    Press(71);
    QCOMPARE(W().lstImages->currentRow(), 1);
    QCOMPARE(W().SelectedPreview, int16_t(3));
    Press(72);  // the third image
    QCOMPARE(W().lstImages->currentRow(), 2);
    // An empty strip takes no press.
    W().RemoveStripImage(-1);
    Press(20);
    QCOMPARE(W().lstImages->currentRow(), -1);
  }

  void PressScrollsAHiddenPreviewIntoView() {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
    for (int i = 1; i <= 9; ++i) files.push_back({"p" + std::to_string(i) + ".psd", SolidPsd(16, 16, kRed)});
    StartLoose(files);
    for (int k : {1, 6}) DoubleClickPreview(k);
    W().vscPreviews->setValue(8);
    Press(20);  // p6: shown from p5 on
    QCOMPARE(W().vscPreviews->value(), 5);
    QCOMPARE(W().SelectedPreview, int16_t(6));
    W().vscPreviews->setValue(8);
    Press(0);  // p1: the panel goes back to its top
    QCOMPARE(W().vscPreviews->value(), 1);
    QCOMPARE(W().SelectedPreview, int16_t(1));
  }

  // A failure while the press is handled: one "エラー" box, nothing else.
  void PressFailureShowsTheError() {
    StartRgb({1});
    auto* broken = new QListWidgetItem(QStringLiteral("x"));
    broken->setData(Qt::UserRole, 99);
    W().lstImages->addItem(broken);
    Press(5);
    QCOMPARE(dialogs_->messages.size(), size_t(1));
    const auto& m = dialogs_->messages[0];
    QCOMPARE(QString::fromStdString(m.text), QStringLiteral("エラー\r\nSubscript out of range\r\n9"));
    QCOMPARE(m.icon, quelo::platform::MsgIcon::None);
    QCOMPARE(QString::fromStdString(m.title), QString::fromStdString(quelo::platform::AppTitle()));
    QCOMPARE(W().lstImages->currentRow(), -1);
  }

  // Pressed again and moved past the drag distance, the selected image drags the
  // strip picture out: as an image, as PNG bytes and as a PNG file. A press
  // without the move starts nothing.
  void SelectedImageDragsTheStripOut() {
    StartRgb({1, 2});
    Press(40);
    QTest::mouseRelease(W().picMain, Qt::LeftButton, {}, QPoint(40, 5));
    Press(40);
    QTest::mouseRelease(W().picMain, Qt::LeftButton, {}, QPoint(40, 5));
    QVERIFY(W().findChildren<QDrag*>().isEmpty());
    QCOMPARE(W().lstImages->currentRow(), 1);

    // A platform whose drag waits for the user has it cancelled; offscreen it
    // ends at once.
    QTimer::singleShot(0, this, [] { QDrag::cancel(); });
    Press(40);
    QTest::mouseMove(W().picMain, QPoint(40 + QApplication::startDragDistance(), 5));
    const auto* drag = W().picMain->findChild<QDrag*>();
    QVERIFY(drag);
    const QMimeData* data = drag->mimeData();
    QVERIFY(data->hasImage());
    QCOMPARE(data->data(QStringLiteral("image/png")).left(4), QByteArray("\x89PNG"));
    QCOMPARE(data->urls().size(), 1);
    const QString file = data->urls()[0].toLocalFile();
    QCOMPARE(W().lstImages->currentRow(), 1);
    // The file, read by Pillow: the canvas's size and colours.
    QProcess pillow;
    pillow.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QStringLiteral("import sys; from PIL import Image; im = Image.open(sys.argv[1]);"
                                                       "print(im.format, im.size, im.getpixel((31, 31))[:3], im.getpixel((32, 0))[:3])"),
                  file});
    QVERIFY(pillow.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(pillow.readAllStandardOutput()).trimmed(),
             QStringLiteral("PNG (72, 32) (255, 0, 0) (0, 255, 0)"));
  }

  // The canvas's place and scrolling: centred from the start also when a
  // message shows during loading; the wheel over it scrolls the strip; a
  // disabled bar shows no thumb and keeps its value aside.
  void CanvasPlaceWheelAndScrollBar() {
    StartLoose({{"!quelo.ini", {'N', 'O'}}, {"wide.psd", SolidPsd(800, 4, kRed)}});
    QCOMPARE(dialogs_->messages.size(), size_t(1));
    const int inner = W().picMainFrame->InnerHeight(), bar = W().hscMain->height();
    QCOMPARE(W().picMain->y(), (inner - 60 - bar) / 2);

    DoubleClickPreview(1);
    QWheelEvent down(QPointF(10, 2), W().picMain->mapToGlobal(QPointF(10, 2)), {}, QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(W().picMain, &down);
    const int value = W().hscMain->value();
    QVERIFY(value > 0);
    QCOMPARE(W().picMainFrame->ChildLeft(W().picMain), 5 - value);
    W().hscMain->setValue(W().hscMain->maximum());
    QCoreApplication::sendEvent(W().picMain, &down);  // at the end: stays there
    QCOMPARE(W().hscMain->value(), W().hscMain->maximum());

    W().hscMain->setValue(value);
    dialogs_->answers = {MsgResult::Yes};
    W().mnuFileNew->trigger();
    QVERIFY(!W().hscMain->isEnabled());
    QCOMPARE(W().hscMain->maximum(), 0);
    QCoreApplication::sendEvent(W().picMain, &down);  // a disabled bar takes no wheel
    QCOMPARE(W().picMainFrame->ChildLeft(W().picMain), (W().picMainFrame->InnerWidth() - 300) / 2);
    DoubleClickPreview(1);
    QCOMPARE(W().hscMain->value(), value);
    QCOMPARE(W().picMainFrame->ChildLeft(W().picMain), 5 - value);
  }

  // Delete after a click on a line (which gives its preview the focus) deletes
  // that entry; in a text box it does not.
  void DeleteKeyDeletesTheSelectedEntry() {
    StartRgb({1, 2, 3});
    W().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&W()));
    QListWidget* list = W().lstImages;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    QCOMPARE(ListLines(), QStringLiteral("a.psd c.psd"));
    QCOMPARE(W().picMain->size(), QSize(80, 32));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    for (bool readOnly : {false, true}) {
      W().txtBackColor[0]->setReadOnly(readOnly);
      W().txtBackColor[0]->setFocus();
      QTest::keyClick(W().txtBackColor[0], Qt::Key_Delete);
      QCOMPARE(ListLines(), QStringLiteral("a.psd c.psd"));
    }
  }
};

QTEST_MAIN(FrmMainDragDropTest)
#include "FrmMainDragDropTest.moc"
