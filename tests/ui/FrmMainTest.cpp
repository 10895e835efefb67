// The main window, offscreen, on packs made here: loose folders and archives
// appended to a copy of this test program. Message boxes are answered from a script.
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include <memory>

#include "archive/PackWriters.h"
#include "platform/Platform.h"
#include "support/PsdWriter.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"
#include "ui/main/PictureBox.h"
#include "ui/main/frmMain.h"

using quelo::platform::MsgResult;
using quelo::test::RecordingDialogs;
using quelo::test::TempDir;
using quelo::ui::frmMain;
using quelo::ui::PictureBox;

namespace {

constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;

// An opaque PSD of one colour (0x00BBGGRR).
std::vector<uint8_t> SolidPsd(int width, int height, uint32_t colour) {
  std::vector<uint8_t> pixels;
  for (int i = 0; i < width * height; ++i) {
    pixels.push_back(static_cast<uint8_t>(colour));
    pixels.push_back(static_cast<uint8_t>(colour >> 8));
    pixels.push_back(static_cast<uint8_t>(colour >> 16));
  }
  return quelo::test::MakePsd(width, height, 3, pixels);
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

class FrmMainTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<RecordingDialogs> dialogs_;
  std::unique_ptr<frmMain> window_;

  // The program runs as if it were the executable "quelo" in the pack folder.
  void StartIn(const std::string& exe, const std::function<void(frmMain&)>& beforeLoad = {}) {
    quelo::platform::OverrideExecutablePath(exe);
    window_ = std::make_unique<frmMain>();
    if (beforeLoad) beforeLoad(*window_);
    window_->Form_Load();
  }
  void StartLoose(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files) {
    for (const auto& [name, bytes] : files) quelo::test::WriteAll(dir_->File(name), bytes);
    StartIn(dir_->File("quelo"));
  }
  frmMain& W() { return *window_; }
  QStringList ListLines() {
    QStringList lines;
    for (int i = 0; i < W().lstImages->count(); ++i) lines << W().lstImages->item(i)->text();
    return lines;
  }
  void DoubleClickPreview(int k) { QTest::mouseDClick(W().picPreview[static_cast<size_t>(k)], Qt::LeftButton); }
  void ClickLine(int row) {
    QListWidget* list = W().lstImages;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
  }
  uint32_t Canvas(int x, int y) { return W().picMain->Point(x, y); }
  QSize CanvasSize() { return W().picMain->Image().size(); }
  QString Status() { return W().picProgress->PrintedTexts().back().text; }

 private slots:
  void init() {
    dir_ = std::make_unique<TempDir>();
    dialogs_ = std::make_unique<RecordingDialogs>();
  }
  void cleanup() {
    window_.reset();
    dialogs_.reset();
    quelo::platform::OverrideExecutablePath("");
    dir_.reset();
  }

  void LooseFolderLoadsInAlphabeticalOrderWithoutRegardToCase() {
    StartLoose({{"b.psd", SolidPsd(8, 8, kRed)}, {"A.psd", SolidPsd(8, 8, kGreen)},
                {"c.PSD", SolidPsd(8, 8, kBlue)}, {"notes.txt", {1, 2, 3}}});
    QCOMPARE(W().PackImageCount(), 3);
    QCOMPARE(Q(W().PackImage(1).Name()), QStringLiteral("A.psd"));
    QCOMPARE(Q(W().PackImage(2).Name()), QStringLiteral("b.psd"));
    QCOMPARE(Q(W().PackImage(3).Name()), QStringLiteral("c.PSD"));
    QCOMPARE(W().picPreview[1]->Point(0, 0), kGreen);
    QCOMPARE(W().windowTitle(), QStringLiteral("quelo"));
    QCOMPARE(Status(), QStringLiteral("ファイルの読み込みが完了しました...[カレントディレクトリ：") + Q(dir_->Path()) +
                           QStringLiteral("]"));
    QVERIFY(dialogs_->messages.empty());
    // The strip starts empty, and the client area has its designed size.
    QCOMPARE(W().lstImages->count(), 0);
    QCOMPARE(W().centralWidget()->size(), QSize(652, 456));
  }

  void EmptyFolderGivesAnEmptyPanel() {
    StartLoose({});
    QCOMPARE(W().PackImageCount(), 0);
    QVERIFY(W().picPreview[1]->isHidden());
    QCOMPARE(W().picPreviews->width(), 8 + 17);
    QCOMPARE(Status(), QStringLiteral("ファイルの読み込みが完了しました...[カレントディレクトリ：") + Q(dir_->Path()) +
                           QStringLiteral("]"));
    W().vscPreviews->setValue(1);  // nothing to scroll
    QCOMPARE(W().SelectedPreview, int16_t(-1));
  }

  void RefusedImagesNeitherStopTheLoadNorBreakTheStrip() {
    // Refused by the decoder and kept empty (0 x 0), or cut short and skipped.
    std::vector<uint8_t> notPsd = SolidPsd(8, 8, kRed), notRgb = SolidPsd(8, 8, kRed), cutShort = SolidPsd(16, 16, kRed);
    notPsd[0] = 'X';
    notRgb[25] = 1;
    cutShort.resize(cutShort.size() / 2);
    StartLoose({{"a.psd", notPsd}, {"b.psd", notRgb}, {"c.psd", cutShort}, {"d.psd", SolidPsd(8, 8, kGreen)}});
    QCOMPARE(Q(dialogs_->messages.at(0).text), QStringLiteral("このファイルはPSD形式ではありません"));
    const int last = W().PackImageCount();
    QCOMPARE(Q(W().PackImage(last).Name()), QStringLiteral("d.psd"));
    QCOMPARE(W().PackImage(1).Width(), 0);
    dialogs_->answers = {MsgResult::Yes, MsgResult::Yes, MsgResult::Yes};
    for (int16_t k = 1; k <= last; ++k) {
      W().FocusPreview(k);
      int16_t position = -1;
      W().AddStripImage(k, position);
    }
    QCOMPARE(W().lstImages->count(), last);
    QCOMPARE(CanvasSize(), QSize(8, 8));
    QCOMPARE(Canvas(7, 7), kGreen);
    W().RemoveStripImage(0);
    QCOMPARE(W().lstImages->count(), last - 1);
  }

  void ResizingMovesTheStripAreaButNotTheList() {
    StartLoose({{"a.psd", SolidPsd(8, 8, kRed)}});
    const QRect panel = W().picPreviews->geometry(), frame = W().picMainFrame->geometry();
    const QRect list = W().lstImages->geometry(), del = W().cmdItemDel->geometry();
    const int barTop = W().hscMain->y(), progress = W().picProgress->width();
    W().resize(W().width() + 20, W().height() + 10);
    QTRY_COMPARE(W().picPreviews->height(), panel.height() + 10);
    QCOMPARE(W().vscPreviews->height(), W().picPreviews->InnerHeight());
    QCOMPARE(W().picMainFrame->height(), frame.height() + 10);
    QCOMPARE(W().picMainFrame->width(), frame.width() + 20);
    QCOMPARE(W().picProgress->width(), progress + 20);
    QCOMPARE(W().hscMain->y(), barTop + 10);
    QCOMPARE(W().lstImages->geometry(), list);
    QCOMPARE(W().cmdItemDel->geometry(), del);
    // The column under the banner is white down to the bottom.
    const QImage client = W().centralWidget()->grab().toImage();
    QCOMPARE(client.pixelColor(3, client.height() - 2), QColor(Qt::white));
  }

  void ClosingTheWindowClosesFilePropertyWindows() {
    StartLoose({});
    QWidget a, b, other;
    a.setProperty("Tag", QStringLiteral("FILEPROPWND"));
    b.setProperty("Tag", QStringLiteral("FILEPROPWND"));
    a.show();
    b.show();
    other.show();
    W().mnuFileEnd->trigger();
    QVERIFY(!a.isVisible() && !b.isVisible());
    QVERIFY(other.isVisible());
    QVERIFY(!W().isVisible());
  }

  void ArchivePackShowsDisplayTitlesAndPackName() {
    quelo::PackDefinition def;
    def.PackName = "テストパック";
    std::vector<quelo::PackMember> members;
    for (int i = 1; i <= 6; ++i) {
      const std::string name = "p" + std::to_string(i) + ".psd";
      def.Files.push_back({name, "絵" + std::to_string(i), "", ""});
      members.push_back({name, SolidPsd(10 + i, 12, kBlue), 0});
    }
    members.insert(members.begin() + 2, {"!quelo.ini", quelo::SerializeDefinition(def), 0});
    const std::string exe = dir_->File("quelo");
    quelo::WritePackExecutable(QCoreApplication::applicationFilePath().toStdString(), members, exe);

    StartIn(exe);
    QCOMPARE(W().PackImageCount(), 6);
    for (int k = 1; k <= 6; ++k) {
      QCOMPARE(Q(W().PackImage(k).Name()), QStringLiteral("絵%1").arg(k));
      QCOMPARE(W().picPreview[static_cast<size_t>(k)]->width(), 10 + k);
    }
    QCOMPARE(W().windowTitle(), QStringLiteral("Quelo - [テストパック]"));
    QVERIFY(dialogs_->messages.empty());
    QCOMPARE(Status(), QStringLiteral("ファイルの読み込みが完了しました...[自己展開書庫：") + Q(exe) + QStringLiteral("]"));
  }

  void DamagedDefinitionIsReportedOnceThenEveryImageLoads() {
    StartLoose({{"!quelo.ini", {'N', 'O', 'P', 'E', 1, 2, 3, 4, 5, 6}},
                {"one.psd", SolidPsd(8, 8, kRed)}, {"two.psd", SolidPsd(8, 8, kRed)}});
    QCOMPARE(dialogs_->messages.size(), size_t(1));
    const auto& m = dialogs_->messages[0];
    QCOMPARE(Q(m.title), QStringLiteral("定義ファイルの読み込み"));
    QCOMPARE(m.icon, quelo::platform::MsgIcon::Exclamation);
    const QStringList lines = Q(m.text).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QStringLiteral("定義ファイルの読み込みに失敗しました。壊れている可能性があります"));
    QCOMPARE(lines[1], Q(W().PackConfig.GetLastErrorInfo()));
    QCOMPARE(lines[2], QStringLiteral("定義ファイルは読み込まれませんでした。"));
    QCOMPARE(W().PackImageCount(), 2);
    QCOMPARE(Q(W().PackImage(2).Name()), QStringLiteral("two.psd"));
    QCOMPARE(W().windowTitle(), QStringLiteral("quelo"));
  }

