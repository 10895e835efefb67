// The main window started offscreen on a pack that a test lays out, and the
// gestures the window tests share: the program runs as if it were the
// executable "quelo" in the pack folder, message boxes are answered from a
// script, and previews are reached where the panel draws them.
#pragma once

#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "support/PsdWriter.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"
#include "ui/main/PictureBox.h"
#include "ui/main/frmMain.h"

namespace quelo::test {

inline QString Q(const std::string& s) { return QString::fromStdString(s); }

// An opaque PSD of one colour (0x00BBGGRR).
inline std::vector<uint8_t> SolidPsd(int width, int height, uint32_t colour) {
  std::vector<uint8_t> pixels;
  for (int i = 0; i < width * height * 3; ++i) pixels.push_back(static_cast<uint8_t>(colour >> (8 * (i % 3))));
  return MakePsd(width, height, 3, pixels);
}

class MainWindowHarness {
 protected:
  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<TempDir> settingsDir_;  // the user's settings, fresh for each test
  std::unique_ptr<RecordingDialogs> dialogs_;
  std::unique_ptr<ui::frmMain> window_;

  // For each test's init() and cleanup().
  void SetUpWindow() {
    dir_ = std::make_unique<TempDir>();
    settingsDir_ = std::make_unique<TempDir>();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Q(settingsDir_->Path()));
    dialogs_ = std::make_unique<RecordingDialogs>();
  }
  void TearDownWindow() {
    platform::FailWritesAfter(-1);
    for (auto step : {platform::ReplaceStep::SyncFile, platform::ReplaceStep::Rename, platform::ReplaceStep::SyncFolder})
      platform::FailReplaceStep(step, 0);
    window_.reset();
    dialogs_.reset();
    platform::OverrideExecutablePath("");
    dir_.reset();
    settingsDir_.reset();
  }

  void StartIn(const std::string& exe, const std::function<void(ui::frmMain&)>& beforeLoad = {}) {
    platform::OverrideExecutablePath(exe);
    window_ = std::make_unique<ui::frmMain>();
    if (beforeLoad) beforeLoad(*window_);
    window_->Form_Load();
  }
  void StartLoose(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files) {
    for (const auto& [name, bytes] : files) WriteAll(dir_->File(name), bytes);
    StartIn(dir_->File("quelo"));
  }
  ui::frmMain& W() { return *window_; }
  // A control or menu entry of the window by its name, as the window's own
  // tests reach what they need without being let into the class.
  template <class T>
  T* Find(const char* name) {
    return W().findChild<T*>(QString::fromLatin1(name));
  }

  // The pack's display names and the strip's lines, each joined with spaces.
  QString Names() {
    QStringList names;
    for (int k = 1; k <= W().PackImageCount(); ++k) names << Q(W().PackImage(k).Name());
    return names.join(' ');
  }
  // Each image's size as loaded, "48x48 24x24".
  QString ImageSizes() {
    QStringList sizes;
    for (int k = 1; k <= W().PackImageCount(); ++k)
      sizes << QStringLiteral("%1x%2").arg(W().PackImage(k).Width()).arg(W().PackImage(k).Height());
    return sizes.join(' ');
  }
  QString ListLines() {
    QStringList lines;
    for (int i = 0; i < W().lstImages->count(); ++i) lines << W().lstImages->item(i)->text();
    return lines.join(' ');
  }

  // The panel draws the previews: where pixel (x, y) of preview k shows in the
  // panel, the middle of preview k, and a pixel of preview k as the panel shows it.
  QPoint InPanel(int k, int x, int y) {
    const auto e = W().picPreview[static_cast<size_t>(k)];
    const int b = W().picPreviews->BorderWidth();
    return QPoint(b + e.left + x, b + e.top + y);
  }
  QPoint PreviewPoint(int k) {
    const auto e = W().picPreview[static_cast<size_t>(k)];
    return InPanel(k, e.width / 2, e.height / 2);
  }
  uint32_t PreviewPixel(int k, int x, int y) {
    return ui::PictureBox::FromQRgb(W().picPreviews->grab().toImage().pixel(InPanel(k, x, y)));
  }
  void ClickPreview(int k, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(W().picPreviews, button, {}, PreviewPoint(k));
  }
  void DoubleClickPreview(int k) { QTest::mouseDClick(W().picPreviews, Qt::LeftButton, {}, PreviewPoint(k)); }

  // A click on strip line `row` (none when -1), then on `button` (if any).
  void Click(int row, QPushButton* button = nullptr) {
    QListWidget* list = W().lstImages;
    if (row >= 0) QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    if (button) QTest::mouseClick(button, Qt::LeftButton);
  }
  // Opens `menu` from the menu bar, unless it is open already (the popup), and clicks `entry`.
  void ChooseFromMenu(QMenu* menu, QAction* entry) {
    QMenuBar* bar = W().menuBar();
    if (!menu->isVisible()) QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
    QVERIFY(menu->isVisible());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
  }
  // The window active, as for a user's keys.
  void Activate() {
    W().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&W()));
  }
  // A key pressed where the focus is.
  void Key(QKeyCombination key) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &W();
    QTest::keyClick(target, key.key(), key.keyboardModifiers());
  }
  uint32_t Canvas(int x, int y) { return W().picMain->Point(x, y); }
  QSize CanvasSize() { return W().picMain->Image().size(); }
  QString Status() { return W().picProgress->PrintedTexts().back().text; }
  // The texts of the message boxes shown since the last call, one a line.
  QString TakeMessages() {
    QStringList texts;
    for (const auto& m : dialogs_->messages) texts << Q(m.text);
    dialogs_->messages.clear();
    return texts.join('\n');
  }
};

}  // namespace quelo::test
