// The information window, offscreen: its texts built from packs and files made
// here, its font's columns, and where its controls go when it is resized.
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegularExpression>

#include "archive/PackWriters.h"
#include "archive/clsExePlusFiles.h"
#include "archive/clsQueloConfig.h"
#include "image/clsImage.h"
#include "support/ModalWindow.h"
#include "ui/MainWindowHarness.h"
#include "ui/info/frmAbout.h"

using quelo::clsQueloConfig;
using quelo::test::Q;
using quelo::ui::frmAbout;

namespace {

QStringList Lines(const QString& text) { return text.split(QStringLiteral("\r\n")); }
// An expected text, its lines ended by "\n", with %1, %2, ... filled in.
QStringList Text(const char* lines, const QStringList& args = {}) {
  QString text = QString::fromUtf8(lines);
  for (const QString& arg : args) text = text.arg(arg);
  return text.split('\n');
}

std::vector<uint8_t> Psd(int width, int height, int channels) {
  return quelo::test::MakePsd(width, height, channels, quelo::test::PatternPixels(width, height, channels, 7));
}

// Every label of `text` ends where the 15-blank continuation indent ends, in `font`.
void ExpectLabelsInOneColumn(const QString& text, const QFont& font) {
  if (QUELO_TARGET_WINDOWS && QFontInfo(font).family() != frmAbout::kInfoFontFamily)
    QSKIP("the font MS Gothic is not installed (Wine has none): the label column is not checked");
  QVERIFY2(QFontInfo(font).family() == frmAbout::kInfoFontFamily,
           "the font Noto Sans Mono CJK JP is missing: scripts/deps.sh installs it (fonts-noto-cjk)");
  const QFontMetricsF metrics(font);
  int labels = 0;
  const QRegularExpression label(QStringLiteral("^\\[[^\\]]*\\] "), QRegularExpression::MultilineOption);
  for (auto it = label.globalMatch(text); it.hasNext(); ++labels) {
    const QString l = it.next().captured();
    QVERIFY2(qAbs(metrics.horizontalAdvance(l) - metrics.horizontalAdvance(QString(15, ' '))) < 0.01, qPrintable(l));
  }
  QVERIFY(labels >= 5);
}

// Shows a window that runs modal (`show` is given it) and hands it to `look` while it runs.
bool WhileModal(const std::function<void(frmAbout*)>& show, const std::function<void(frmAbout&)>& look) {
  QPointer<frmAbout> about = new frmAbout;  // a window that never opened is not released by a close
  const bool opened = quelo::test::LookAtModalWindow<frmAbout>([&] { show(about); }, look);
  delete about;
  return opened;
}

}  // namespace

class FrmAboutTest : public QObject, protected quelo::test::MainWindowHarness {
  Q_OBJECT

 private slots:
  void init() { SetUpWindow(); }
  void cleanup() { TearDownWindow(); }

  void VersionTextsFollowTheProjectVersion() {
    QCOMPARE(frmAbout::VersionLine(0, 9, 28), QStringLiteral("Version. 0.09β [ Build 0.09.0028 ]"));
    QCOMPARE(frmAbout::VersionLine(1, 2, 5), QStringLiteral("Version. 1.02 [ Build 1.02.0005 ]"));
    frmAbout about;
    QCOMPARE(about.lblVersion->text(),
             frmAbout::VersionLine(QUELO_VERSION_MAJOR, QUELO_VERSION_MINOR, QUELO_VERSION_REVISION));
    QCOMPARE(about.windowTitle() + about.cmdOK->text(), QStringLiteral("quelo のバージョン情報O K"));
    QCOMPARE(about.size(), QSize(561, 282));  // 8415 x 4230 twips
    QCOMPARE(about.txtInfo->font().pointSizeF(), 11.25);
  }