  void PanelWidthAndPreviewTopsFollowTheImages() {
    StartLoose({{"1.psd", SolidPsd(32, 20, kRed)}, {"2.psd", SolidPsd(48, 30, kGreen)},
                {"3.psd", SolidPsd(40, 10, kBlue)}});
    QCOMPARE(W().vscPreviews->width(), 17);
    QCOMPARE(W().picPreviews->width(), 48 + 8 + 17);
    const int ch = W().CaptionHeight;
    QVERIFY(ch > 3);
    QCOMPARE(W().picPreviews->ChildTop(W().picPreview[1]), ch + 1);
    QCOMPARE(W().picPreviews->ChildTop(W().picPreview[2]), ch + 1 + 20 + 1 + ch);
    QCOMPARE(W().picPreviews->ChildLeft(W().picPreview[3]), 1);
    // The strip column starts 4 twips right of the panel.
    QCOMPARE(W().picMainFrame->x(), W().picPreviews->x() + W().picPreviews->width());
    QCOMPARE(W().lstImages->x(), W().picMainFrame->x());
  }

  void StatusShowsPercentageWhileLoading() {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
    for (int i = 1; i <= 7; ++i) files.push_back({"f" + std::to_string(i) + ".psd", SolidPsd(4, 4, kRed)});
    for (const auto& [name, bytes] : files) quelo::test::WriteAll(dir_->File(name), bytes);
    QStringList texts;
    QImage barAtThird;
    StartIn(dir_->File("quelo"), [&](frmMain& w) {
      connect(w.picProgress, &PictureBox::Printed, this, [&, bar = w.picProgress](const QString& text) {
        texts << text;
        if (texts.size() == 3) barAtThird = bar->Image();
      });
    });
    QCOMPARE(texts.size(), 8);
    QCOMPARE(texts[2], QStringLiteral("42% ファイルを読み込んでいます... f3.psd"));
    const uint32_t bar = quelo::platform::GetSysColor(quelo::platform::syscolor::kInactiveCaption);
    const int w = barAtThird.width();
    QCOMPARE(PictureBox::FromQRgb(barAtThird.pixel(w * 41 / 100, barAtThird.height() - 1)), bar);
    QVERIFY(PictureBox::FromQRgb(barAtThird.pixel(w * 43 / 100, barAtThird.height() - 1)) != bar);
    QVERIFY(texts[7].startsWith(QStringLiteral("ファイルの読み込みが完了しました...")));

    // No total: 0 % and an empty bar; past the total: the text alone and a full bar.
    auto barPixel = [&](int x) { return W().picProgress->Point(x, W().picProgress->Image().height() - 1); };
    W().ShowProgress(0, 0, "t");
    QCOMPARE(Status(), QStringLiteral("0% t"));
    QVERIFY(barPixel(0) != bar);
    W().ShowProgress(7, 9, "t");
    QCOMPARE(Status(), QStringLiteral("t"));
    QCOMPARE(barPixel(W().picProgress->Image().width() - 1), bar);
  }

