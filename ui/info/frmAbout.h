// The information window: the program's version, the pack's description, or
// everything known about one pack file, as labelled lines of text. The version
// and pack windows are modal; a file window is shown without blocking and
// shows itself at its first labelled line.
//
// Every label is 15 half-width columns wide (a full-width character counts
// two), so in the fixed-pitch font of txtInfo the values start in one column.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QSize>
#include <QString>

#include <cstdint>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class FrmAboutTest;
class FrmMainInfoTest;

namespace quelo {
class clsExePlusFiles;
class clsImage;
class clsQueloConfig;
}  // namespace quelo

namespace quelo::ui {

class PictureBox;

class frmAbout : public QDialog {
  Q_OBJECT

 public:
  // The window takes its owner's icon (the program's) when it loads.
  explicit frmAbout(QWidget* owner = nullptr);
  ~frmAbout() override;

  // "0.09β" and "0.09.0028" for version 0.9.28; β marks an odd minor number.
  QString GetAppVersionStr() const;
  QString GetAppBuildStr() const;
  static QString GetAppVersionStr(int major, int minor);
  static QString GetAppBuildStr(int major, int minor, int revision);
  // The text of lblVersion: "Version. 0.09β [ Build 0.09.0028 ]".
  static QString VersionLine(int major, int minor, int revision);

  // The icon in the title and beside the name; a window without an owner gets
  // it from its opener.
  void SetIcon(const QIcon& icon);

  void ShowAppVersion(QWidget* OwnerForm);
  void ShowPackInfo(const clsQueloConfig* Config, QWidget* OwnerForm);
  void ShowFileInfoFromFile(const std::string& FileName, const clsQueloConfig* Config, const clsImage* ImageCls);
  void ShowFileInfo(const std::string& FileName, const clsQueloConfig* Config, const clsImage* ImageCls,
                    const clsExePlusFiles* Sxar = nullptr);
  void AddConfigInfo(const clsQueloConfig* Config, const std::string& FileName);
  void AddImageInfo(const clsImage* ImageInfo);
  void AddFileInfo(const std::string& FileName);
  void AddSxarFileInfo(const clsExePlusFiles* Sxar, int16_t FileNumber);
  void ClearInfo();
  void AddInfoTitle(const QString& Title);
  void AddInfoSet(const QString& Title, const QString& Value);
  void AddInfoSetM(const QString& Title, const QString& ValueM);

  // The information text as built, lines ended by CR LF.
  const QString& InfoText() const { return text_; }
  int32_t InfoMode() const { return infoMode_; }

  // Noto Sans Mono CJK JP at 11.25 pt, or the system's fixed font when it is
  // not installed.
  static QFont InfoFont();
  static const QString kInfoFontFamily;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  friend class ::FrmAboutTest;
  friend class ::FrmMainInfoTest;

  void Form_Load();
  void Form_Resize();
  void cmdOK_Click();
  void AddInfoLine(const QString& Line);
  void SetInfoText(const QString& text);
  QSize OuterSize() const;  // frame included
  void SetOuterHeight(int twips);
  void FrameChanged();

  int32_t infoMode_ = 0;
  QString text_;
  int versionOuterHeight_ = 0;  // twips; kept while the window manager adds its frame
  QSize laidOutSize_;

  PictureBox* picIcon = nullptr;
  QLabel* lblQuelo = nullptr;
  QLabel* lblVersion = nullptr;
  QLabel* Label1 = nullptr;
  QPushButton* cmdOK = nullptr;
  QPlainTextEdit* txtInfo = nullptr;
};

}  // namespace quelo::ui