  // Version fields 100, 150 and 123; a three-line description stays unindented.
  // Resized, the text box is 120 twips (8 pixels) narrower than the outer
  // width and ends 410 twips above its bottom (960 + 410 twips: 91 pixels).
  void PackWindowShowsTheDefinitionsPackValues() {
    quelo::PackDefinition def{100, "テストパック", 0, "一行目\r\n二行目\r\n三行目", "木下 ひかり", "hikari@example.org",
                              "https://example.org/", {}, {}};
    for (auto [field, shown] : {std::pair{100, "1"}, {150, "1.5"}, {123, "1.23"}}) {
      def.PackVersion = static_cast<int16_t>(field);
      const std::string file = dir_->File("def" + std::to_string(field));
      quelo::test::WriteAll(file, quelo::SerializeDefinition(def));
      clsQueloConfig config;
      QVERIFY(config.LoadConfig(file, 1));
      QVERIFY(WhileModal([&](frmAbout* a) { a->ShowPackInfo(&config, nullptr); }, [&](frmAbout& w) {
        QCOMPARE(w.windowTitle(), QStringLiteral("パッケージ テストパック の情報"));
        QCOMPARE(Lines(w.InfoText()), Text("[パッケージ名] テストパック\n[ バージョン ] %1\n[   作成者   ] 木下 ひかり\n"
                                           "[  Ｅメール  ] hikari@example.org\n[    URL     ] https://example.org/\n\n"
                                           "一行目\n二行目\n三行目\n", {shown}));
        QCOMPARE(w.txtInfo->toPlainText(), QString(w.InfoText()).replace("\r\n", "\n"));
        ExpectLabelsInOneColumn(w.InfoText(), w.txtInfo->font());
        w.resize(600, 400);
        QCOMPARE(w.txtInfo->size(), w.frameGeometry().size() - QSize(8, 91));
      }));
    }
    QVERIFY(dialogs_->messages.empty());
    QVERIFY(!WhileModal([](frmAbout* a) { a->ShowPackInfo(nullptr, nullptr); }, [](frmAbout&) {}));
    QCOMPARE(dialogs_->Texts(), std::vector<std::string>{"定義クラスへの参照を渡すことが出来ませんでした"});
    const auto& m = dialogs_->messages[0];
    QVERIFY(m.icon == quelo::platform::MsgIcon::None && m.buttons == quelo::platform::MsgButtons::Ok);
  }

  // Member 0 of a seven-member pack, with a two-line description.
  void ArchiveMemberWindowHoldsDefinitionImageAndArchiveSections() {
    const std::vector<std::string> names = {"ame.psd",    "hare.psd", "kumori01.psd", "!quelo.ini",
                                            "yuki01.psd", "kaze.psd", "kami01.psd"};
    quelo::PackDefinition def;
    def.PackName = "テストパック";
    def.Files = {{"hare.psd", "晴れ", "", ""}, {"ame.psd", "雨", "小さな雨つぶ。\r\n二行目です。", "木下 ひかり"}};
    std::vector<quelo::PackMember> members;
    for (const auto& name : names)
      members.push_back({name, name == "!quelo.ini" ? quelo::SerializeDefinition(def) : Psd(32, 24, 4), 0});
    const std::string exe = dir_->File("quelo");
    quelo::WritePackExecutable(QCoreApplication::applicationFilePath().toStdString(), members, exe);
    // Where member 0 lies, counted from 1: behind the archive header and the directory.
    int64_t position = quelo::platform::FileLength(exe) - int64_t(quelo::SerializeArchive(members).size()) + 16 + 1;
    for (const auto& name : names) position += 16 + static_cast<int64_t>(name.size());

    quelo::platform::OverrideExecutablePath(exe);
    quelo::clsExePlusFiles sxar;
    QVERIFY(sxar.OpenExe(sxar.ExeFileName()));
    clsQueloConfig config;
    QVERIFY(config.LoadConfig(exe, sxar.FileOffset(sxar.GetFileIndex("!quelo.ini"))));
    quelo::clsImage image;
    QVERIFY(image.LoadFile(exe, "psd", sxar.FileOffset(0)));
    image.SetName("雨");

    frmAbout about;
    about.ShowFileInfo("ame.psd", &config, &image, &sxar);
    QCOMPARE(Lines(about.InfoText()),
             Text("■■パッケージ情報■■\n[ ファイル名 ] ame.psd\n[   表示名   ] 雨\n[  作成者名  ] 木下 ひかり\n"
                  "[  概要説明  ] 小さな雨つぶ。\n               二行目です。\n[ファイル番号] 1\n\n"
                  "■■イメージ情報■■\n[   表示名   ] 雨\n[     幅     ] 32pixels\n[    高さ    ] 24pixels\n"
                  "[  ビット数  ] 32bits\n[ 内部拡張子 ] PSD\n[ 読み込み元 ] %1\n\n"
                  "■■自己展開書庫内ファイル情報■■\n[書庫ファイル] %1\n[ ファイル名 ] ame.psd\n"
                  "               (Index:0 / 6 Offset:0x%2 Size:%3bytes)\n",
                  {Q(exe), QString::number(position, 16).toUpper(), QString::number(members[0].Data.size())}));
    QCOMPARE(about.windowTitle(), QStringLiteral("quelo のバージョン情報"));  // the caption stays
    ExpectLabelsInOneColumn(about.InfoText(), about.txtInfo->font());
  }