  void PopupMenuAddsTheSelectedImageAtEitherEnd() {
    StartLoose({{"x.psd", SolidPsd(16, 8, kRed)}, {"y.psd", SolidPsd(24, 8, kGreen)},
                {"z.psd", SolidPsd(8, 8, kBlue)}});
    QStringList captions;
    for (QAction* a : W().mnuPopPreviews->actions()) captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(captions, (QStringList{QStringLiteral("先頭に追加(&F)"), QStringLiteral("最後尾に追加(&A)"), QStringLiteral("-"),
                                    QStringLiteral("エクスポート(E)"), QStringLiteral("クリップボードにコピー(&C)"),
                                    QStringLiteral("-"), QStringLiteral("パッケージのプロパティ(&P)"), QStringLiteral("-"),
                                    QStringLiteral("プロパティ(&R)")}));
    QCOMPARE(W().mnuPopPreviews->defaultAction(), W().mnuPopPreviewsAddFirst);
    QTest::mouseRelease(W().picPreview[2], Qt::RightButton);
    QVERIFY(W().mnuPopPreviews->isVisible());
    W().mnuPopPreviews->hide();

    W().mnuPopPreviewsAddFirst->trigger();  // nothing selected yet: nothing to add
    QCOMPARE(W().lstImages->count(), 0);
    emit W().mnuFile->aboutToShow();
    QVERIFY(!W().mnuFileNew->isEnabled() && !W().mnuFileSave->isEnabled() && W().mnuFileEnd->isEnabled());

    DoubleClickPreview(1);
    DoubleClickPreview(2);
    W().FocusPreview(3);
    QCOMPARE(W().SelectedPreview, int16_t(3));
    W().mnuPopPreviewsAddFirst->trigger();
    W().mnuPopPreviewsAddLast->trigger();
    QCOMPARE(ListLines(), (QStringList{QStringLiteral("z.psd"), QStringLiteral("x.psd"), QStringLiteral("y.psd"),
                                       QStringLiteral("z.psd")}));
    QCOMPARE(CanvasSize(), QSize(56, 8));
    QCOMPARE(Canvas(7, 0), kBlue);
    QCOMPARE(Canvas(8, 0), kRed);
    QCOMPARE(Canvas(24, 7), kGreen);
    QCOMPARE(Canvas(48, 0), kBlue);
    emit W().mnuFile->aboutToShow();
    QVERIFY(W().mnuFileNew->isEnabled() && W().mnuFileSaveAs->isEnabled() && W().mnuFileCopy->isEnabled());
  }

