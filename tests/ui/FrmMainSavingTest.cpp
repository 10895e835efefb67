// Saving, copying and exporting from the main window, and the background colour,
// offscreen with scripted dialogs. Written files are read back with Pillow.
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>

#include <cerrno>
#include <filesystem>

#include "archive/PackWriters.h"
#include "image/clsImage.h"
#include "ui/MainWindowHarness.h"
#include "ui/PillowImage.h"
#include "ui/main/SaveFolders.h"

using quelo::platform::MsgResult;
using quelo::platform::ReplaceStep;
using quelo::ui::PictureBox;
using namespace quelo::test;

namespace {
const QKeyCombination kCtrlN(Qt::CTRL | Qt::Key_N), kCtrlS(Qt::CTRL | Qt::Key_S),
    kCtrlShiftS(Qt::CTRL | Qt::SHIFT | Qt::Key_S), kCtrlQ(Qt::CTRL | Qt::Key_Q), kCtrlC(Qt::CTRL | Qt::Key_C);
const QString kUnsaved = QStringLiteral("ストリップは保存されていません。保存しますか？");
}  // namespace

class FrmMainSavingTest : public QObject, protected MainWindowHarness {
  Q_OBJECT

  static QImage Argb(const QImage& image) { return image.convertToFormat(QImage::Format_ARGB32); }
  QImage CanvasImage() { return Argb(W().picMain->Image()); }
  QStringList Files() { return QDir(Q(dir_->Path())).entryList(QDir::Files, QDir::Name); }
  // `command` with its save dialog answered by `file` under filter entry `filter`.
  void Choose(QAction* command, const std::string& file, int filter = 1) {
    dialogs_->AnswerSave(file, filter);
    command->trigger();
  }
  // Which of 新規作成, 名前を付けて保存, 上書き保存, クリップボードにコピー and 終了 the File menu enables.
  QString FileMenuStates() {
    W().mnuFile->popup(QPoint(0, 0));
    QString states;
    for (QAction* a : {W().mnuFileNew, W().mnuFileSaveAs, W().mnuFileSave, W().mnuFileCopy, W().mnuFileEnd})
      states += a->isEnabled() ? '1' : '0';
    W().mnuFile->hide();
    return states;
  }

 private slots:
  void init() { SetUpWindow(); }
  void cleanup() { TearDownWindow(); }

