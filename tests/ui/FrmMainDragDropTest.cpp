// The strip canvas as a user meets it, offscreen: previews dragged onto it
// (drag events carrying what the preview panel's drag start carries), the
// marker's pixels, presses on its images, the strip picture dragged out, the
// wheel, the Delete key, and where the canvas sits.
#include <QDrag>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QTimer>

#include <cstdlib>
#include <new>

#include "ui/MainWindowHarness.h"
#include "ui/PillowImage.h"

using quelo::platform::MsgResult;
using namespace quelo::test;

// Memory running out on demand: the next allocation of exactly this many bytes
// on this thread fails as when memory is exhausted.
namespace {
thread_local std::size_t failAllocationOf = 0;
}  // namespace

void* operator new(std::size_t size) {
  if (size != 0 && size == failAllocationOf) {
    failAllocationOf = 0;
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// Arms the failure of an allocation of `bytes` when the watched control receives a mouse press.
class FailAllocationOnPress : public QObject {
 public:
  explicit FailAllocationOnPress(std::size_t bytes) : bytes_(bytes) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonPress) failAllocationOf = bytes_;
    return false;
  }

 private:
  std::size_t bytes_;
};

const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255);

// The red pen merged with the inverted colour below it.
QColor Merged(const QColor& below) { return QColor(255, 255 - below.green(), 255 - below.blue()); }

// What the preview panel's drag start puts on preview `index`.
std::unique_ptr<QMimeData> PreviewData(int index, qint64 pid = QCoreApplication::applicationPid()) {
  auto data = std::make_unique<QMimeData>();
  data->setData(QStringLiteral("application/x-quelo-preview"), QByteArray::number(pid) + ' ' + QByteArray::number(index));
  return data;
}

}  // namespace

class FrmMainDragDropTest : public QObject, protected MainWindowHarness {
  Q_OBJECT

