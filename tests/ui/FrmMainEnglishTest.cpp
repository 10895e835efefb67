// The window started in English: every caption, menu entry, hint and message
// it shows is English, menus keep one access key per entry, and captions fit
// where they stand (the test also runs at scale factors 1.5 and 2).
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QtTest>

#include "MainWindowHarness.h"
#include "support/ModalWindow.h"
#include "ui/info/frmAbout.h"
#include "platform/Tr.h"
#include "platform/qt/QtPlatform.h"
#include "ui/main/Language.h"

using quelo::platform::MsgResult;
using namespace quelo::test;

namespace {

const QRegularExpression kJapanese(QStringLiteral("[\\x{3000}-\\x{30ff}\\x{3400}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
// Offered in its own language, so that its readers find it.
const QString kJapaneseChoice = QString::fromUtf8("日本語(&J)");

QString Shown(QString caption) {
  caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  caption.remove(QLatin1Char('&'));
  return caption.replace(QLatin1Char('\x01'), QLatin1Char('&'));
}

}  // namespace

class FrmMainEnglishTest : public QObject, protected MainWindowHarness {
  Q_OBJECT

  // Each message box recorded so far, title and text: English only.
  void ExpectEnglishMessages(const QStringList& expected) {
    QStringList texts;
    for (const auto& m : dialogs_->messages) {
      QVERIFY2(!Q(m.title).contains(kJapanese), m.title.c_str());
      QVERIFY2(!Q(m.text).contains(kJapanese), m.text.c_str());
      texts << Q(m.text);
    }
    dialogs_->messages.clear();
    QCOMPARE(texts, expected);
  }

 private slots:
  void initTestCase() { quelo::platform::qt::InstallQtPlatform(QStringLiteral("en")); }
  void cleanupTestCase() { quelo::platform::SetTranslator(nullptr); }
  void init() { SetUpWindow(); }
  void cleanup() { TearDownWindow(); }

  // The first UI language decides; a choice in View → Language is kept and wins
  // over it; the command line wins over both.
  void LanguageComesFromTheOptionTheChoiceOrTheSystem() {
    QCOMPARE(quelo::ui::KnownLanguages(), (QStringList{"ja", "en"}));
    for (const auto& [languages, expected] : {std::pair<QStringList, QString>{{"ja-JP", "en-US"}, "ja"},
                                             {{"ja"}, "ja"}, {{"JA_jp"}, "ja"}, {{"en-GB", "ja-JP"}, "en"},
                                             {{"de-DE"}, "en"}, {{"jv-ID"}, "en"}, {{}, "en"}})
      QCOMPARE(quelo::ui::LanguageOfSystem(languages), expected);

    StartLoose({{"a.psd", SolidPsd(16, 8, 0x0000FF)}});
    W().show();
    QVERIFY(QTest::qWaitForWindowExposed(&W()));
    QMenu* view = Find<QMenu>("mnuShow");
    QMenu* language = Find<QMenu>("mnuShowLanguage");
    QStringList captions;
    for (QAction* a : language->actions()) captions << a->text();
    QCOMPARE(captions, (QStringList{"&System Language", kJapaneseChoice, "&English", "", "Takes effect at the next start"}));
    QVERIFY(language->actions()[0]->isChecked());  // nothing chosen yet
    QCOMPARE(quelo::ui::LanguageChoice(), QStringLiteral("system"));
    ChooseFromMenu(view, language->menuAction());
    QTRY_VERIFY(language->isVisible());
    QTest::mouseClick(language, Qt::LeftButton, {}, language->actionGeometry(language->actions()[1]).center());
    QCOMPARE(quelo::ui::LanguageChoice(), QStringLiteral("ja"));
    QCOMPARE(quelo::ui::StartupLanguage(QString()), QStringLiteral("ja"));
    QCOMPARE(quelo::ui::StartupLanguage(QStringLiteral("en")), QStringLiteral("en"));
    QCOMPARE(Find<QMenu>("mnuFile")->title(), QStringLiteral("&File"));  // applied at the next start, not now

    language->actions()[0]->trigger();
    QCOMPARE(quelo::ui::LanguageChoice(), QStringLiteral("system"));
    QCOMPARE(quelo::ui::StartupLanguage(QString()), quelo::ui::LanguageOfSystem(QLocale::system().uiLanguages()));
  }

  void MenusAndControlsAreEnglishWithOneAccessKeyEachAndFit() {

    StartLoose({{"a.psd", SolidPsd(16, 8, 0x0000FF)}});
    W().show();
    QVERIFY(QTest::qWaitForWindowExposed(&W()));
    QVERIFY(!W().windowTitle().contains(kJapanese));

    QList<QMenu*> menus = W().findChildren<QMenu*>();
    QVERIFY(menus.size() >= 6);  // File, Edit, View, its Language, Help and the preview popup
    QStringList barKeys;
    for (QAction* top : W().menuBar()->actions()) barKeys << top->text().section(QLatin1Char('&'), 1).left(1).toLower();
    QCOMPARE(QSet<QString>(barKeys.begin(), barKeys.end()).size(), barKeys.size());
    for (QMenu* menu : menus) {
      QVERIFY2(!menu->title().contains(kJapanese), qPrintable(menu->title()));
      QSet<QChar> keys;
      for (QAction* action : menu->actions()) {
        if (action->isSeparator() || action->text().isEmpty()) continue;  // the unused recent entries
        const QString text = action->text();
        QVERIFY2(text == kJapaneseChoice || !text.contains(kJapanese), qPrintable(text));
        if (!action->isEnabled()) continue;  // a note, never chosen
        const QString marked = QString(text).remove(QStringLiteral("&&"));
        QVERIFY2(marked.count(QLatin1Char('&')) == 1, qPrintable(text));
        const QChar key = marked.at(marked.indexOf(QLatin1Char('&')) + 1).toLower();
        QVERIFY2(!keys.contains(key), qPrintable(menu->title() + QStringLiteral(": ") + text));
        keys.insert(key);
      }
    }

    // The empty strip's two hint lines within its 300 × 60 picture, as drawn.
    QCOMPARE(CanvasSize(), QSize(300, 60));
    const auto& hints = Find<quelo::ui::PictureBox>("picMain")->PrintedTexts();
    QCOMPARE(hints.size(), size_t(2));
    QCOMPARE(hints[0].text, QStringLiteral("No images in the strip"));
    QCOMPARE(hints[1].text, QStringLiteral("Drag images here from the list on the left"));
    QFont font = Find<quelo::ui::PictureBox>("picMain")->font();
    for (const auto& h : hints) {
      font.setBold(h.bold);
      const QFontMetrics metrics(font);
      QVERIFY2(h.x + metrics.horizontalAdvance(h.text) <= 300, qPrintable(h.text));
      QVERIFY(h.y + metrics.height() <= 60);
    }
    // The hint for an empty folder, shown in the same place.
    font.setBold(false);
    QVERIFY(15 + QFontMetrics(font).horizontalAdvance(QStringLiteral("File → Open Folder opens a folder of icons")) <= 300);
    QCOMPARE(Status(), QStringLiteral("Files loaded...[folder: %1]").arg(Q(dir_->Path())));

    // Buttons (shown with a strip), labels and frames: English, and their captions within their width.
    DoubleClickPreview(1);
    int checked = 0;
    for (QWidget* w : W().findChildren<QWidget*>()) {
      if (!w->isVisible()) continue;
      QString caption;
      int room = w->width();
      if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        caption = Shown(b->text());
        room -= 6;  // the button's frame
      } else if (auto* l = qobject_cast<QLabel*>(w)) {
        caption = l->text();
      } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        caption = g->title();
        room -= 16;  // the title stands inside the frame's corners
      }
      if (caption.isEmpty()) continue;
      ++checked;
      QVERIFY2(!caption.contains(kJapanese), qPrintable(caption));
      QVERIFY2(w->fontMetrics().horizontalAdvance(caption) <= room,
               qPrintable(QStringLiteral("%1 \"%2\" needs %3 of %4 pixels")
                              .arg(w->objectName(), caption)
                              .arg(w->fontMetrics().horizontalAdvance(caption))
                              .arg(room)));
    }
    QVERIFY(checked >= 7);  // Delete, the arrows, the frame, its three labels
  }