  void AddingATallerImageAsksForTheHeight_data() {
    QTest::addColumn<int>("answer");
    QTest::newRow("Yes") << int(MsgResult::Yes);
    QTest::newRow("No") << int(MsgResult::No);
    QTest::newRow("Cancel") << int(MsgResult::Cancel);
  }
  void AddingATallerImageAsksForTheHeight() {
    QFETCH(int, answer);
    StartLoose({{"a.psd", SolidPsd(32, 32, kRed)}, {"b.psd", SolidPsd(48, 48, kBlue)}});
    DoubleClickPreview(1);
    QCOMPARE(CanvasSize(), QSize(32, 32));
    QCOMPARE(Canvas(31, 31), kRed);
    dialogs_->answers.push_back(static_cast<MsgResult>(answer));
    DoubleClickPreview(2);

    QCOMPARE(dialogs_->messages.size(), size_t(1));
    const auto& m = dialogs_->messages[0];
    QCOMPARE(Q(m.title), QStringLiteral("イメージの高さ"));
    QCOMPARE(Q(m.text), QStringLiteral("先に追加されたイメージと高さが違います。\r\n現在の高さ\t：32\r\n新しい高さ\t：48\r\n"
                                       "高さを変更しますか？変更すると現在のイメージは上寄せになります。"));
    QCOMPARE(m.buttons, quelo::platform::MsgButtons::YesNoCancel);
    QCOMPARE(m.defaultButton, MsgResult::Cancel);

    const uint32_t fill = quelo::platform::GetSysColor(quelo::platform::syscolor::kWindow);
    switch (static_cast<MsgResult>(answer)) {
      case MsgResult::Yes:
        QCOMPARE(CanvasSize(), QSize(80, 48));
        QCOMPARE(Canvas(0, 31), kRed);
        QCOMPARE(Canvas(0, 32), fill);  // the band under the first image
        QCOMPARE(Canvas(31, 47), fill);
        QCOMPARE(Canvas(32, 47), kBlue);
        QCOMPARE(Canvas(79, 0), kBlue);
        break;
      case MsgResult::No:
        QCOMPARE(CanvasSize(), QSize(80, 32));
        QCOMPARE(Canvas(31, 31), kRed);
        QCOMPARE(Canvas(32, 31), kBlue);
        QCOMPARE(Canvas(79, 31), kBlue);
        break;
      default:
        QCOMPARE(CanvasSize(), QSize(32, 32));
        QCOMPARE(ListLines(), QStringList{QStringLiteral("a.psd")});
        QCOMPARE(Canvas(31, 31), kRed);
        return;
    }
    QCOMPARE(ListLines(), (QStringList{QStringLiteral("a.psd"), QStringLiteral("b.psd")}));
  }