  // The strip of a.psd (red, 32 wide), b.psd (green, 40) and c.psd (blue, 48),
  // all 32 high, with the given images double-clicked into it.
  void StartRgb(std::initializer_list<int> strip) {
    StartLoose({{"a.psd", SolidPsd(32, 32, 0x0000FF)}, {"b.psd", SolidPsd(40, 32, 0x00FF00)},
                {"c.psd", SolidPsd(48, 32, 0xFF0000)}});
    for (int k : strip) DoubleClickPreview(k);
  }
  // A drag event E at canvas x (row 5) sent to `target`; whether it was accepted.
  // It starts with the opposite of the answer expected, so only the handler's counts.
  template <class E>
  bool Send(int x, const QMimeData& data, bool expected = true, QWidget* target = nullptr) {
    E event(QPoint(x, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    event.setAccepted(!expected);
    QCoreApplication::sendEvent(target ? target : W().picMain, &event);
    return event.isAccepted();
  }
  bool DragOver(int x, const QMimeData& data) { return Send<QDragEnterEvent>(x, data) && Send<QDragMoveEvent>(x, data); }
  bool Drop(int x, const QMimeData& data) { return DragOver(x, data) && Send<QDropEvent>(x, data); }
  // What the canvas shows: its picture with the overlay.
  QImage Shown() { return W().picMain->grab().toImage(); }
  QColor Shown(int x, int y) { return Shown().pixelColor(x, y); }
  void Press(int x, Qt::MouseButton button = Qt::LeftButton) { QTest::mousePress(W().picMain, button, {}, QPoint(x, 5)); }
  // Presses canvas x and moves past the drag distance, as a user starts a drag:
  // what the drag carries.
  const QMimeData* DragStripImage(int x) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // earlier drags
    QTimer::singleShot(0, this, [] { QDrag::cancel(); });  // offscreen the drag ends at once anyway
    Press(x);
    QTest::mouseMove(W().picMain, QPoint(x + QApplication::startDragDistance(), 5));
    const auto drags = W().picMain->findChildren<QDrag*>();
    return drags.isEmpty() ? nullptr : drags.last()->mimeData();
  }
  // The strip as the canvas shows it: one letter per entry, read from the
  // colours at the left and right edges of each (a red 32, b green 40, c blue 48).
  QString ShownOrder() {
    const QImage shown = Shown();
    QString order;
    for (int x = 0; x < shown.width();) {
      const QColor left = shown.pixelColor(x, 0);
      const int w = left == kRed ? 32 : left == kGreen ? 40 : 48;
      order += left == kRed ? 'a' : left == kGreen ? 'b' : left == kBlue ? 'c' : '?';
      if (shown.pixelColor(std::min(x + w, shown.width()) - 1, 31) != left) order += '!';
      x += w;
    }
    return order;
  }
  // The selected list row and the selected preview.
  QString Selection() { return QStringLiteral("%1 %2").arg(W().lstImages->currentRow()).arg(W().SelectedPreview); }

 private slots:
  void init() { SetUpWindow(); }
  void cleanup() { TearDownWindow(); }

  // The marker: three red lines 3 pixels wide, each pixel the pen OR NOT what
  // shows below it, at the gap the drop would fill, on the overlay only; over the
  // frame it goes. A drop fills the gap under the pointer and takes the marker away.
  void MarkerShowsTheGapADropFills() {
    StartRgb({});
    const auto data = PreviewData(3);
    const QColor background(quelo::ui::PictureBox::ToQRgb(quelo::platform::GetSysColor(quelo::platform::syscolor::kWindow)));
    QVERIFY(DragOver(10, *data));  // the empty canvas: the middle, x = 150
    for (int x = 148; x <= 152; ++x) QCOMPARE(Shown(x, 30), x == 148 || x == 152 ? background : Merged(background));
    QCOMPARE(Shown(147, 59), Merged(background));  // the bottom bar reaches 3 pixels out
    QCOMPARE(Shown(150, 0), Merged(Merged(background)));  // where the bars cross the pen merges twice
    QCOMPARE(W().picMain->Image().pixelColor(150, 30), background);

    // Images of 32 and 48: after the first +1, between them 32, after the last -2.
    DoubleClickPreview(1);
    DoubleClickPreview(3);
    for (auto [x, marker] : {std::pair{10, 1}, {16, 32}, {40, 32}, {56, 78}}) {
      QVERIFY(DragOver(x, *data));
      const QImage shown = Shown();
      for (int mx = std::max(marker - 2, 0); mx <= marker + 2 && mx < 80; ++mx) {
        const QColor below = mx < 32 ? kRed : kBlue;
        QCOMPARE(shown.pixelColor(mx, 16), std::abs(mx - marker) <= 1 ? Merged(below) : below);
      }
    }
    QCOMPARE(W().picMain->Image().pixelColor(78, 16), kBlue);
    QVERIFY(!Send<QDragEnterEvent>(5, *data, false, W().picMainFrame));
    QCOMPARE(Shown(78, 16), kBlue);

    QVERIFY(Drop(36, *PreviewData(2)));
    QCOMPARE(Shown(), W().picMain->Image());  // no marker
    QCOMPARE(ListLines(), QStringLiteral("a.psd b.psd c.psd"));
    QCOMPARE(W().picMain->size(), QSize(120, 32));
    for (auto [x, colour] : {std::pair{31, kRed}, {32, kGreen}, {71, kGreen}, {72, kBlue}, {119, kBlue}})
      QCOMPARE(Shown(x, 0), colour);
  }

  // Drags that are not this running program's previews (a text, another process's
  // preview, an index the pack lacks, garbled data) are refused at the entry; with
  // 20 entries a drop shows the limit. Neither leaves a trace, marker included.
  void RefusedDragsAndAFullStripChangeNothing() {
    StartRgb({1});
    QImage before = Shown();
    QMimeData text, garbled;
    text.setText(QStringLiteral("2"));
    garbled.setData(QStringLiteral("application/x-quelo-preview"), "12 x 2");
    const auto otherProcess = PreviewData(2, QCoreApplication::applicationPid() + 1), noSuchImage = PreviewData(4);
    for (const QMimeData* data : {&text, &garbled, otherProcess.get(), noSuchImage.get()})
      QVERIFY(!Send<QDragEnterEvent>(20, *data, false));
    QCOMPARE(ListLines(), QStringLiteral("a.psd"));
    QCOMPARE(Shown(), before);
    QVERIFY(dialogs_->messages.empty());

    for (int i = 1; i < 20; ++i) DoubleClickPreview(1);
    before = Shown();
    QVERIFY(Drop(40, *PreviewData(2)));
    QCOMPARE(Q(dialogs_->messages.at(0).title), QStringLiteral("イメージ数制限"));
    QCOMPARE(dialogs_->messages.size(), size_t(1));
    QCOMPARE(W().lstImages->count(), 20);
    QCOMPARE(Shown(), before);
  }

  // A press (any button) selects the entry under it as a click on its line would,
  // scrolling its preview into view when hidden (p6 shown from p5 on, p1 from the
  // top, p9 below the view just whole); on the selected entry it changes nothing;
  // on an empty strip nothing at all. A failure while it is handled shows one
  // "エラー" box.
  void PressSelectsTheEntryUnderThePointer() {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
    for (int i = 1; i <= 9; ++i) files.push_back({"p" + std::to_string(i) + ".psd", SolidPsd(16, 32, 0x0000FF)});
    StartLoose(files);
    for (int k : {6, 1, 3, 9}) DoubleClickPreview(k);
    for (auto [x, selection, top] : {std::tuple{0, "0 6", 5}, {20, "1 1", 1}}) {
      W().vscPreviews->setValue(8);
      Press(x, Qt::RightButton);
      QCOMPARE(Selection(), QString(selection));
      QCOMPARE(W().vscPreviews->value(), top);
    }
    ClickPreview(3);
    Press(31);
    QCOMPARE(Selection(), QStringLiteral("1 3"));
    Press(32);
    QCOMPARE(Selection(), QStringLiteral("2 3"));
    const int view = W().picPreviews->InnerHeight();
    auto bottom = [this] { return W().picPreview[9].top + 32 + 1; };  // the frame's lowest row
    QVERIFY(bottom() > view);
    Press(50);
    QCOMPARE(Selection(), QStringLiteral("3 9"));
    QVERIFY(bottom() <= view && bottom() + W().picPreview[9].top - W().picPreview[8].top > view);
    W().vscPreviews->setValue(1);  // the first previews in view again, for the double clicks below
    W().RemoveStripImage(-1);
    Press(20);
    QCOMPARE(W().lstImages->currentRow(), -1);

    // Memory running out while the press finds the entry under it (the widths
    // of the strip's 13 entries, 52 bytes): its own message, nothing selected.
    W().RemoveStripImage(-1);
    for (int i = 0; i < 13; ++i) DoubleClickPreview(2);
    W().lstImages->setCurrentRow(-1);
    FailAllocationOnPress failure(13 * sizeof(int32_t));
    W().picMain->installEventFilter(&failure);
    Press(5);
    W().picMain->removeEventFilter(&failure);
    failAllocationOf = 0;
    QCOMPARE(dialogs_->messages.size(), size_t(1));
    const auto& m = dialogs_->messages.at(0);
    QCOMPARE(Q(m.title), Q(quelo::platform::AppTitle()));
    QCOMPARE(m.icon, quelo::platform::MsgIcon::None);
    QCOMPARE(TakeMessages(), QStringLiteral("エラー\r\nOut of memory\r\n7"));
    QCOMPARE(W().lstImages->currentRow(), -1);
  }

  // Pressed again and moved past the drag distance, the selected image drags the
  // strip picture out: as an image, as PNG bytes and as a PNG file. A press
  // without the move starts nothing.
  void SelectedImageDragsTheStripOut() {
    StartRgb({1, 2});
    for (int i = 0; i < 2; ++i) {
      Press(40);
      QTest::mouseRelease(W().picMain, Qt::LeftButton, {}, QPoint(40, 5));
    }
    QVERIFY(W().findChildren<QDrag*>().isEmpty());
    QTimer::singleShot(0, this, [] { QDrag::cancel(); });  // where a drag waits for the user; offscreen it ends at once
    Press(40);
    QTest::mouseMove(W().picMain, QPoint(40 + QApplication::startDragDistance(), 5));
    const auto* drag = W().picMain->findChild<QDrag*>();
    QVERIFY(drag);
    const QMimeData* data = drag->mimeData();
    QVERIFY(data->hasImage() && data->data(QStringLiteral("image/png")).startsWith("\x89PNG"));
    QCOMPARE(data->urls().size(), 1);
    const Decoded file = Pillow(data->urls()[0].toLocalFile());
    QCOMPARE(file.what, QStringLiteral("PNG RGB"));
    QCOMPARE(file.image, W().picMain->Image().convertToFormat(QImage::Format_ARGB32));
    QCOMPARE(W().lstImages->currentRow(), 1);
  }

  // A transparent strip leaves the window with its alpha: the picture and its
  // PNG file hold the image's own pixels, soft alpha and all.
  void TransparentStripDragsOutWithItsAlpha() {
    const std::vector<uint8_t> pixels = quelo::test::PatternPixels(24, 16, 4, 5);
    StartLoose({{"a.psd", quelo::test::MakePsd(24, 16, 4, pixels)}});
    DoubleClickPreview(1);
    W().mnuEditTransparent->trigger();
    QTimer::singleShot(0, this, [] { QDrag::cancel(); });
    Press(10);
    QTest::mouseMove(W().picMain, QPoint(10 + QApplication::startDragDistance(), 5));
    const auto* drag = W().picMain->findChild<QDrag*>();
    QVERIFY(drag);
    const QImage expected =
        QImage(pixels.data(), 24, 16, 24 * 4, QImage::Format_RGBA8888).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(qvariant_cast<QImage>(drag->mimeData()->imageData()).convertToFormat(QImage::Format_ARGB32), expected);
    const Decoded file = Pillow(drag->mimeData()->urls().value(0).toLocalFile());
    QCOMPARE(file.what, QStringLiteral("PNG RGBA"));
    QCOMPARE(file.image, expected);
  }

  // A press and a move on an image drag it: dropped on the canvas it moves to
  // the gap under the pointer, where the marker showed, and stays selected; its
  // own two gaps change nothing. The drag carries the picture as well.
  void ImageDraggedAlongTheCanvasMovesToTheGap() {
    StartRgb({});
    struct Case { int pressX, dropX; const char* order; int selected; };
    for (const Case& c : {Case{5, 100, "bca", 2}, {100, 5, "cab", 0}, {5, 60, "bac", 1}, {110, 40, "acb", 1},
                          {50, 40, "abc", 1}, {50, 75, "abc", 1}}) {
      W().RemoveStripImage(-1);
      for (int k : {1, 2, 3}) DoubleClickPreview(k);
      const QMimeData* data = DragStripImage(c.pressX);
      QVERIFY(data && data->hasImage());
      QVERIFY(DragOver(c.dropX, *data));
      QVERIFY(Shown() != W().picMain->Image());  // the marker
      QVERIFY(Send<QDropEvent>(c.dropX, *data));
      QCOMPARE(ShownOrder(), QString(c.order));
      QCOMPARE(Shown(), W().picMain->Image());  // no marker left
      QString lines = ListLines();
      QCOMPARE(lines.remove(QStringLiteral(".psd")).remove(' '), QString(c.order));
      QCOMPARE(W().lstImages->currentRow(), c.selected);
    }
  }

  // Dragged onto the frame (the marker goes; the drop there is in the
  // end-to-end run), cancelled (the drag leaves), or coming from another
  // process or an entry the strip no longer has: no move and no marker.
  void ImageDragsThatEndElsewhereChangeNothing() {
    StartRgb({1, 2, 3});
    const QMimeData* data = DragStripImage(5);
    QVERIFY(data);
    QVERIFY(DragOver(100, *data));
    QVERIFY(!Send<QDragEnterEvent>(5, *data, false, W().picMainFrame));
    QCOMPARE(Shown(), W().picMain->Image());
    QVERIFY(DragOver(100, *data));
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(W().picMain, &leave);
    QCOMPARE(Shown(), W().picMain->Image());
    QCOMPARE(ShownOrder(), QStringLiteral("abc"));
    QMimeData foreign, stale;
    const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid());
    foreign.setData(QStringLiteral("application/x-quelo-strip"), QByteArray::number(QCoreApplication::applicationPid() + 1) + " 0");
    stale.setData(QStringLiteral("application/x-quelo-strip"), pid + " 3");
    for (const QMimeData* d : {&foreign, &stale}) {
      QVERIFY(!Send<QDragEnterEvent>(100, *d, false));
      Send<QDropEvent>(100, *d, false);
    }
    QCOMPARE(ShownOrder(), QStringLiteral("abc"));
    QCOMPARE(ListLines(), QStringLiteral("a.psd b.psd c.psd"));
  }