  // The window's own messages, the core's (a decoder's refusal, a save's reason)
  // and the dialogs' titles and filters.
  void MessagesAndDialogsAreEnglish() {
    StartLoose({{"a.psd", SolidPsd(16, 8, 0x0000FF)}, {"b.psd", SolidPsd(16, 12, 0x00FF00)},
                {"c.psd", {'n', 'o', 't', ' ', 'a', ' ', 'p', 's', 'd'}}});
    ExpectEnglishMessages({QStringLiteral("This file is not a PSD image\r\n%1").arg(Q(dir_->File("c.psd")))});
    W().show();
    QVERIFY(QTest::qWaitForWindowExposed(&W()));


    DoubleClickPreview(1);
    dialogs_->answers.push_back(MsgResult::Cancel);
    DoubleClickPreview(2);
    ExpectEnglishMessages({QStringLiteral(
        "The height differs from the images added before.\r\nCurrent height\t: 8\r\nNew height\t: 12\r\n"
        "Change the height? The current images will then be aligned to the top.")});

    // Saving into a folder that is not there: the window's message with the core's reason.
    dialogs_->AnswerSave(dir_->File("none/strip.bmp"));
    ChooseFromMenu(Find<QMenu>("mnuFile"), Find<QAction>("mnuFileSaveAs"));
    QCOMPARE(Q(dialogs_->saveRequests.back().title), QStringLiteral("Save Bitmap"));
    QCOMPARE(Q(dialogs_->saveRequests.back().filter),
             QStringLiteral("Windows Bitmap (.bmp)|*.bmp|All Files|*.*|PNG (.png)|*.png"));
    ExpectEnglishMessages({QStringLiteral("The strip could not be saved to %1.\r\nThe folder or file was not found")
                               .arg(Q(dir_->File("none/strip.bmp")))});

    ClickPreview(1);
    Find<QAction>("mnuPopPreviewsExport")->trigger();  // a loose file is no member of a pack
    ExpectEnglishMessages({QStringLiteral("This file was not loaded from a self-extracting archive")});

    dialogs_->answers.push_back(MsgResult::Cancel);
    ChooseFromMenu(Find<QMenu>("mnuFile"), Find<QAction>("mnuFileNew"));
    ExpectEnglishMessages({QStringLiteral("The strip has not been saved. Save it?")});

    dialogs_->openAnswers.push_back(dir_->File("gone"));
    ChooseFromMenu(Find<QMenu>("mnuFile"), Find<QAction>("mnuFileOpenFolder"));
    QCOMPARE(Q(dialogs_->openTitles.back()), QStringLiteral("Open Folder"));
    ExpectEnglishMessages({QStringLiteral("%1\r\ncannot be opened. The file or folder was not found.").arg(Q(dir_->File("gone")))});

    // The version window, from the Help menu: its title and every line it shows.
    QStringList shown;
    const bool opened = LookAtModalWindow<quelo::ui::frmAbout>(
        [&] { ChooseFromMenu(Find<QMenu>("mnuHelp"), Find<QAction>("mnuHelpAbout")); },
        [&](quelo::ui::frmAbout& about) {
          shown << about.windowTitle();
          for (QLabel* label : about.findChildren<QLabel*>()) shown << label->text();
        });
    QVERIFY(opened);
    QVERIFY(shown.contains(QStringLiteral("About quelo")));
    QVERIFY(shown.contains(QStringLiteral("A tool that lines up small icons into a strip ― the quelo team")));
    QVERIFY2(!shown.join(' ').contains(kJapanese), qPrintable(shown.join(' ')));
  }

};

QTEST_MAIN(FrmMainEnglishTest)
#include "FrmMainEnglishTest.moc"