  void TheStripHoldsAtMostTwentyImages() {
    StartLoose({{"a.psd", SolidPsd(40, 4, kRed)}});
    for (int i = 0; i < 20; ++i) DoubleClickPreview(1);
    QVERIFY(dialogs_->messages.empty());
    QCOMPARE(W().lstImages->count(), 20);
    DoubleClickPreview(1);
    QCOMPARE(W().lstImages->count(), 20);
    QCOMPARE(CanvasSize(), QSize(800, 4));
    // Wider than its frame: it scrolls with 5 pixels of frame at either end.
    const int range = 800 + 10 - W().picMainFrame->InnerWidth();
    QVERIFY(W().hscMain->isEnabled());
    QCOMPARE(W().hscMain->maximum(), range);
    QCOMPARE(W().picMainFrame->ChildLeft(W().picMain), 5);
    W().hscMain->setValue(range);
    QCOMPARE(W().picMainFrame->ChildLeft(W().picMain), 5 - range);
    QCOMPARE(dialogs_->messages.size(), size_t(1));
    QCOMPARE(Q(dialogs_->messages[0].title), QStringLiteral("イメージ数制限"));
    QCOMPARE(Q(dialogs_->messages[0].text),
             QStringLiteral("これ以上追加することは出来ません。\r\n追加することの出来るイメージ数は 20 に制限されています。"));
  }