  // A loose 3-channel file without definition entry; then the file disappears.
  void LooseFileWindowWithoutDefinitionStartsWithAnEmptyLine() {
    const std::string file = dir_->File("x.psd");
    const std::vector<uint8_t> bytes = Psd(20, 10, 3);
    quelo::test::WriteAll(file, bytes);
    quelo::clsImage image;
    QVERIFY(image.LoadFile(file, "", 1));
    image.SetName("x.psd");
    quelo::PackDefinition def;
    def.Files = {{"y.psd", "ワイ", "", ""}};
    quelo::test::WriteAll(dir_->File("!quelo.ini"), quelo::SerializeDefinition(def));
    clsQueloConfig config;
    QVERIFY(config.LoadConfig(dir_->File("!quelo.ini"), 1));

    frmAbout about;
    about.ShowFileInfoFromFile(file, &config, &image);
    QCOMPARE(Lines(about.InfoText()),
             Text("\n■■イメージ情報■■\n[   表示名   ] x.psd\n[     幅     ] 20pixels\n[    高さ    ] 10pixels\n"
                  "[  ビット数  ] 24bits\n[ 内部拡張子 ] PSD\n[ 読み込み元 ] %1\n\n"
                  "■■ファイル情報■■\n[ ファイル名 ] %1\n[   サイズ   ] %2bytes\n", {Q(file), QString::number(bytes.size())}));
    ExpectLabelsInOneColumn(about.InfoText(), about.txtInfo->font());
    QVERIFY(about.txtInfo->isReadOnly() && about.txtInfo->lineWrapMode() == QPlainTextEdit::NoWrap);

    QFile::remove(Q(file));
    about.ShowFileInfo(file, nullptr, nullptr);
    QCOMPARE(Lines(about.InfoText()),
             Text("\n\n■■ファイル情報■■\n[ ファイル名 ] %1\n[   サイズ   ] 不明 (ファイルを読み取れません)\n", {Q(file)}));
  }

  // The version window keeps its controls; a file window's follow the outer
  // size (OK 975 + 240 twips, 81 pixels, from the right), skipping the sizes
  // that would come out negative. The pack window's rule is checked above.
  void ResizeRuleFollowsInfoMode() {
    QVERIFY(WhileModal([](frmAbout* a) { a->ShowAppVersion(nullptr); }, [](frmAbout& w) {
      QCOMPARE(w.frameGeometry().height(), 87);  // 1300 twips
      QVERIFY(!w.txtInfo->isVisible());
      w.resize(600, 400);
      QCOMPARE(w.txtInfo->geometry(), QRect(4, 64, 553, 191));
      QCOMPARE(w.cmdOK->geometry(), QRect(488, 8, 65, 25));
    }));
    frmAbout about;
    about.ShowFileInfo(dir_->File("none"), nullptr, nullptr);
    const QSize frame = about.frameGeometry().size() - about.size();
    // Too low for the text box, only its width follows; too narrow, it keeps its last size.
    for (auto [asked, box, okLeft] : {std::tuple{QSize(600, 400), QSize(592, 309), 519},
                                      {QSize(300, 80), QSize(292, 309), 219}, {QSize(1, 1), QSize(292, 309), -80}}) {
      about.resize(asked);
      QCOMPARE(about.txtInfo->geometry(), QRect(QPoint(4, 64), box + frame));
      QCOMPARE(about.cmdOK->x(), okLeft + frame.width());
    }
  }
};

QTEST_MAIN(FrmAboutTest)
#include "FrmAboutTest.moc"