  // Before any save "上書き保存(&S)" asks like "名前を付けて保存(&A)"; Cancel writes
  // nothing. Then a 24-bit uncompressed BMP and a PNG equal to the canvas, and
  // "上書き保存(&S)" writes the PNG again without a dialog. Writes failing at the
  // first, a middle and the last byte of the next PNG (through "上書き保存(&S)") and
  // BMP (through "名前を付けて保存(&A)"), and into a folder that is a plain file: one
  // message naming the file, the earlier file intact, no temporary file left,
  // SaveFileName kept.
  void SavingWritesTheCanvasOrKeepsTheEarlierFile() {
    StartLoose({{"a.psd", MakePsd(32, 32, 3, PatternPixels(32, 32, 3, 1))},
                {"b.psd", MakePsd(48, 32, 4, PatternPixels(48, 32, 4, 2))},  // soft alpha
                {"c.psd", SolidPsd(16, 32, 0x00FF00)}});
    DoubleClickPreview(1);
    DoubleClickPreview(2);
    QCOMPARE(CanvasImage().size(), QSize(80, 32));
    const std::string bmp = dir_->File("strip.bmp"), png = dir_->File("strip.png");
    W().mnuFileSave->trigger();
    QVERIFY(Files() == QStringList({"a.psd", "b.psd", "c.psd"}) && W().SaveFileName.empty());
    Choose(W().mnuFileSaveAs, bmp);
    for (const auto& r : dialogs_->saveRequests) {
      QCOMPARE(Q(r.title + "|" + r.filter + "|" + r.defaultExt + "|" + r.initialFolder + "|" + r.initialName),
               Q("ビットマップを保存|Windows ビットマップ (.bmp)|*.bmp|全てのファイル|*.*|PNG (.png)|*.png|bmp|" +
                 dir_->Path() + "|"));
      QVERIFY(r.filterIndex == 1 && r.confirmCreate && r.confirmOverwrite);
    }
    QCOMPARE(Q(W().SaveFileName), Q(bmp));
    QVERIFY(ReadAll(bmp).at(28) == 24 && ReadAll(bmp).at(30) == 0);  // 24 bits per pixel, BI_RGB
    Decoded d = Pillow(Q(bmp));
    QCOMPARE(d.what, QStringLiteral("BMP RGB"));
    QCOMPARE(d.image, CanvasImage());

    // The PNG entry; the dialog proposes the name saved under.
    Choose(W().mnuFileSaveAs, png, 3);
    QCOMPARE(Q(dialogs_->saveRequests.back().initialName), QStringLiteral("strip.bmp"));
    d = Pillow(Q(png));
    QCOMPARE(d.what, QStringLiteral("PNG RGB"));
    QCOMPARE(d.image, CanvasImage());

    DoubleClickPreview(3);
    W().mnuFileSave->trigger();
    QCOMPARE(dialogs_->saveRequests.size(), size_t(3));
    QCOMPARE(CanvasImage().width(), 96);
    QCOMPARE(Pillow(Q(png)).image, CanvasImage());
    const QStringList files = Files();
    QCOMPARE(files, (QStringList{"a.psd", "b.psd", "c.psd", "strip.bmp", "strip.png"}));
    QVERIFY(dialogs_->messages.empty());

    DoubleClickPreview(1);
    for (const auto& [target, asBmp] : {std::pair{png, false}, std::pair{bmp, true}}) {
      const std::vector<uint8_t> earlier = ReadAll(target);
      QVERIFY(W().SaveStripBitmap(dir_->File("new"), !asBmp));  // for the new file's size
      const auto size = static_cast<int64_t>(ReadAll(dir_->File("new")).size());
      QFile::remove(Q(dir_->File("new")));
      for (int64_t at : FailurePoints(size)) {
        ScopedWriteFailure failure(at);
        if (asBmp) dialogs_->AnswerSave(bmp, 1);
        (asBmp ? W().mnuFileSaveAs : W().mnuFileSave)->trigger();
        QCOMPARE(TakeMessages(), Q("ファイル " + target + " に保存できませんでした。\r\nディスクの空き容量が不足しています"));
        QVERIFY(ReadAll(target) == earlier && Files() == files);
        QCOMPARE(Q(W().SaveFileName), Q(png));
      }
    }
    // The steps after the writes (syncing the file, renaming it into place,
    // syncing the folder) failing in turn, through "上書き保存(&S)".
    for (auto step : {ReplaceStep::SyncFile, ReplaceStep::Rename, ReplaceStep::SyncFolder}) {
      const std::vector<uint8_t> earlier = ReadAll(png);
      quelo::platform::FailReplaceStep(step, EIO);
      W().mnuFileSave->trigger();
      QCOMPARE(TakeMessages(), Q("ファイル " + png + " に保存できませんでした。\r\n入出力エラーが発生しました"));
      QVERIFY(ReadAll(png) == earlier && Files() == files);
    }
    WriteAll(dir_->File("plain"), {1, 2, 3});
    Choose(W().mnuFileSaveAs, dir_->File("plain/strip.bmp"));
    // Windows answers a path through a file as a path not found.
    const std::string throughFile =
        QUELO_TARGET_WINDOWS ? "フォルダーまたはファイルが見つかりません" : "フォルダーの代わりにファイルがあります";
    QCOMPARE(TakeMessages(), Q("ファイル " + dir_->File("plain/strip.bmp") + " に保存できませんでした。\r\n" + throughFile));
    QCOMPARE(Q(W().SaveFileName), Q(png));
  }

