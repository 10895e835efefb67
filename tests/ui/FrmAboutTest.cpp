// The information window, offscreen: its texts built from packs and files made
// here, its font's columns, and where its controls go when it is resized.
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include <cstdio>

#include "archive/PackWriters.h"
#include "archive/clsExePlusFiles.h"
#include "archive/clsQueloConfig.h"
#include "image/clsImage.h"
#include "platform/Platform.h"
#include "support/ModalWindow.h"
#include "support/PsdWriter.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"
#include "ui/info/frmAbout.h"

using quelo::clsExePlusFiles;
using quelo::clsImage;
using quelo::clsQueloConfig;
using quelo::ui::frmAbout;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
QStringList Lines(const QString& text) { return text.split(QStringLiteral("\r\n")); }
const QString kBlanks(15, QLatin1Char(' '));

std::vector<uint8_t> Psd(int width, int height, int channels) {
  return quelo::test::MakePsd(width, height, channels, quelo::test::PatternPixels(width, height, channels, 7));
}

}  // namespace

class FrmAboutTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<quelo::test::TempDir> dir_;
  std::unique_ptr<quelo::test::RecordingDialogs> dialogs_;

  // A definition written by the pack writer and read back from a loose file.
  void LoadDefinition(clsQueloConfig& config, const quelo::PackDefinition& def, const std::string& name) {
    quelo::test::WriteAll(dir_->File(name), quelo::SerializeDefinition(def));
    QVERIFY(config.LoadConfig(dir_->File(name), 1));
  }

  // Every label of `text`, and the continuation indent, end in one pixel
  // column of the text box's font.
  static void ExpectLabelsInOneColumn(const QString& text) {
    const QFont font = frmAbout::InfoFont();
    QVERIFY2(QFontInfo(font).family() == frmAbout::kInfoFontFamily,
             "the font Noto Sans Mono CJK JP is missing: scripts/deps.sh installs it (fonts-noto-cjk)");
    const QFontMetricsF metrics(font);
    const qreal column = metrics.horizontalAdvance(kBlanks);
    const QRegularExpression label(QStringLiteral("^\\[[^\\]]*\\] "));
    int labels = 0;
    for (const QString& line : Lines(text)) {
      const QRegularExpressionMatch m = label.match(line);
      if (!m.hasMatch()) continue;
      ++labels;
      QVERIFY2(qAbs(metrics.horizontalAdvance(m.captured()) - column) < 0.01, qPrintable(m.captured()));
    }
    QVERIFY(labels >= 5);
  }

  // The pack window for `config`, as the user sees it while it is open.
  struct PackWindow {
    bool modal = false;
    QString title, text, shown;
    QSize box, outer;
  };
  PackWindow OpenPackWindow(const clsQueloConfig* config, QSize resizeTo = {}) {
    PackWindow seen;
    // A window that never opened is not released by a close.
    QPointer<frmAbout> about = new frmAbout;
    quelo::test::LookAtModalWindow([&] { about->ShowPackInfo(config, nullptr); }, [&](QWidget* w) {
      if (w != about) return;
      if (resizeTo.isValid()) about->resize(resizeTo);
      seen = {about->isModal(), about->windowTitle(), about->InfoText(), about->txtInfo->toPlainText(),
              about->txtInfo->size(), about->frameGeometry().size()};
      QTest::mouseClick(about->cmdOK, Qt::LeftButton);
    });
    delete about;
    return seen;
  }

 private slots:
  void init() {
    dir_ = std::make_unique<quelo::test::TempDir>();
    dialogs_ = std::make_unique<quelo::test::RecordingDialogs>();
  }
  void cleanup() {
    dialogs_.reset();
    quelo::platform::OverrideExecutablePath("");
    dir_.reset();
  }

  void VersionTextsFollowTheProjectVersion() {
    QCOMPARE(frmAbout::VersionLine(0, 9, 28), QStringLiteral("Version. 0.09β [ Build 0.09.0028 ]"));
    QCOMPARE(frmAbout::VersionLine(1, 2, 5), QStringLiteral("Version. 1.02 [ Build 1.02.0005 ]"));
    QCOMPARE(frmAbout::GetAppVersionStr(1, 10), QStringLiteral("1.10"));
    QCOMPARE(frmAbout::GetAppBuildStr(2, 123, 45678), QStringLiteral("2.123.45678"));
    // The window itself shows the version this program was built as.
    frmAbout about;
    QCOMPARE(about.lblVersion->text(),
             QStringLiteral("Version. %1 [ Build %2 ]").arg(about.GetAppVersionStr(), about.GetAppBuildStr()));
    QCOMPARE(about.GetAppBuildStr(), frmAbout::GetAppBuildStr(QUELO_VERSION_MAJOR, QUELO_VERSION_MINOR,
                                                              QUELO_VERSION_REVISION));
    QCOMPARE(about.windowTitle() + about.cmdOK->text(), QStringLiteral("quelo のバージョン情報O K"));
    QCOMPARE(about.size(), QSize(561, 282));  // 8415 x 4230 twips
    QCOMPARE(about.txtInfo->font().pointSizeF(), 11.25);
  }

  // Version fields 100, 150 and 123; a three-line description stays unindented.
  void PackWindowShowsTheDefinitionsPackValues() {
    quelo::PackDefinition def;
    def.PackName = "テストパック";
    def.PackDescription = "一行目\r\n二行目\r\n三行目";
    def.PackAutherName = "木下 ひかり";
    def.PackAutherEmail = "hikari@example.org";
    def.PackAutherUrl = "https://example.org/";
    for (auto [field, shown] : {std::pair{100, "1"}, {150, "1.5"}, {123, "1.23"}}) {
      def.PackVersion = static_cast<int16_t>(field);
      clsQueloConfig config;
      LoadDefinition(config, def, "def" + std::to_string(field));
      const PackWindow seen = OpenPackWindow(&config);
      QVERIFY(seen.modal);
      QCOMPARE(seen.title, QStringLiteral("パッケージ テストパック の情報"));
      QCOMPARE(Lines(seen.text), (QStringList{QStringLiteral("[パッケージ名] テストパック"),
                                              QStringLiteral("[ バージョン ] ") + shown,
                                              QStringLiteral("[   作成者   ] 木下 ひかり"),
                                              QStringLiteral("[  Ｅメール  ] hikari@example.org"),
                                              QStringLiteral("[    URL     ] https://example.org/"), "",
                                              QStringLiteral("一行目"), QStringLiteral("二行目"),
                                              QStringLiteral("三行目"), ""}));
      // The text box shows the same lines.
      QCOMPARE(seen.shown, QString(seen.text).replace("\r\n", "\n"));
      ExpectLabelsInOneColumn(seen.text);
    }
    // A definition that never loaded still opens the window, with its empty values.
    clsQueloConfig empty;
    QCOMPARE(Lines(OpenPackWindow(&empty).text).mid(0, 2),
             (QStringList{QStringLiteral("[パッケージ名] "), QStringLiteral("[ バージョン ] 0")}));
    QVERIFY(dialogs_->messages.empty());

    QCOMPARE(OpenPackWindow(nullptr).title, QString());  // no window
    QCOMPARE(dialogs_->messages.size(), size_t(1));
    const auto& m = dialogs_->messages[0];
    QCOMPARE(Q(m.text), QStringLiteral("定義クラスへの参照を渡すことが出来ませんでした"));
    QCOMPARE(Q(m.title), Q(quelo::platform::AppTitle()));
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
    const auto archiveSize = static_cast<int64_t>(quelo::SerializeArchive(members).size());
    int64_t position = quelo::platform::FileLength(exe) - archiveSize + 16 + 1;
    for (const auto& name : names) position += 16 + static_cast<int64_t>(name.size());

    quelo::platform::OverrideExecutablePath(exe);
    clsExePlusFiles sxar;
    QVERIFY(sxar.OpenExe(sxar.ExeFileName()));
    clsQueloConfig config;
    QVERIFY(config.LoadConfig(exe, sxar.FileOffset(sxar.GetFileIndex("!quelo.ini"))));
    clsImage image;
    QVERIFY(image.LoadFile(exe, "psd", sxar.FileOffset(0)));
    image.SetName("雨");

    frmAbout about;
    about.ShowFileInfo("ame.psd", &config, &image, &sxar);
    QVERIFY(about.isVisible() && !about.isModal());
    QCOMPARE(about.InfoMode(), 2);
    QCOMPARE(Lines(about.InfoText()),
             (QStringList{QStringLiteral("■■パッケージ情報■■"), QStringLiteral("[ ファイル名 ] ame.psd"),
                          QStringLiteral("[   表示名   ] 雨"), QStringLiteral("[  作成者名  ] 木下 ひかり"),
                          QStringLiteral("[  概要説明  ] 小さな雨つぶ。"), kBlanks + QStringLiteral("二行目です。"),
                          QStringLiteral("[ファイル番号] 1"), "", QStringLiteral("■■イメージ情報■■"),
                          QStringLiteral("[   表示名   ] 雨"), QStringLiteral("[     幅     ] 32pixels"),
                          QStringLiteral("[    高さ    ] 24pixels"), QStringLiteral("[  ビット数  ] 32bits"),
                          QStringLiteral("[ 内部拡張子 ] PSD"), QStringLiteral("[ 読み込み元 ] ") + Q(exe), "",
                          QStringLiteral("■■自己展開書庫内ファイル情報■■"), QStringLiteral("[書庫ファイル] ") + Q(exe),
                          QStringLiteral("[ ファイル名 ] ame.psd"),
                          kBlanks + QStringLiteral("(Index:0 / 6 Offset:0x%1 Size:%2bytes)")
                                        .arg(QString::number(position, 16).toUpper())
                                        .arg(members[0].Data.size()),
                          ""}));
    QCOMPARE(about.windowTitle(), QStringLiteral("quelo のバージョン情報"));  // the caption stays
    ExpectLabelsInOneColumn(about.InfoText());
  }

  // A loose 3-channel file without definition entry; then the file disappears.
  void LooseFileWindowWithoutDefinitionStartsWithAnEmptyLine() {
    const std::string file = dir_->File("x.psd");
    const std::vector<uint8_t> bytes = Psd(20, 10, 3);
    quelo::test::WriteAll(file, bytes);
    clsImage image;
    QVERIFY(image.LoadFile(file, "", 1));
    image.SetName("x.psd");
    clsQueloConfig config;
    quelo::PackDefinition def;
    def.Files = {{"y.psd", "ワイ", "", ""}};
    LoadDefinition(config, def, "!quelo.ini");
    const QStringList expected = {"", QStringLiteral("■■イメージ情報■■"), QStringLiteral("[   表示名   ] x.psd"),
                                  QStringLiteral("[     幅     ] 20pixels"), QStringLiteral("[    高さ    ] 10pixels"),
                                  QStringLiteral("[  ビット数  ] 24bits"), QStringLiteral("[ 内部拡張子 ] PSD"),
                                  QStringLiteral("[ 読み込み元 ] ") + Q(file), "", QStringLiteral("■■ファイル情報■■"),
                                  QStringLiteral("[ ファイル名 ] ") + Q(file),
                                  QStringLiteral("[   サイズ   ] %1bytes").arg(bytes.size()), ""};
    frmAbout about;
    about.ShowFileInfoFromFile(file, &config, &image);
    QCOMPARE(Lines(about.InfoText()), expected);
    ExpectLabelsInOneColumn(about.InfoText());
    QVERIFY(about.txtInfo->isReadOnly());
    QCOMPARE(about.txtInfo->lineWrapMode(), QPlainTextEdit::NoWrap);

    std::remove(file.c_str());
    about.ShowFileInfo(file, nullptr, nullptr);
    QCOMPARE(Lines(about.InfoText()), (QStringList{"", "", QStringLiteral("■■ファイル情報■■"),
                                                   QStringLiteral("[ ファイル名 ] ") + Q(file),
                                                   QStringLiteral("[   サイズ   ] 不明 (ファイルを読み取れません)"), ""}));
  }

  // Mode 0 keeps its controls; modes 1 and 2 follow the outer size, skipping
  // the sizes that would come out negative.
  void ResizeRuleFollowsInfoMode() {
    QRect box, button;
    int outerHeight = 0;
    bool boxShown = true;
    QPointer<frmAbout> version = new frmAbout;
    quelo::test::LookAtModalWindow([&] { version->ShowAppVersion(nullptr); }, [&](QWidget* w) {
      if (w != version) return;
      outerHeight = version->frameGeometry().height();
      boxShown = version->txtInfo->isVisible();
      version->resize(600, 400);
      box = version->txtInfo->geometry();
      button = version->cmdOK->geometry();
      version->close();
    });
    delete version;
    QCOMPARE(outerHeight, 87);  // 1300 twips
    QVERIFY(!boxShown);
    QCOMPARE(box, QRect(4, 64, 553, 191));
    QCOMPARE(button, QRect(488, 8, 65, 25));

    // The text box is 120 twips (8 pixels) narrower than the outer width, ends
    // 410 twips above the outer bottom (960 + 410 twips: 91 pixels less than
    // the outer height), and OK stays 975 + 240 twips (81 pixels) from the right.
    clsQueloConfig config;
    const PackWindow pack = OpenPackWindow(&config, QSize(600, 400));
    QCOMPARE(pack.box, pack.outer - QSize(8, 91));

    frmAbout about;
    about.ShowFileInfo(dir_->File("none"), nullptr, nullptr);
    about.resize(600, 400);
    const QSize frame = about.frameGeometry().size() - about.size();
    QCOMPARE(about.txtInfo->geometry(), QRect(QPoint(4, 64), QSize(600, 400) + frame - QSize(8, 91)));
    QCOMPARE(about.cmdOK->x(), 600 + frame.width() - 81);
    about.resize(300, 80);  // too low for the text box: only its width follows
    QCOMPARE(about.txtInfo->size(), QSize(300 + frame.width() - 8, 309 + frame.height()));
    about.resize(1, 1);  // narrower than 120 twips: the text box keeps its last size
    QCOMPARE(about.txtInfo->size(), QSize(300 + frame.width() - 8, 309 + frame.height()));
    QCOMPARE(about.cmdOK->x(), 1 + frame.width() - 81);
  }
};

QTEST_MAIN(FrmAboutTest)
#include "FrmAboutTest.moc"
