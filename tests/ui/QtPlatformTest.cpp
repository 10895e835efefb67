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
  // dialog shows the entries by their captions alone; the answer names the entry.
  void SaveDialogAddsTheChosenEntrysExtension() {
    test::TempDir dir;
    platform::SaveDialogRequest request;
    request.filter = "psd ファイル |*.psd|Windows アイコン|*.ico";
    request.defaultExt = "psd";
    request.initialFolder = dir.Path();
    for (auto [entry, typed, chosen] : {std::tuple{1, "sun2", "sun2.ico"}, {0, "sun2", "sun2.psd"}, {1, "a.png", "a.png"}}) {
      platform::SaveDialogResult answer;
      QVERIFY(test::LookAtModalWindow<QFileDialog>(
          [&] { answer = platform::qt::QtDialogs().SaveFileDialog(request); },
          [&](QFileDialog& dialog) {
            auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QTest::keyClick(dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo")), entry ? Qt::Key_Down : Qt::Key_Up);
            name->setText(QString::fromUtf8(typed));
            QTest::keyClick(name, Qt::Key_Return);
          }));
      QCOMPARE(QString::fromStdString(answer.fileName) + QString::number(answer.filterIndex),
               QString::fromStdString(dir.File(chosen)) + QString::number(entry + 1));
    }
  }
};

QTEST_MAIN(QtPlatformTest)
#include "QtPlatformTest.moc"
