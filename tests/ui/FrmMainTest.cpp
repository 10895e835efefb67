// The main window, offscreen, on packs made here: loose folders and archives
// appended to a copy of this test program. Message boxes are answered from a script.
#include <QClipboard>
#include <QLineEdit>
#include <QScrollBar>
#include <QtTest>

#include "archive/PackWriters.h"
#include "ui/MainWindowHarness.h"

using quelo::platform::GetSysColor;
using quelo::platform::MsgResult;
using quelo::ui::frmMain;
using quelo::ui::PictureBox;
using quelo::test::Q;
using quelo::test::SolidPsd;
namespace syscolor = quelo::platform::syscolor;
Q_DECLARE_METATYPE(MsgResult)

namespace {
constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;
}  // namespace

class FrmMainTest : public QObject, protected quelo::test::MainWindowHarness {
  Q_OBJECT

  void ExpectMessage(size_t i, const char* title, const QString& text) {
    QCOMPARE(Q(dialogs_->messages.at(i).title), QString::fromUtf8(title));
    QCOMPARE(Q(dialogs_->messages.at(i).text), text);
  }

 private slots:
  void init() { SetUpWindow(); }
  void cleanup() { TearDownWindow(); }

  // The panel is as wide as the widest image; each preview sits under its caption band.
  void LooseFolderLoadsInAlphabeticalOrderWithoutRegardToCase() {
    StartLoose({{"B.psd", SolidPsd(32, 20, kRed)}, {"a.psd", SolidPsd(48, 30, kGreen)},
                {"c.PSD", SolidPsd(40, 10, kBlue)}, {"notes.txt", {1, 2, 3}}});
    QCOMPARE(Names(), Q("a.psd B.psd c.PSD"));  // by code point: B a c
    QCOMPARE(PreviewPixel(1, 0, 0), kGreen);
    QCOMPARE(W().windowTitle(), QStringLiteral("quelo"));
    QCOMPARE(Status(), QStringLiteral("ファイルの読み込みが完了しました...[カレントディレクトリ：") + Q(dir_->Path()) + "]");
    QVERIFY(dialogs_->messages.empty());
    QCOMPARE(W().centralWidget()->size(), QSize(652, 456));
    QCOMPARE(W().picPreviews->width(), 48 + 8 + 17);
    const int ch = W().CaptionHeight;
    QCOMPARE(W().picPreview[2].top, ch + 1 + 30 + 1 + ch);
    QCOMPARE(W().picPreview[3].left, 1);
  }

  // An empty folder; resizing moves the strip area but not the list.
  void EmptyFolderAndResizing() {
    StartLoose({});
    QVERIFY(!W().picPreview[1].visible);
    QCOMPARE(W().picPreviews->width(), 8 + 17);
    const QRect panel = W().picPreviews->geometry(), frame = W().picMainFrame->geometry();
    const QRect list = W().lstImages->geometry();
    W().resize(W().width() + 20, W().height() + 10);
    QTRY_COMPARE(W().picPreviews->height(), panel.height() + 10);
    QCOMPARE(W().picMainFrame->size(), frame.size() + QSize(20, 10));
    QCOMPARE(W().lstImages->geometry(), list);
    const QImage bar = W().picProgress->Image();  // the full bar follows the new width
    QCOMPARE(PictureBox::FromQRgb(bar.pixel(bar.width() - 1, 0)), GetSysColor(syscolor::kInactiveCaption));
    const QImage client = W().centralWidget()->grab().toImage();  // white under the banner
    QCOMPARE(client.pixelColor(3, client.height() - 2), QColor(Qt::white));
  }