  // The File menu follows the strip. Both copy commands put the canvas on the
  // clipboard, the 300 x 60 hint picture for an empty strip; the popup's copies the
  // selected preview. Exporting a loose file only says why it can't.
  void FileMenuCopyAndExportOfALooseFile() {
    StartLoose({{"a.psd", MakePsd(32, 32, 4, PatternPixels(32, 32, 4, 3))}, {"b.psd", SolidPsd(16, 32, 0xFF0000)}});
    QCOMPARE(FileMenuStates(), QStringLiteral("00001"));
    QClipboard* clipboard = QGuiApplication::clipboard();
    W().mnuEditCopy->trigger();
    QCOMPARE(clipboard->image().size(), QSize(300, 60));
    QCOMPARE(Argb(clipboard->image()), CanvasImage());
    DoubleClickPreview(2);
    DoubleClickPreview(1);
    QCOMPARE(FileMenuStates(), QStringLiteral("11111"));
    for (QAction* copy : {W().mnuEditCopy, W().mnuFileCopy}) {
      clipboard->clear();
      copy->trigger();
      QCOMPARE(Argb(clipboard->image()), CanvasImage());
    }
    ClickPreview(1);
    W().mnuPopPreviewsCopy->trigger();
    QCOMPARE(clipboard->image().size(), QSize(32, 32));
    QCOMPARE(Argb(clipboard->image()), Argb(W().PreviewPicture(1)));

    W().mnuPopPreviewsExport->trigger();
    QVERIFY(dialogs_->saveRequests.empty());
    const auto& m = dialogs_->messages.at(0);
    QCOMPARE(Q(m.title), QStringLiteral("ファイルのエクスポート"));
    QCOMPARE(m.icon, quelo::platform::MsgIcon::Information);
    QCOMPARE(TakeMessages(), QStringLiteral("このファイルは自己解凍書庫から読み込まれたファイルではありません"));
  }

  // Export of archive members byte for byte and as icons; refusals and failures
  // show their own message and no completion text.
  void ExportCopiesMembersOrWritesIcons() {
    const std::vector<uint8_t> rgba = PatternPixels(32, 32, 4, 4), hare = MakePsd(32, 32, 4, rgba);
    const std::string exe = dir_->File("quelo");
    quelo::WritePackExecutable(QCoreApplication::applicationFilePath().toStdString(),
                               {{"hare.psd", hare, 0}, {"wide.psd", SolidPsd(48, 32, 0x0000FF), 0}, {"psd", hare, 0}}, exe);
    StartIn(exe);
    ClickPreview(1);
    const std::string copy = dir_->File("copy.psd");
    Choose(W().mnuPopPreviewsExport, copy);
    const auto& r = dialogs_->saveRequests.at(0);
    QCOMPARE(Q(r.title + "|" + r.filter + "|" + r.defaultExt + "|" + r.initialName),
             QStringLiteral("エクスポート|psd ファイル |*.psd|Windows アイコン|*.ico|psd|hare"));
    QVERIFY(r.confirmCreate && r.confirmOverwrite);
    QVERIFY(ReadAll(copy) == hare);
    QCOMPARE(Status(), Q("エクスポート " + copy + " に保存されました"));

    // The last three letters decide: "ICO" in capitals, "myico" after a dot. A
    // name without an extension takes the chosen entry's first. (Pillow leaves
    // out the alpha of these icons; the icon writer's own test checks it.)
    const QImage expected = QImage(rgba.data(), 32, 32, 32 * 4, QImage::Format_RGBA8888).convertToFormat(QImage::Format_RGB32);
    for (auto [typed, entry, written, icon] : {std::tuple{"hare.ICO", 2, "hare.ICO", true}, {"sun2", 2, "sun2.ico", true},
                                               {"hare.myico", 1, "hare.myico", true}, {"sun3", 1, "sun3.psd", false}}) {
      const std::string file = dir_->File(written);
      Choose(W().mnuPopPreviewsExport, dir_->File(typed), entry);
      QCOMPARE(Status(), Q("エクスポート " + file + " に保存されました"));
      if (!icon) {
        QVERIFY(ReadAll(file) == hare);
        continue;
      }
      QCOMPARE(ReadAll(file).size(), size_t(6 + 16 + 40 + 32 * 32 * 4 + 32 * 4));  // 32-bit pixels and the mask
      const Decoded d = Pillow(Q(file));
      QCOMPARE(d.what, QStringLiteral("ICO RGBA"));
      QCOMPARE(d.image.convertToFormat(QImage::Format_RGB32), expected);
    }
    // A member named without a dot proposes its whole name.
    ClickPreview(3);
    W().mnuPopPreviewsExport->trigger();  // cancelled
    QCOMPARE(Q(dialogs_->saveRequests.back().initialName), QStringLiteral("psd"));
    QVERIFY(dialogs_->messages.empty());

    // Not square: SaveICO refuses; a folder that is a file: FileExport fails.
    const QString before = Status();
    ClickPreview(2);
    Choose(W().mnuPopPreviewsExport, dir_->File("wide.ico"));
    QCOMPARE(TakeMessages(), QStringLiteral("このデータはアイコン形式での保存は出来ません"));
    WriteAll(dir_->File("plain"), {1});
    Choose(W().mnuPopPreviewsExport, dir_->File("plain/wide.psd"));
    QCOMPARE(TakeMessages(), QUELO_TARGET_WINDOWS
                                 ? QStringLiteral("ファイル操作中に予期しないエラーが発生しました。\r\n76 フォルダーまたはファイルが見つかりません")
                                 : QStringLiteral("ファイル操作中に予期しないエラーが発生しました。\r\n75 フォルダーの代わりにファイルがあります"));
    QCOMPARE(Status(), before);
    QVERIFY(!QFile::exists(Q(dir_->File("wide.ico"))));
  }

