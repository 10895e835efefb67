// The platform's own save dialog, offscreen, driven through its controls as a
// user does: the filter chosen in the list, a name typed, Return.
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QtTest>

#include "platform/qt/QtPlatform.h"
#include "support/ModalWindow.h"
#include "support/TempDir.h"

using namespace quelo;

class QtPlatformTest : public QObject {
  Q_OBJECT

 private slots:
  // A name typed without an extension takes the chosen entry's, also while the
  // dialog shows the entries by their captions alone; one typed with its own
  // extension keeps it. The answer names the entry the user ended on.
  void SaveDialogAddsTheChosenEntrysExtension() {
    test::TempDir dir;
    platform::SaveDialogRequest request;
    request.title = "エクスポート";
    request.filter = "psd ファイル |*.psd|Windows アイコン|*.ico";
    request.defaultExt = "psd";
    request.initialFolder = dir.Path();
    for (auto [entry, typed, chosen] : {std::tuple{1, "sun2", "sun2.ico"}, {0, "sun2", "sun2.psd"},
                                        {1, "sun2.png", "sun2.png"}, {0, "", "hare.psd"}}) {
      request.initialName = "hare";
      platform::SaveDialogResult answer;
      const bool looked = test::LookAtModalWindow<QFileDialog>(
          [&] { answer = platform::qt::QtDialogs().SaveFileDialog(request); },
          [&](QFileDialog& dialog) {
            auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(types && name);
            types->setFocus();
            QTest::keyClick(types, entry ? Qt::Key_Down : Qt::Key_Up);
            if (*typed) name->setText(QString::fromUtf8(typed));
            QTest::keyClick(name, Qt::Key_Return);
          });
      QVERIFY(looked);
      QVERIFY(answer.accepted);
      QCOMPARE(QString::fromStdString(answer.fileName), QString::fromStdString(dir.File(chosen)));
      QCOMPARE(answer.filterIndex, entry + 1);
    }
  }
};

QTEST_MAIN(QtPlatformTest)
#include "QtPlatformTest.moc"