  // A damaged definition is reported once, then every image loads: refused by the
  // decoder or cut short, it is skipped and never becomes a preview.
  void DamagedFilesAreReportedOnceAndNeitherStopTheLoadNorBreakTheStrip() {
    std::vector<uint8_t> notPsd = SolidPsd(8, 8, kRed), notRgb = notPsd, cutShort = SolidPsd(16, 16, kRed);
    notPsd[0] = 'X';
    notRgb[25] = 1;
    cutShort.resize(cutShort.size() / 2);
    StartLoose({{"!quelo.ini", {'N', 'O', 'P', 'E', 1, 2, 3, 4, 5, 6}}, {"a.psd", notPsd}, {"b.psd", notRgb},
                {"c.psd", cutShort}, {"d.psd", SolidPsd(8, 8, kGreen)}});
    QCOMPARE(dialogs_->messages.size(), size_t(2));
    ExpectMessage(0, "定義ファイルの読み込み", QStringLiteral("定義ファイルの読み込みに失敗しました。壊れている可能性があります\r\n") +
                                                   Q(W().pack_->Config().GetLastErrorInfo()) +
                                                   QStringLiteral("\r\n定義ファイルは読み込まれませんでした。"));
    QCOMPARE(dialogs_->messages[0].icon, quelo::platform::MsgIcon::Exclamation);
    QCOMPARE(Q(dialogs_->messages[1].text).section(QStringLiteral("\r\n"), 0, 0), QStringLiteral("このファイルはPSD形式ではありません"));
    QVERIFY(Q(dialogs_->messages[1].text).endsWith(Q(dir_->File("a.psd"))));
    QCOMPARE(Names(), Q("d.psd"));
    QVERIFY(!W().picPreview[2].visible);
    DoubleClickPreview(1);
    QCOMPARE(ListLines(), Q("d.psd"));
    QCOMPARE(CanvasSize(), QSize(8, 8));
    QCOMPARE(Canvas(7, 7), kGreen);
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
    QCOMPARE(Names(), Q("絵1 絵2 絵3 絵4 絵5 絵6"));
    QCOMPARE(W().picPreview[6].width, 16);
    QCOMPARE(W().windowTitle(), QStringLiteral("Quelo - [テストパック]"));
    QVERIFY(dialogs_->messages.empty());
    QCOMPARE(Status(), QStringLiteral("ファイルの読み込みが完了しました...[自己展開書庫：") + Q(exe) + "]");
  }

  void StatusShowsPercentageWhileLoading() {
    for (int i = 1; i <= 7; ++i) quelo::test::WriteAll(dir_->File("f" + std::to_string(i) + ".psd"), SolidPsd(4, 4, kRed));
    QStringList texts;
    StartIn(dir_->File("quelo"), [&](frmMain& w) {
      connect(w.picProgress, &PictureBox::Printed, this, [&](const QString& text) { texts << text; });
    });
    QCOMPARE(texts.size(), 8);
    QCOMPARE(texts[2], QStringLiteral("42% ファイルを読み込んでいます... f3.psd"));
  }

  // The popup's commands, the buttons and the redraw on one strip: z x y z; then
  // "new" cancelled and the empty strip after the last delete.
  void PopupButtonsAndRedrawKeepListAndCanvasInStep() {
    StartLoose({{"x.psd", SolidPsd(16, 8, kRed)}, {"y.psd", SolidPsd(24, 8, kGreen)},
                {"z.psd", SolidPsd(8, 8, kBlue)}});
    W().mnuPopPreviewsAddFirst->trigger();  // nothing selected yet: nothing to add
    QCOMPARE(W().lstImages->count(), 0);
    DoubleClickPreview(1);
    DoubleClickPreview(2);
    ClickPreview(3);
    W().mnuPopPreviewsAddFirst->trigger();
    W().mnuPopPreviewsAddLast->trigger();
    QCOMPARE(ListLines(), Q("z.psd x.psd y.psd z.psd"));
    QCOMPARE(CanvasSize(), QSize(56, 8));
    for (auto [x, colour] : {std::pair{7, kBlue}, {8, kRed}, {24, kGreen}, {48, kBlue}}) QCOMPARE(Canvas(x, 7), colour);
    W().mnuShowRedraw->trigger();
    QCOMPARE(Status(), QStringLiteral("再描画が終了しました"));
    QCOMPARE(W().picMainFrame->ChildLeft(W().picMain), (W().picMainFrame->InnerWidth() - 56) / 2);  // centred

    Click(0, W().cmdItemLeft);   // the first line can't go further left,
    Click(3, W().cmdItemRight);  // the last no further right
    QCOMPARE(ListLines(), Q("z.psd x.psd y.psd z.psd"));
    Click(1);
    QCOMPARE(W().SelectedPreview, int16_t(1));  // the click gave the preview the focus
    Click(-1, W().cmdItemLeft);
    QCOMPARE(ListLines(), Q("x.psd z.psd y.psd z.psd"));
    QVERIFY(W().lstImages->selectedItems().isEmpty());
    for (auto [x, colour] : {std::pair{15, kRed}, {16, kBlue}, {24, kGreen}}) QCOMPARE(Canvas(x, 7), colour);
    Click(-1, W().cmdItemRight);  // nothing selected: nothing moves
    Click(2, W().cmdItemRight);
    QCOMPARE(ListLines(), Q("x.psd z.psd z.psd y.psd"));
    Click(1, W().cmdItemDel);
    QCOMPARE(ListLines(), Q("x.psd z.psd y.psd"));
    QCOMPARE(CanvasSize(), QSize(48, 8));
    QCOMPARE(Canvas(24, 0), kGreen);

    dialogs_->answers = {MsgResult::Cancel};  // the strip was never saved
    W().mnuFileNew->trigger();
    ExpectMessage(0, "quelo", QStringLiteral("ストリップは保存されていません。保存しますか？"));
    QCOMPARE(W().lstImages->count(), 3);
    for (int i = 0; i < 3; ++i) Click(0, W().cmdItemDel);  // empty: two hint lines, the first in bold
    QCOMPARE(CanvasSize(), QSize(300, 60));
    QStringList hints;
    for (const auto& h : W().picMain->PrintedTexts())
      hints << QStringLiteral("%1 %2,%3%4").arg(h.text).arg(h.x).arg(h.y).arg(h.bold ? " bold" : "");
    QCOMPARE(hints, (QStringList{QStringLiteral("イメージは登録されていません 70,12 bold"),
                                 QStringLiteral("左側のリストからドラッグアンドドロップで追加できます 15,36")}));
  }