  // Saving, exporting a member and exporting an icon to a name that is a link
  // write the file the link names, in its own folder, and the link stays. A
  // link to nothing is refused with the message of each command; nothing is made.
  void LinksNameTheFileThatIsWritten() {
    if (QUELO_TARGET_WINDOWS) QSKIP("symbolic links: Windows lets only administrators make them, and Wine makes none");
    namespace fs = std::filesystem;
    const std::vector<uint8_t> hare = MakePsd(32, 32, 4, PatternPixels(32, 32, 4, 5)), earlier{'o', 'l', 'd'};
    const std::string exe = dir_->File("quelo");
    quelo::WritePackExecutable(QCoreApplication::applicationFilePath().toStdString(), {{"hare.psd", hare, 0}}, exe);
    StartIn(exe);
    DoubleClickPreview(1);
    fs::create_directory(dir_->File("real"));
    fs::create_directory(dir_->File("links"));
    const std::tuple<QAction*, int, std::string, std::string> cases[] = {
        {W().mnuFileSaveAs, 1, "strip.bmp", "ファイル %1 に保存できませんでした。\r\n%2"},
        {W().mnuPopPreviewsExport, 1, "hare.psd", "ファイル操作中に予期しないエラーが発生しました。\r\n76 %2"},
        {W().mnuPopPreviewsExport, 2, "hare.ico", "ファイルの保存に失敗しました。\r\n%2"},
    };
    for (const auto& [command, filter, name, message] : cases) {
      const std::string link = dir_->File("links/" + name), dangling = dir_->File("links/none-" + name);
      WriteAll(dir_->File("real/" + name), earlier);
      fs::create_symlink("../real/" + name, link);
      fs::create_symlink("../real/none-" + name, dangling);
      ClickPreview(1);
      Choose(command, link, filter);
      QVERIFY(dialogs_->messages.empty());
      QVERIFY(fs::is_symlink(link));
      const std::vector<uint8_t> written = ReadAll(dir_->File("real/" + name));
      if (name == "strip.bmp") QCOMPARE(Pillow(Q(dir_->File("real/strip.bmp"))).image, CanvasImage());
      if (name == "hare.psd") QVERIFY(written == hare);
      if (name == "hare.ico") QCOMPARE(Pillow(Q(dir_->File("real/hare.ico"))).what, QStringLiteral("ICO RGBA"));

      Choose(command, dangling, filter);
      const std::string why = "シンボリックリンク " + dangling + " の指す先 ../real/none-" + name + " がありません";
      QCOMPARE(TakeMessages(), Q(message).replace("%1", Q(dangling)).replace("%2", Q(why)));
    }
    QCOMPARE(QDir(Q(dir_->File("real"))).entryList(QDir::Files, QDir::Name),
             (QStringList{"hare.ico", "hare.psd", "strip.bmp"}));
  }