  void MovingAndDeletingKeepListAndCanvasInStep() {
    StartLoose({{"x.psd", SolidPsd(16, 8, kRed)}, {"y.psd", SolidPsd(24, 8, kGreen)},
                {"z.psd", SolidPsd(32, 8, kBlue)}});
    for (int k = 1; k <= 3; ++k) DoubleClickPreview(k);
    QCOMPARE(CanvasSize(), QSize(72, 8));

    // The first line can't go further left, the last no further right.
    ClickLine(0);
    QTest::mouseClick(W().cmdItemLeft, Qt::LeftButton);
    ClickLine(2);
    QTest::mouseClick(W().cmdItemRight, Qt::LeftButton);
    QCOMPARE(ListLines(), (QStringList{QStringLiteral("x.psd"), QStringLiteral("y.psd"), QStringLiteral("z.psd")}));

    ClickLine(1);
    QCOMPARE(W().SelectedPreview, int16_t(2));  // the click gave the preview the focus
    QTest::mouseClick(W().cmdItemLeft, Qt::LeftButton);
    QCOMPARE(ListLines(), (QStringList{QStringLiteral("y.psd"), QStringLiteral("x.psd"), QStringLiteral("z.psd")}));
    QVERIFY(W().lstImages->selectedItems().isEmpty());
    QCOMPARE(Canvas(23, 0), kGreen);
    QCOMPARE(Canvas(24, 0), kRed);
    QCOMPARE(Canvas(40, 7), kBlue);
    QTest::mouseClick(W().cmdItemRight, Qt::LeftButton);  // nothing selected: nothing moves
    QCOMPARE(ListLines()[0], QStringLiteral("y.psd"));

    ClickLine(0);
    QTest::mouseClick(W().cmdItemRight, Qt::LeftButton);
    QCOMPARE(ListLines(), (QStringList{QStringLiteral("x.psd"), QStringLiteral("y.psd"), QStringLiteral("z.psd")}));

    ClickLine(1);
    QTest::mouseClick(W().cmdItemDel, Qt::LeftButton);
    QCOMPARE(ListLines(), (QStringList{QStringLiteral("x.psd"), QStringLiteral("z.psd")}));
    QCOMPARE(CanvasSize(), QSize(48, 8));
    QCOMPARE(Canvas(16, 0), kBlue);
    QVERIFY(W().lstImages->selectedItems().isEmpty());

    ClickLine(1);
    QTest::mouseClick(W().cmdItemDel, Qt::LeftButton);
    QCOMPARE(CanvasSize(), QSize(16, 8));
    ClickLine(0);
    QTest::mouseClick(W().cmdItemDel, Qt::LeftButton);

    // The empty strip again, with its two hint lines.
    QCOMPARE(W().lstImages->count(), 0);
    QCOMPARE(CanvasSize(), QSize(300, 60));
    const auto& hints = W().picMain->PrintedTexts();
    QCOMPARE(hints.size(), size_t(2));
    QCOMPARE(hints[0].text, QStringLiteral("イメージは登録されていません"));
    QCOMPARE(QPoint(hints[0].x, hints[0].y), QPoint(70, 12));
    QVERIFY(hints[0].bold);
    QCOMPARE(hints[1].text, QStringLiteral("左側のリストからドラッグアンドドロップで追加できます"));
    QCOMPARE(QPoint(hints[1].x, hints[1].y), QPoint(15, 36));
    QVERIFY(!hints[1].bold);
    // The first hint line is written in the text colour somewhere on its row.
    const uint32_t text = quelo::platform::GetSysColor(quelo::platform::syscolor::kWindowText);
    bool inked = false;
    for (int x = 70; x < 300 && !inked; ++x)
      for (int y = 12; y < 26 && !inked; ++y) inked = Canvas(x, y) == text;
    QVERIFY(inked);
  }

