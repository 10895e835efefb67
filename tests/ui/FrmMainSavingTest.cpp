// Saving, copying and exporting from the main window, and the background colour,
// offscreen with scripted dialogs. Written files are read back with Pillow.
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QtTest>

#include <memory>

#include "archive/PackWriters.h"
#include "image/clsImage.h"
#include "platform/Platform.h"
#include "support/PsdWriter.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"
#include "ui/main/PictureBox.h"
#include "ui/main/frmMain.h"
#include "ui/MainWindowHarness.h"

using quelo::platform::MsgResult;
using quelo::test::MakePsd;
using quelo::test::PatternPixels;
using quelo::test::ReadAll;
using quelo::ui::frmMain;
using quelo::test::Q;
using quelo::test::SolidPsd;

namespace {

// A file as Pillow reads it: its format, mode and pixels (converted to RGBA).
struct Decoded {
  QString format, mode;
  QImage image;
};
Decoded Pillow(const std::string& file) {
  static const char* script =
      "import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1]); im.load()\n"
      "sys.stdout.write('%s %s %d %d\\n' % (im.format, im.mode, im.size[0], im.size[1])); sys.stdout.flush()\n"
      "sys.stdout.buffer.write(im.convert('RGBA').tobytes())\n";
  QProcess python;
  python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(script), Q(file)});
  Decoded d;
  if (!python.waitForFinished(30000) || python.exitCode() != 0) {
    qWarning() << python.readAllStandardError();
    return d;
  }
  const QByteArray out = python.readAllStandardOutput();
  const int eol = out.indexOf('\n');
  const QStringList head = QString::fromLatin1(out.left(eol)).split(' ');
  d.format = head[0];
  d.mode = head[1];
  const int w = head[2].toInt(), h = head[3].toInt();
  d.image = QImage(reinterpret_cast<const uchar*>(out.constData() + eol + 1), w, h, w * 4, QImage::Format_RGBA8888)
                .convertToFormat(QImage::Format_RGB32);
  return d;
}

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b.at(at + static_cast<size_t>(i));
  return v;
}

QImage Rgb32(const QImage& image) { return image.convertToFormat(QImage::Format_RGB32); }

}  // namespace

class FrmMainSavingTest : public QObject, protected quelo::test::MainWindowHarness {
  Q_OBJECT