  void AddingATallerImageAsksForTheHeight_data() {
    QTest::addColumn<MsgResult>("answer");
    QTest::addColumn<QSize>("canvas");
    QTest::newRow("Yes") << MsgResult::Yes << QSize(80, 48);
    QTest::newRow("No") << MsgResult::No << QSize(80, 32);
    QTest::newRow("Cancel") << MsgResult::Cancel << QSize(32, 32);
  }
  void AddingATallerImageAsksForTheHeight() {
    QFETCH(MsgResult, answer);
    QFETCH(QSize, canvas);
    StartLoose({{"a.psd", SolidPsd(32, 32, kRed)}, {"b.psd", SolidPsd(48, 48, kBlue)}});
    DoubleClickPreview(1);
    dialogs_->answers.push_back(answer);
    DoubleClickPreview(2);
    QCOMPARE(dialogs_->messages.size(), size_t(1));
    ExpectMessage(0, "イメージの高さ", QStringLiteral("先に追加されたイメージと高さが違います。\r\n現在の高さ\t：32\r\n新しい高さ\t：48\r\n"
                                                 "高さを変更しますか？変更すると現在のイメージは上寄せになります。"));
    const auto& m = dialogs_->messages[0];
    QVERIFY(m.buttons == quelo::platform::MsgButtons::YesNoCancel && m.defaultButton == MsgResult::Cancel);
    const bool added = answer != MsgResult::Cancel;
    QCOMPARE(CanvasSize(), canvas);
    QCOMPARE(ListLines(), Q(added ? "a.psd b.psd" : "a.psd"));
    QCOMPARE(Canvas(31, 31), kRed);
    QCOMPARE(Canvas(79, canvas.height() - 1), added ? kBlue : 0u);
    if (answer == MsgResult::Yes) QCOMPARE(Canvas(31, 47), GetSysColor(syscolor::kWindow));  // under the first image
  }

  // At most twenty; a wider strip scrolls with 5 pixels of frame at either end,
  // inside the frame's sunken edge.
  void TheStripHoldsAtMostTwentyImages() {
    StartLoose({{"a.psd", SolidPsd(40, 4, kRed)}});
    for (int i = 0; i < 21; ++i) DoubleClickPreview(1);
    QCOMPARE(W().lstImages->count(), 20);
    QCOMPARE(CanvasSize(), QSize(800, 4));
    QCOMPARE(dialogs_->messages.size(), size_t(1));
    ExpectMessage(0, "イメージ数制限",
                  QStringLiteral("これ以上追加することは出来ません。\r\n追加することの出来るイメージ数は 20 に制限されています。"));
    QCOMPARE(W().hscMain->maximum(), 800 + 10 - W().picMainFrame->InnerWidth());
    const QImage frame = W().picMainFrame->grab().toImage();
    QCOMPARE(PictureBox::FromQRgb(frame.pixel(0, 2 + W().picMain->y())), GetSysColor(syscolor::kButtonShadow));
  }

  // The menus' keys act only where their entries would: on an empty strip
  // neither save key opens a dialog, on a strip both do. Ctrl+C copies the
  // strip, but in a text box its own text.
  void MenuKeysActWhereTheirEntriesWould() {
    StartLoose({{"a.psd", SolidPsd(16, 16, kRed)}});
    Activate();
    for (int strip = 0; strip < 2; ++strip) {
      for (QKeyCombination key : {Qt::CTRL | Qt::Key_S, Qt::CTRL | Qt::SHIFT | Qt::Key_S}) Key(key);
      QCOMPARE(dialogs_->saveRequests.size(), size_t(2 * strip));
      DoubleClickPreview(1);
    }
    Key(Qt::CTRL | Qt::Key_C);
    QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), W().picMain->Image());
    W().txtBackColor[1]->setFocus();
    W().txtBackColor[1]->selectAll();
    Key(Qt::CTRL | Qt::Key_C);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("255"));
  }
};

QTEST_MAIN(FrmMainTest)
#include "FrmMainTest.moc"