  // The canvas centred from the start also when a message shows during loading;
  // the wheel over it scrolls the strip; a disabled bar shows no thumb, takes no
  // wheel and keeps its value for later.
  void CanvasPlaceWheelAndScrollBar() {
    StartLoose({{"!quelo.ini", {'N', 'O'}}, {"wide.psd", SolidPsd(800, 4, 0x0000FF)}});
    QCOMPARE(dialogs_->messages.size(), size_t(1));
    QCOMPARE(W().picMain->y(), (W().picMainFrame->InnerHeight() - 60 - W().hscMain->height()) / 2);

    DoubleClickPreview(1);
    QWheelEvent down(QPointF(10, 2), W().picMain->mapToGlobal(QPointF(10, 2)), {}, QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(W().picMain, &down);
    const int value = W().hscMain->value();
    QVERIFY(value > 0);
    QCOMPARE(W().picMainFrame->ChildLeft(W().picMain), 5 - value);

    dialogs_->answers = {MsgResult::No};  // not saved
    W().mnuFileNew->trigger();
    QVERIFY(!W().hscMain->isEnabled() && W().hscMain->maximum() == 0);
    QCoreApplication::sendEvent(W().picMain, &down);
    QCOMPARE(W().picMainFrame->ChildLeft(W().picMain), (W().picMainFrame->InnerWidth() - 300) / 2);
    DoubleClickPreview(1);
    QCOMPARE(W().hscMain->value(), value);
    QCOMPARE(W().picMainFrame->ChildLeft(W().picMain), 5 - value);
  }

  // Delete after a click on a line (which gives its preview the focus) deletes
  // that entry; in the colour panel's text box it does not.
  void DeleteKeyDeletesTheSelectedEntry() {
    StartRgb({1, 2, 3});
    W().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&W()));
    Click(1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    QCOMPARE(ListLines(), QStringLiteral("a.psd c.psd"));
    QCOMPARE(W().picMain->size(), QSize(80, 32));
    Click(1);
    W().txtBackColor[0]->setFocus();
    QTest::keyClick(W().txtBackColor[0], Qt::Key_Delete);
    QCOMPARE(ListLines(), QStringLiteral("a.psd c.psd"));
  }
};

QTEST_MAIN(FrmMainDragDropTest)
#include "FrmMainDragDropTest.moc"