 private:
  QImage CanvasImage() { return Rgb32(W().picMain->Image()); }
  QStringList Files() { return QDir(Q(dir_->Path())).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name); }
  // The strip 32 x 32 (opaque) + 48 x 32 (soft alpha), 80 x 32 in all.
  void StartWithTwoImageStrip() {
    StartLoose({{"a.psd", MakePsd(32, 32, 3, PatternPixels(32, 32, 3, 1))},
                {"b.psd", MakePsd(48, 32, 4, PatternPixels(48, 32, 4, 2))},
                {"c.psd", SolidPsd(16, 32, 0x00FF00)}});
    DoubleClickPreview(1);
    DoubleClickPreview(2);
    QCOMPARE(CanvasImage().size(), QSize(80, 32));
  }

 private slots:
  void init() { SetUpWindow(); }
  void cleanup() { TearDownWindow(); }

  // "名前を付けて保存(&A)" as a 24-bit uncompressed BMP and as a PNG, both equal to
  // the canvas; then "上書き保存(&S)" writes the same file again, without a dialog.
  void SaveAsWritesTheCanvasAndSaveWritesItAgain() {
    StartWithTwoImageStrip();
    const std::string bmp = dir_->File("strip.bmp"), png = dir_->File("strip.png");
    dialogs_->AnswerSave(bmp, 1);
    W().mnuFileSaveAs->trigger();
    const auto& r = dialogs_->saveRequests.at(0);
    QCOMPARE(Q(r.title), QStringLiteral("ビットマップを保存"));
    QCOMPARE(Q(r.filter), QStringLiteral("Windows ビットマップ (.bmp)|*.bmp|全てのファイル|*.*|PNG (.png)|*.png"));
    QCOMPARE(Q(r.defaultExt + " " + r.initialFolder + "|" + r.initialName), Q("bmp " + dir_->Path() + "|"));
    QVERIFY(r.filterIndex == 1 && r.confirmCreate && r.confirmOverwrite);
    QCOMPARE(Q(W().SaveFileName), Q(bmp));

    const std::vector<uint8_t> bytes = ReadAll(bmp);
    QVERIFY(Le(bytes, 28, 2) == 24 && Le(bytes, 30, 4) == 0);  // 24 bits per pixel, BI_RGB
    Decoded d = Pillow(bmp);
    QCOMPARE(d.format + " " + d.mode, QStringLiteral("BMP RGB"));
    QCOMPARE(d.image, CanvasImage());

    // The PNG entry: the dialog proposes the file chosen last.
    dialogs_->AnswerSave(png, 3);
    W().mnuFileSaveAs->trigger();
    QCOMPARE(Q(dialogs_->saveRequests.at(1).initialName), Q(bmp));
    d = Pillow(png);
    QCOMPARE(d.format + " " + d.mode, QStringLiteral("PNG RGB"));
    QCOMPARE(d.image, CanvasImage());

    // A third image, and "上書き保存(&S)" updates the PNG silently.
    DoubleClickPreview(3);
    W().mnuFileSave->trigger();
    QCOMPARE(dialogs_->saveRequests.size(), size_t(2));
    QCOMPARE(CanvasImage().size(), QSize(96, 32));
    QCOMPARE(Pillow(png).image, CanvasImage());
    QCOMPARE(Files(), (QStringList{"a.psd", "b.psd", "c.psd", "strip.bmp", "strip.png"}));
    QVERIFY(dialogs_->messages.empty());
  }

  // Before the first save "上書き保存(&S)" opens the dialog; Cancel writes nothing.
  void SaveBeforeAnySaveAsksAndCancelWritesNothing() {
    StartWithTwoImageStrip();
    const QStringList before = Files();
    W().mnuFileSave->trigger();
    QCOMPARE(dialogs_->saveRequests.size(), size_t(1));
    QCOMPARE(Q(dialogs_->saveRequests[0].title), QStringLiteral("ビットマップを保存"));
    QCOMPARE(Files(), before);
    QVERIFY(W().SaveFileName.empty() && dialogs_->messages.empty());
  }

  // Writes that fail at the first byte, in the middle and at the last byte of
  // the new BMP and PNG, and a folder that is a plain file: one message naming
  // the file each time, the earlier file intact, no temporary file, SaveFileName kept.
  void FailedWritesKeepTheEarlierFileAndTheName() {
    StartWithTwoImageStrip();
    const std::string bmp = dir_->File("strip.bmp"), png = dir_->File("strip.png");
    dialogs_->AnswerSave(png, 3);
    W().mnuFileSaveAs->trigger();
    dialogs_->AnswerSave(bmp, 1);
    W().mnuFileSaveAs->trigger();
    const std::vector<uint8_t> savedPng = ReadAll(png), saved = ReadAll(bmp);
    DoubleClickPreview(3);
    for (const auto& [target, asPng, earlier] : {std::tuple{bmp, false, saved}, std::tuple{png, true, savedPng}}) {
      // The size of the new file, written once elsewhere.
      QVERIFY(W().SaveStripBitmap(dir_->File("scratch"), asPng));
      const auto size = static_cast<int64_t>(ReadAll(dir_->File("scratch")).size());
      QFile::remove(Q(dir_->File("scratch")));
      for (int64_t at : quelo::test::FailurePoints(size)) {
        dialogs_->messages.clear();
        {
          // The BMP through "上書き保存(&S)", the PNG through "名前を付けて保存(&A)".
          quelo::test::ScopedWriteFailure failure(at);
          if (asPng) dialogs_->AnswerSave(png, 3);
          (asPng ? W().mnuFileSaveAs : W().mnuFileSave)->trigger();
        }
        QCOMPARE(Q(W().SaveFileName), Q(bmp));
        QCOMPARE(dialogs_->messages.size(), size_t(1));
        QCOMPARE(Q(dialogs_->messages[0].text), Q("ファイル " + target + " に保存できませんでした。\r\nNo space left on device"));
        QCOMPARE(dialogs_->messages[0].icon, quelo::platform::MsgIcon::Critical);
        QVERIFY(ReadAll(target) == earlier);
        QCOMPARE(Files(), (QStringList{"a.psd", "b.psd", "c.psd", "strip.bmp", "strip.png"}));  // no temporary file left
      }
    }
    dialogs_->messages.clear();

    quelo::test::WriteAll(dir_->File("plain"), {1, 2, 3});
    const std::string inside = dir_->File("plain/strip.bmp");
    dialogs_->AnswerSave(inside);
    W().mnuFileSaveAs->trigger();
    QCOMPARE(dialogs_->messages.size(), size_t(1));
    QVERIFY(Q(dialogs_->messages[0].text).startsWith(Q("ファイル " + inside + " に保存できませんでした。\r\n")));
    QCOMPARE(Q(W().SaveFileName), Q(bmp));
    QVERIFY(ReadAll(bmp) == saved);
  }

  // Both copy commands put the canvas on the clipboard, the 300 x 60 hint picture
  // for an empty strip; the popup's copies the selected preview.
  void CopyPutsTheCanvasOrThePreviewOnTheClipboard() {
    StartLoose({{"a.psd", MakePsd(32, 32, 4, PatternPixels(32, 32, 4, 3))}, {"b.psd", SolidPsd(16, 32, 0xFF0000)}});
    QClipboard* clipboard = QGuiApplication::clipboard();
    W().mnuEditCopy->trigger();
    QCOMPARE(Rgb32(clipboard->image()), CanvasImage());
    QCOMPARE(clipboard->image().size(), QSize(300, 60));
    DoubleClickPreview(2);
    DoubleClickPreview(1);
    W().mnuEditCopy->trigger();
    QCOMPARE(Rgb32(clipboard->image()), CanvasImage());
    clipboard->clear();
    W().mnuFileCopy->trigger();
    QCOMPARE(Rgb32(clipboard->image()), CanvasImage());
    ClickPreview(1);
    W().mnuPopPreviewsCopy->trigger();
    QCOMPARE(Rgb32(clipboard->image()), Rgb32(W().PreviewPicture(1)));
    QCOMPARE(clipboard->image().size(), QSize(32, 32));
  }

  // Export of archive members byte for byte and as icons; refusals and failures
  // show their own message and no completion text.
  void ExportCopiesMembersOrWritesIcons() {
    const std::vector<uint8_t> rgba = PatternPixels(32, 32, 4, 4);
    const std::vector<uint8_t> hare = MakePsd(32, 32, 4, rgba), wide = SolidPsd(48, 32, 0x0000FF);
    const std::string exe = dir_->File("quelo");
    quelo::WritePackExecutable(QCoreApplication::applicationFilePath().toStdString(),
                               {{"hare.psd", hare, 0}, {"wide.psd", wide, 0}, {"psd", hare, 0}}, exe);
    StartIn(exe);
    ClickPreview(1);
    const std::string copy = dir_->File("copy.psd");
    dialogs_->AnswerSave(copy);
    W().mnuPopPreviewsExport->trigger();
    const auto& r = dialogs_->saveRequests.at(0);
    QCOMPARE(Q(r.title + "|" + r.filter + "|" + r.defaultExt + "|" + r.initialName),
             QStringLiteral("エクスポート|psd ファイル |*.psd|Windows アイコン|*.ico|psd|hare"));
    QVERIFY(r.confirmCreate && r.confirmOverwrite);
    QVERIFY(ReadAll(copy) == hare);
    QCOMPARE(Status(), Q("エクスポート " + copy + " に保存されました"));

    // "ICO" in capitals, and "myico" without a dot, convert too.
    for (const char* name : {"hare.ICO", "myico"}) {
      const std::string icon = dir_->File(name);
      dialogs_->AnswerSave(icon, 2);
      W().mnuPopPreviewsExport->trigger();
      const std::vector<uint8_t> bytes = ReadAll(icon);
      QCOMPARE(bytes.size(), size_t(4286));
      QCOMPARE(Le(bytes, 14, 4), 4264u);
      const Decoded d = Pillow(icon);
      QCOMPARE(d.format + " " + d.mode, QStringLiteral("ICO RGBA"));
      const QImage expected(rgba.data(), 32, 32, 32 * 4, QImage::Format_RGBA8888);
      QCOMPARE(d.image, expected.convertToFormat(QImage::Format_RGB32));
      QCOMPARE(Status(), Q("エクスポート " + icon + " に保存されました"));
    }
    QVERIFY(dialogs_->messages.empty());

    // A member named without a dot proposes its whole name.
    ClickPreview(3);
    W().mnuPopPreviewsExport->trigger();  // cancelled
    QCOMPARE(Q(dialogs_->saveRequests.back().initialName), QStringLiteral("psd"));

    // Not square: SaveICO refuses; a folder that is a file: FileExport fails.
    const QString before = Status();
    ClickPreview(2);
    dialogs_->AnswerSave(dir_->File("wide.ico"));
    W().mnuPopPreviewsExport->trigger();
    QCOMPARE(Q(dialogs_->messages.at(0).text), QStringLiteral("このデータはアイコン形式での保存は出来ません"));
    quelo::test::WriteAll(dir_->File("plain"), {1});
    dialogs_->AnswerSave(dir_->File("plain/wide.psd"));
    W().mnuPopPreviewsExport->trigger();
    QVERIFY(Q(dialogs_->messages.at(1).text).startsWith(QStringLiteral("ファイル操作中に予期しないエラーが発生しました")));
    QCOMPARE(Status(), before);
    QVERIFY(!QFile::exists(Q(dir_->File("wide.ico"))));

    // The save dialog proposes the file chosen last in either dialog.
    DoubleClickPreview(1);
    W().mnuFileSaveAs->trigger();
    QCOMPARE(Q(dialogs_->saveRequests.back().initialName), Q(dir_->File("plain/wide.psd")));
  }

  void ExportOfALooseFileOnlyTellsWhy() {
    StartLoose({{"a.psd", SolidPsd(32, 32, 0xFF0000)}});
    ClickPreview(1);
    W().mnuPopPreviewsExport->trigger();
    QVERIFY(dialogs_->saveRequests.empty());
    QCOMPARE(dialogs_->messages.size(), size_t(1));
    const auto& m = dialogs_->messages[0];
    QCOMPARE(Q(m.title + "|" + m.text),
             QStringLiteral("ファイルのエクスポート|このファイルは自己解凍書庫から読み込まれたファイルではありません"));
    QCOMPARE(m.icon, quelo::platform::MsgIcon::Information);
  }

  // Black behind a strip of a soft-edged image and a lower one; the previews stay
  // white; the panel shows the values; Cancel changes nothing.
  void BackgroundColourRepaintsTheStripButNotThePreviews() {
    const std::vector<uint8_t> rgba = PatternPixels(32, 32, 4, 5);
    StartLoose({{"a.psd", MakePsd(32, 32, 4, rgba)}, {"b.psd", SolidPsd(16, 16, 0x0000FF)}});
    QCOMPARE(W().txtBackColor[0]->text() + W().txtBackColor[1]->text() + W().txtBackColor[2]->text(),
             QStringLiteral("255255255"));
    DoubleClickPreview(1);
    dialogs_->answers.push_back(MsgResult::No);  // keep the height 32
    DoubleClickPreview(2);
    dialogs_->colourAnswers = {0x000000, std::nullopt};
    W().mnuEditBackColor->trigger();
    W().mnuEditBackColor->trigger();  // starts on black; cancelled
    QCOMPARE(dialogs_->colourStarts, (std::vector<uint32_t>{0xFFFFFF, 0x000000}));
    QCOMPARE(W().StripBackColor, 0u);
    QCOMPARE(Status(), QStringLiteral("再描画が終了しました"));
    const QImage canvas = CanvasImage();
    const QImage preview = Rgb32(W().PreviewPicture(1));
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        const uint8_t* p = &rgba[static_cast<size_t>((y * 32 + x) * 4)];
        const QRgb onBlack = qRgb(quelo::BlendComponent(p[0], 0, p[3]), quelo::BlendComponent(p[1], 0, p[3]),
                                  quelo::BlendComponent(p[2], 0, p[3]));
        const QRgb onWhite = qRgb(quelo::BlendComponent(p[0], 255, p[3]), quelo::BlendComponent(p[1], 255, p[3]),
                                  quelo::BlendComponent(p[2], 255, p[3]));
        QCOMPARE(canvas.pixel(x, y), onBlack);
        QCOMPARE(preview.pixel(x, y), onWhite);
      }
    }
    QCOMPARE(canvas.pixel(40, 15), qRgb(255, 0, 0));
    for (int y = 16; y < 32; ++y)
      for (int x = 32; x < 48; ++x) QCOMPARE(canvas.pixel(x, y), qRgb(0, 0, 0));  // the band under b
    QCOMPARE(W().txtBackColor[0]->text() + W().txtBackColor[1]->text() + W().txtBackColor[2]->text(),
             QStringLiteral("000"));
    QVERIFY(W().txtBackColor[2]->isReadOnly());

    // The empty strip on the new colour.
    dialogs_->answers.push_back(MsgResult::Yes);
    W().mnuFileNew->trigger();
    QCOMPARE(CanvasImage().size(), QSize(300, 60));
    QCOMPARE(CanvasImage().pixel(0, 0), qRgb(0, 0, 0));
    QCOMPARE(W().picMain->PrintedTexts().size(), size_t(2));
  }

  void FileMenuFollowsTheStrip() {
    StartLoose({{"a.psd", SolidPsd(8, 8, 0xFF0000)}});
    auto enabled = [this] {
      W().mnuFile->popup(QPoint(0, 0));
      QString states;
      for (QAction* a : {W().mnuFileNew, W().mnuFileSaveAs, W().mnuFileSave, W().mnuFileCopy, W().mnuFileEnd})
        states += a->isEnabled() ? '1' : '0';
      W().mnuFile->hide();
      return states;
    };
    QCOMPARE(enabled(), QStringLiteral("00001"));
    DoubleClickPreview(1);
    QCOMPARE(enabled(), QStringLiteral("11111"));
  }
};

QTEST_MAIN(FrmMainSavingTest)
#include "FrmMainSavingTest.moc"