  // 背景を透明にする: the canvas shows a checkerboard where the images are clear;
  // the PNG and the 32-bit BMP hold every pixel with its alpha (read by Pillow
  // and ImageMagick), Ctrl+C copies the alpha too, and with 位置を JSON ファイル
  // にも保存 the listing beside the strip cuts it back into its source images. A
  // colour chosen afterwards makes the strip opaque again, a 24-bit BMP.
  void TransparentStripKeepsItsAlpha() {
    if (QUELO_TARGET_WINDOWS) QSKIP("Pillow and ImageMagick make and read the files: Linux programs that Wine cannot wait for");
    auto python = [this](const QString& script) {
      QProcess p;
      p.setWorkingDirectory(Q(dir_->Path()));
      p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script});
      p.waitForFinished(60000);
      return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
    };
    QCOMPARE(python(QStringLiteral(
                 "from PIL import Image\n"
                 "a = Image.new('RGBA', (16, 16))\n"
                 "a.putdata([(200, x * 16, y * 16, 0 if x < 12 and y < 12 else x * 16 + y) for y in range(16) for x in range(16)])\n"
                 "a.save('a.png')\n"
                 "b = Image.new('RGBA', (8, 16))\n"
                 "b.putdata([(x * 30, 90, y * 15, 255 if x % 2 else 100) for y in range(16) for x in range(8)])\n"
                 "b.save('b.png')\n")),
             QString());
    StartIn(dir_->File("quelo"));
    DoubleClickPreview(1);
    DoubleClickPreview(2);
    ChooseFromMenu(W().mnuEdit, W().mnuEditTransparent);
    QVERIFY(W().mnuEditTransparent->isChecked());
    auto swatch = [this](int x, int y) { return PictureBox::FromQRgb(W().picSetBackColor->grab().toImage().pixel(x, y)); };
    QCOMPARE(swatch(8, 8), 0xCCCCCCu);  // a checkerboard in the colour box too
    QCOMPARE(swatch(8, 2), 0xFFFFFFu);
    for (auto [x, y, colour] : {std::tuple{0, 0, 0xCCCCCCu}, {8, 0, 0xFFFFFFu}, {0, 8, 0xFFFFFFu}, {8, 8, 0xCCCCCCu}})
      QCOMPARE(Canvas(x, y), colour);
    ChooseFromMenu(W().mnuFile, W().mnuFileLayoutJson);
    QVERIFY(W().mnuFileLayoutJson->isChecked());
    const std::string png = dir_->File("strip.png"), bmp = dir_->File("strip.bmp");
    Choose(W().mnuFileSaveAs, png, 3);
    Choose(W().mnuFileSaveAs, bmp, 1);
    QCOMPARE(TakeMessages(), QString());
    QCOMPARE(python(QStringLiteral(
                 "import json, subprocess\n"
                 "from PIL import Image\n"
                 "png = Image.open('strip.png'); bmp = Image.open('strip.bmp')\n"
                 "assert list(png.getdata()) == list(bmp.getdata())\n"
                 "magick = subprocess.run(['/usr/bin/convert', 'strip.bmp', 'rgba:-'], capture_output=True).stdout\n"
                 "assert magick == png.tobytes(), 'ImageMagick'\n"
                 "layout = json.load(open('strip.json'))\n"
                 "for e in layout['images']:\n"
                 "  box = (e['x'], e['y'], e['x'] + e['width'], e['y'] + e['height'])\n"
                 "  assert list(png.crop(box).getdata()) == list(Image.open(e['name']).convert('RGBA').getdata()), e\n"
                 "print(png.mode, bmp.mode, layout['file'], layout['width'], layout['height'], len(layout['images']))\n")),
             QStringLiteral("RGBA RGBA strip.bmp 24 16 2"));
    Activate();
    Key(kCtrlC);
    const QImage copied = QGuiApplication::clipboard()->image();
    QVERIFY(copied.hasAlphaChannel());
    QCOMPARE(Argb(copied), Pillow(Q(png)).image);

    dialogs_->colourAnswers = {0x000000};
    ChooseFromMenu(W().mnuEdit, W().mnuEditBackColor);
    QVERIFY(!W().mnuEditTransparent->isChecked());
    QCOMPARE(Canvas(0, 0), 0u);
    QCOMPARE(swatch(8, 8), 0u);
    Key(kCtrlS);
    QCOMPARE(ReadAll(bmp).at(28), uint8_t(24));
    QCOMPARE(Pillow(Q(bmp)).what, QStringLiteral("BMP RGB"));
    QCOMPARE(Pillow(Q(bmp)).image, CanvasImage());
  }

  // Black behind a half-transparent image and a lower one: both and the band under
  // the lower one repaint, the previews stay white, the panel shows the values; the
  // next dialog starts on black and its Cancel changes nothing; a new strip takes
  // the colour too.
  void BackgroundColourRepaintsTheStripButNotThePreviews() {
    StartLoose({{"a.psd", MakePsd(32, 32, 4, std::vector<uint8_t>(32 * 32 * 4, 0x80))},
                {"b.psd", SolidPsd(16, 16, 0x0000FF)}});
    auto panel = [this] {
      return W().txtBackColor[0]->text() + ' ' + W().txtBackColor[1]->text() + ' ' + W().txtBackColor[2]->text();
    };
    QCOMPARE(panel(), QStringLiteral("255 255 255"));
    DoubleClickPreview(1);
    dialogs_->answers.push_back(MsgResult::No);  // keep the height 32
    DoubleClickPreview(2);
    dialogs_->colourAnswers = {0x000000};
    W().mnuEditBackColor->trigger();
    QCOMPARE(panel(), QStringLiteral("0 0 0"));
    const uint32_t onBlack = 0x010101u * quelo::BlendComponent(0x80, 0, 0x80);
    QCOMPARE(CanvasSize(), QSize(48, 32));
    for (auto [x, y, colour] : {std::tuple{0, 0, onBlack}, {31, 31, onBlack}, {47, 15, 0x0000FFu}, {32, 16, 0u}, {47, 31, 0u}})
      QCOMPARE(Canvas(x, y), colour);
    QCOMPARE(PreviewPixel(1, 16, 16), 0x010101u * quelo::BlendComponent(0x80, 255, 0x80));

    dialogs_->colourAnswers = {std::nullopt, 0x336699};  // Cancel, then a colour of three different values
    W().mnuEditBackColor->trigger();
    W().mnuEditBackColor->trigger();
    QCOMPARE(dialogs_->colourStarts, (std::vector<uint32_t>{0xFFFFFF, 0x000000, 0x000000}));
    QCOMPARE(panel(), QStringLiteral("153 102 51"));
    dialogs_->answers.push_back(MsgResult::No);  // not saved
    W().mnuFileNew->trigger();
    QCOMPARE(CanvasSize(), QSize(300, 60));
    QCOMPARE(Canvas(0, 0), 0x336699u);
    QCOMPARE(W().picMain->PrintedTexts().size(), size_t(2));  // the hint, on the new colour
  }

  // The colour panel's fields edit the colour, as typed: a value over 255 is
  // taken as 255, letters are not taken, an emptied field gets its value
  // back; the swatch, the strip and the next dialog follow, and the strip counts as changed.
  void TypedValuesSetTheColour() {
    StartLoose({{"a.psd", SolidPsd(16, 16, 0x0000FF)}, {"b.psd", SolidPsd(8, 8, 0x00FF00)}});
    Activate();
    DoubleClickPreview(1);
    dialogs_->answers.push_back(MsgResult::No);  // keep the height 16
    DoubleClickPreview(2);  // 8 high: a band of background under it
    auto type = [this](int field, const char* text, Qt::Key end) {
      QLineEdit* box = W().txtBackColor[field];
      QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
      QVERIFY(box->hasFocus());
      QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
      if (*text)
        QTest::keyClicks(box, QString::fromLatin1(text));
      else
        QTest::keyClick(box, Qt::Key_Backspace);
      QTest::keyClick(box, end);
    };
    type(0, "300", Qt::Key_Return);
    type(1, "x4y0", Qt::Key_Tab);
    type(2, "", Qt::Key_Return);
    QCOMPARE(W().txtBackColor[0]->text() + ' ' + W().txtBackColor[1]->text() + ' ' + W().txtBackColor[2]->text(),
             QStringLiteral("255 40 255"));
    QCOMPARE(Canvas(20, 12), 0xFF28FFu);  // the band under the lower image
    QCOMPARE(Canvas(4, 4), 0x0000FFu);
    QCOMPARE(PictureBox::FromQRgb(W().picSetBackColor->grab().toImage().pixel(40, 10)), 0xFF28FFu);
    QVERIFY(W().windowTitle().endsWith(" *"));
    W().mnuEditBackColor->trigger();
    QCOMPARE(dialogs_->colourStarts, (std::vector<uint32_t>{0xFF28FF}));
  }

  // The hint stands out from any background, on the canvas and copied (Ctrl+C);
  // the swatch shows the colour.
  void HintStandsOutOnAnyBackground() {
    StartLoose({{"a.psd", SolidPsd(16, 16, 0x0000FF)}});
    Activate();
    for (auto [back, text] : {std::pair{0x000000u, 0xFFFFFFu}, {0xFFFFFFu, 0u}, {0x6B2B10u, 0xFFFFFFu}, {0x80C0E0u, 0u}}) {
      dialogs_->colourAnswers = {back};
      ChooseFromMenu(W().mnuEdit, W().mnuEditBackColor);
      Key(kCtrlC);
      const QImage copied = Argb(QGuiApplication::clipboard()->image());
      QVERIFY(copied == CanvasImage() && copied.size() == QSize(300, 60));
      const auto* pixels = reinterpret_cast<const QRgb*>(copied.constBits());
      QVERIFY(std::count(pixels, pixels + 300 * 60, PictureBox::ToQRgb(text)) > 100);
      QCOMPARE(PictureBox::FromQRgb(W().picSetBackColor->grab().toImage().pixel(40, 10)), back);
    }
  }

  // Save dialogs start where the user last saved, strips and exports apart, also
  // in the next run; a failed save moves nothing; a folder removed is forgotten.
  // The first time: the program's folder if a file can be made there (not even
  // root can in /proc), else Pictures, else home.
  void SaveDialogsStartWhereTheUserLastSaved() {
    const std::string exe = dir_->File("quelo");
    quelo::WritePackExecutable(QCoreApplication::applicationFilePath().toStdString(),
                               {{"a.psd", SolidPsd(16, 16, 0x0000FF), 0}}, exe);
    for (const char* folder : {"strips", "exports"}) QDir(Q(dir_->Path())).mkdir(folder);
    // The strip saved by Ctrl+Shift+S, the member exported by the popup (or
    // either dialog cancelled): where the two dialogs started.
    auto save = [&](const char* strip, const char* member) {
      if (*strip) dialogs_->AnswerSave(dir_->File(strip));
      Key(kCtrlShiftS);
      if (*member) dialogs_->AnswerSave(dir_->File(member));
      ClickPreview(1, Qt::RightButton);
      ChooseFromMenu(W().mnuPopPreviews, W().mnuPopPreviewsExport);
      const auto& r = dialogs_->saveRequests;
      return Q(r[r.size() - 2].initialFolder + " " + r.back().initialFolder).remove(Q(dir_->Path()));
    };
    for (int run = 0; run < 2; ++run) {
      window_.reset();
      StartIn(exe);
      DoubleClickPreview(1);
      Activate();
      if (run == 0) {
        QCOMPARE(save("strips/s.bmp", "exports/e.psd"), QStringLiteral(" "));
        ScopedWriteFailure failure(0);
        save("s.bmp", "e.psd");
      }
      QCOMPARE(save("", ""), QStringLiteral("strips exports"));
    }
    QDir(Q(dir_->File("strips"))).removeRecursively();
    QCOMPARE(save("", ""), QStringLiteral(" exports"));

    if (QUELO_TARGET_WINDOWS)
      QSKIP("the fallbacks to Pictures and home: Windows takes them from the user's profile, not from HOME");
    TempDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(home.Path()));
    qunsetenv("XDG_CONFIG_HOME");
    for (auto [appDir, pictures, expected] : {std::tuple{dir_->Path(), true, dir_->Path()},
                                              {std::string("/proc/"), true, home.File("Pictures")},
                                              {std::string("/proc/"), false, home.Path()}}) {
      QDir(Q(home.File("Pictures"))).removeRecursively();
      if (pictures) QDir().mkpath(Q(home.File("Pictures")));
      QCOMPARE(QDir::cleanPath(Q(quelo::ui::SaveStartFolder(quelo::ui::SaveKind::Strip, appDir))),
               QDir::cleanPath(Q(expected)));
    }
    qputenv("HOME", oldHome);
  }

  // Every edit marks the strip in the title; saving (the status says where) and
  // emptying clear the mark; edits that change nothing leave none. A marked
  // strip asks before 新規作成 (Ctrl+N) and closing (Ctrl+Q): キャンセル stays,
  // はい saves and stays when the save fails, いいえ goes on unsaved. A saved
  // strip asks the plain question before 新規作成.
  void UnsavedStripIsNeverLostSilently() {
    quelo::PackDefinition def;
    def.PackName = "P";
    StartLoose({{"!quelo.ini", quelo::SerializeDefinition(def)}, {"a.psd", SolidPsd(16, 16, 0xFF)},
                {"b.psd", SolidPsd(8, 32, 0xFF00)}});
    Activate();
    QCOMPARE(W().windowTitle(), QStringLiteral("Quelo - [P]"));
    DoubleClickPreview(1);
    QCOMPARE(W().windowTitle(), QStringLiteral("Quelo - [P] *"));
    const std::string bmp = dir_->File("strip.bmp");
    dialogs_->AnswerSave(bmp);
    Key(kCtrlS);
    QCOMPARE(Status(), Q("ストリップを " + bmp + " に保存しました"));
    const QString saved = QStringLiteral("Quelo - [P] - strip.bmp");
    const std::vector<std::pair<std::function<void()>, bool>> edits = {
        {[&] { DoubleClickPreview(1); }, true},
        {[&] { Click(0, W().cmdItemRight); }, true},
        {[&] { Click(0, W().cmdItemLeft); }, false},  // already first
        {[&] { Click(0, W().cmdItemDel); }, true},
        {[&] { ChooseFromMenu(W().mnuEdit, W().mnuEditBackColor); }, false},  // cancelled
        {[&] { dialogs_->colourAnswers = {0x336699}; ChooseFromMenu(W().mnuEdit, W().mnuEditBackColor); }, true},
        {[&] { dialogs_->answers = {MsgResult::Cancel}; DoubleClickPreview(2); }, false},  // not taller after all
        {[&] { dialogs_->answers = {MsgResult::Yes}; DoubleClickPreview(2); }, true}};
    for (const auto& [edit, marks] : edits) {
      Key(kCtrlS);
      QCOMPARE(W().windowTitle(), saved);
      edit();
      QCOMPARE(W().windowTitle(), saved + (marks ? " *" : ""));
    }
    for (auto [answer, lines] : {std::pair{MsgResult::Cancel, 2}, {MsgResult::No, 0}}) {
      dialogs_->answers = {answer};
      Key(kCtrlN);
      QCOMPARE(W().lstImages->count(), lines);
    }
    // The new strip has no file: the title names none, and the first Ctrl+S asks
    // for a name instead of replacing the strip saved before.
    QCOMPARE(W().windowTitle(), QStringLiteral("Quelo - [P]"));
    QCOMPARE(Pillow(Q(bmp)).image.size(), QSize(16, 16));  // as last saved
    DoubleClickPreview(1);
    const size_t asked = dialogs_->saveRequests.size();
    Key(kCtrlS);
    QCOMPARE(dialogs_->saveRequests.size(), asked + 1);  // cancelled
    QCOMPARE(W().windowTitle(), QStringLiteral("Quelo - [P] *"));
    dialogs_->AnswerSave(bmp);
    Key(kCtrlS);
    TakeMessages();
    Key(kCtrlN);
    QCOMPARE(TakeMessages(), QStringLiteral("現在選択されているリストは破棄されます。\r\nよろしいですか？"));
    dialogs_->AnswerSave(bmp);  // the save that fails
    dialogs_->AnswerSave(bmp);

    DoubleClickPreview(1);
    dialogs_->answers = {MsgResult::Cancel, MsgResult::Yes, MsgResult::Yes};
    Key(kCtrlQ);
    {
      ScopedWriteFailure failure(0);
      Key(kCtrlQ);
    }
    QVERIFY(W().isVisible() && W().windowTitle().endsWith(" *"));
    Key(kCtrlQ);
    QVERIFY(!W().isVisible());
    QCOMPARE(Pillow(Q(bmp)).image, CanvasImage());
    QCOMPARE(TakeMessages().count(kUnsaved), 3);
  }
};

QTEST_MAIN(FrmMainSavingTest)
#include "FrmMainSavingTest.moc"