  void RedrawReportsEachImageAndNewEmptiesAfterConfirmation() {
    StartLoose({{"a.psd", SolidPsd(8, 8, kRed)}});
    for (int i = 0; i < 4; ++i) DoubleClickPreview(1);
    QStringList texts;
    connect(W().picProgress, &PictureBox::Printed, this, [&](const QString& t) { texts << t; });
    W().mnuShowRedraw->trigger();
    QCOMPARE(texts, (QStringList{QStringLiteral("25% 再描画しています..."), QStringLiteral("50% 再描画しています..."),
                                 QStringLiteral("75% 再描画しています..."), QStringLiteral("再描画しています..."),
                                 QStringLiteral("再描画が終了しました")}));
    // Short canvas: centred in the frame, no scrolling.
    QCOMPARE(W().picMainFrame->ChildLeft(W().picMain), (W().picMainFrame->InnerWidth() - 32) / 2);
    QVERIFY(!W().hscMain->isEnabled());

    dialogs_->answers = {MsgResult::No, MsgResult::Yes};
    W().mnuFileNew->trigger();
    QCOMPARE(W().lstImages->count(), 4);
    W().mnuFileNew->trigger();
    QCOMPARE(Q(dialogs_->messages[0].title), QStringLiteral("確認"));
    QCOMPARE(Q(dialogs_->messages[0].text), QStringLiteral("現在選択されているリストは破棄されます。\r\nよろしいですか？"));
    QCOMPARE(W().lstImages->count(), 0);
    QCOMPARE(CanvasSize(), QSize(300, 60));
  }

  void ScrollingMovesPreviewsAndSelection() {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
    for (int i = 1; i <= 10; ++i) files.push_back({"p" + std::to_string(i / 10) + std::to_string(i % 10) + ".psd",
                                                   SolidPsd(16, 16, kRed)});
    StartLoose(files);
    QCOMPARE(W().vscPreviews->maximum(), 10);
    DoubleClickPreview(1);
    const int top1 = W().picPreviews->ChildTop(W().picPreview[1]);
    W().vscPreviews->setValue(4);
    QVERIFY(W().picPreview[3]->isHidden());
    QCOMPARE(W().picPreviews->ChildTop(W().picPreview[4]), top1);
    QCOMPARE(W().SelectedPreview, int16_t(4));
    W().vscPreviews->setValue(2);
    QVERIFY(!W().picPreview[2]->isHidden());
    QCOMPARE(W().picPreviews->ChildTop(W().picPreview[2]), top1);
    QCOMPARE(W().SelectedPreview, int16_t(4));
    // The marking moved along: the caption band sits above preview 4.
    const int top4 = W().picPreviews->ChildTop(W().picPreview[4]);
    const uint32_t highlight = quelo::platform::GetSysColor(quelo::platform::syscolor::kHighlight);
    QCOMPARE(W().picPreviews->Point(1, top4 - 2), highlight);

    // A click on a line whose preview is scrolled away brings the panel back to it.
    W().vscPreviews->setValue(5);
    QVERIFY(W().picPreview[1]->isHidden());
    ClickLine(0);
    QCOMPARE(W().vscPreviews->value(), 1);
    QVERIFY(!W().picPreview[1]->isHidden());
    QCOMPARE(W().SelectedPreview, int16_t(1));
  }
};

QTEST_MAIN(FrmMainTest)
#include "FrmMainTest.moc"
