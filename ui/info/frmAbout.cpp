#include "ui/info/frmAbout.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWindow>

#include <exception>

#include "archive/clsExePlusFiles.h"
#include "archive/clsQueloConfig.h"
#include "image/clsImage.h"
#include "platform/Platform.h"
#include "ui/main/PictureBox.h"
#include "ui/main/Twips.h"

namespace quelo::ui {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
// Continuation lines start where the values do, behind a label.
const QString kIndent(15, QLatin1Char(' '));

QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The picture box shows the icon over its own background, pixel for pixel.
void DrawIcon(PictureBox* box, const QIcon& icon) {
  QImage picture(box->width(), box->height(), QImage::Format_RGB32);
  picture.fill(PictureBox::ToQRgb(platform::GetSysColor(platform::syscolor::kButtonFace)));
  QPainter p(&picture);
  icon.paint(&p, picture.rect());
  p.end();
  box->ShowPicture(picture);
}

}  // namespace

const QString frmAbout::kInfoFontFamily = QString::fromLatin1(platform::FixedPitchJapaneseFont());

frmAbout::frmAbout(QWidget* owner) : QDialog(owner) {
  // Closing the window, with OK or its close box, releases it.
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(tr("quelo のバージョン情報"));
  resize(TwipsToPixels(8415), TwipsToPixels(4230));

  picIcon = new PictureBox(this);
  picIcon->setObjectName(QStringLiteral("picIcon"));
  picIcon->setGeometry(TwipsRect(120, 120, 720, 720));

  // The name with the version that `quelo --version` prints; the line below
  // gives the same numbers in the window's own format.
  lblQuelo = new QLabel(QStringLiteral("quelo ") + Q(platform::VersionText()), this);
  lblQuelo->setObjectName(QStringLiteral("lblQuelo"));
  lblQuelo->setGeometry(TwipsRect(1080, 60, 5400, 360));
  QFont nameFont = lblQuelo->font();
  nameFont.setBold(true);
  nameFont.setPointSizeF(nameFont.pointSizeF() * 1.5);
  lblQuelo->setFont(nameFont);

  lblVersion = new QLabel(this);
  lblVersion->setObjectName(QStringLiteral("lblVersion"));
  lblVersion->setGeometry(TwipsRect(1080, 420, 6000, 240));

  Label1 = new QLabel(tr("小さなアイコンを並べてストリップを作る道具 ― quelo 開発チーム"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(TwipsRect(1080, 660, 7200, 240));

  cmdOK = new QPushButton(QStringLiteral("O K"), this);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdOK->setGeometry(TwipsRect(7320, 120, 975, 375));
  cmdOK->setDefault(true);
  connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });

  txtInfo = new QPlainTextEdit(this);
  txtInfo->setObjectName(QStringLiteral("txtInfo"));
  txtInfo->setGeometry(TwipsRect(60, 960, 8295, 2860));
  txtInfo->setFont(InfoFont());
  // Long lines scroll rather than wrap, so the columns stay in line.
  txtInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtInfo->setReadOnly(true);
  txtInfo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

  Form_Load();
}

frmAbout::~frmAbout() = default;

QFont frmAbout::InfoFont() {
  QFont font(kInfoFontFamily);
  font.setPointSizeF(11.25);
  if (QFontInfo(font).family() == kInfoFontFamily) return font;
  font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSizeF(11.25);
  return font;
}

void frmAbout::Form_Load() {
  SetIcon(parentWidget() ? parentWidget()->window()->windowIcon() : QApplication::windowIcon());
  lblVersion->setText(
      VersionLine(platform::VersionMajor(), platform::VersionMinor(), platform::VersionRevision()));
}

void frmAbout::SetIcon(const QIcon& icon) {
  setWindowIcon(icon);
  DrawIcon(picIcon, icon);
}

// ---- Version texts ----------------------------------------------------------

QString frmAbout::GetAppVersionStr(int major, int minor) {
  QString text = QString::number(major) + QLatin1Char('.') + QStringLiteral("%1").arg(minor, 2, 10, QLatin1Char('0'));
  if (minor % 2 != 0) text += QStringLiteral("β");
  return text;
}

QString frmAbout::GetAppBuildStr(int major, int minor, int revision) {
  return QString::number(major) + QLatin1Char('.') + QStringLiteral("%1").arg(minor, 2, 10, QLatin1Char('0')) +
         QLatin1Char('.') + QStringLiteral("%1").arg(revision, 4, 10, QLatin1Char('0'));
}

QString frmAbout::VersionLine(int major, int minor, int revision) {
  return QStringLiteral("Version. ") + GetAppVersionStr(major, minor) + QStringLiteral(" [ Build ") +
         GetAppBuildStr(major, minor, revision) + QStringLiteral(" ]");
}

QString frmAbout::GetAppVersionStr() const {
  return GetAppVersionStr(platform::VersionMajor(), platform::VersionMinor());
}

QString frmAbout::GetAppBuildStr() const {
  return GetAppBuildStr(platform::VersionMajor(), platform::VersionMinor(), platform::VersionRevision());
}

// ---- Showing ------------------------------------------------------------------

void frmAbout::ShowAppVersion(QWidget* OwnerForm) {
  infoMode_ = 0;
  // Only the part above the text box shows; the box stays out of sight even
  // where the window system draws no frame to take up the rest.
  txtInfo->hide();
  versionOuterHeight_ = 1300;
  SetOuterHeight(versionOuterHeight_);
  if (OwnerForm && parentWidget() != OwnerForm) setParent(OwnerForm, windowFlags());
  exec();
}

void frmAbout::ShowPackInfo(const clsQueloConfig* Config, QWidget* OwnerForm) {
  if (!Config) {
    platform::ShowMessage(tr("定義クラスへの参照を渡すことが出来ませんでした").toStdString());

    return;
  }
  infoMode_ = 1;
  versionOuterHeight_ = 0;
  txtInfo->show();
  setWindowTitle(tr("パッケージ %1 の情報").arg(Q(Config->PackName())));
  ClearInfo();
  AddInfoLine(tr("[パッケージ名] ") + Q(Config->PackName()));
  AddInfoLine(tr("[ バージョン ] ") + Q(Config->PackVersion()));
  AddInfoLine(tr("[   作成者   ] ") + Q(Config->PackAutherName()));
  AddInfoLine(tr("[  Ｅメール  ] ") + Q(Config->PackAutherEmail()));
  AddInfoLine(QStringLiteral("[    URL     ] ") + Q(Config->PackAutherUrl()));
  AddInfoLine(QString());
  AddInfoLine(Q(Config->PackDescription()));
  if (OwnerForm && parentWidget() != OwnerForm) setParent(OwnerForm, windowFlags());
  Form_Resize();
  exec();
}

void frmAbout::ShowFileInfoFromFile(const std::string& FileName, const clsQueloConfig* Config,
                                    const clsImage* ImageCls) {
  ShowFileInfo(FileName, Config, ImageCls, nullptr);
}

void frmAbout::ShowFileInfo(const std::string& FileName, const clsQueloConfig* Config, const clsImage* ImageCls,
                            const clsExePlusFiles* Sxar) {
  infoMode_ = 2;
  versionOuterHeight_ = 0;
  txtInfo->show();
  ClearInfo();
  AddConfigInfo(Config, FileName);
  AddInfoLine(QString());
  AddImageInfo(ImageCls);
  AddInfoLine(QString());
  if (!Sxar)
    AddFileInfo(FileName);
  else
    AddSxarFileInfo(Sxar, Sxar->GetFileIndex(FileName));
}

// ---- Sections -------------------------------------------------------------------

void frmAbout::AddConfigInfo(const clsQueloConfig* Config, const std::string& FileName) {
  const int16_t i = Config ? Config->GetIndex(FileName) : int16_t(-1);
  if (i < 0) return;
  AddInfoTitle(tr("パッケージ情報"));
  AddInfoSet(tr("[ ファイル名 ] "), Q(Config->FileName(i)));
  AddInfoSet(tr("[   表示名   ] "), Q(Config->FileTitle(i)));
  AddInfoSet(tr("[  作成者名  ] "), Q(Config->FileAuther(i)));
  AddInfoSetM(tr("[  概要説明  ] "), Q(Config->FileDescription(i)));
  AddInfoSet(tr("[ファイル番号] "), QString::number(i));
}

void frmAbout::AddImageInfo(const clsImage* ImageInfo) {
  if (!ImageInfo) return;
  AddInfoTitle(tr("イメージ情報"));
  AddInfoSet(tr("[   表示名   ] "), Q(ImageInfo->Name()));
  AddInfoSet(tr("[     幅     ] "), QString::number(ImageInfo->Width()) + QStringLiteral("pixels"));
  AddInfoSet(tr("[    高さ    ] "), QString::number(ImageInfo->Height()) + QStringLiteral("pixels"));
  // The image counts bytes per pixel; the line says bits, as its word does.
  AddInfoSet(tr("[  ビット数  ] "), QString::number(ImageInfo->BitCount() * 8) + QStringLiteral("bits"));
  AddInfoSet(tr("[ 内部拡張子 ] "), Q(ImageInfo->SourceType()));
  AddInfoSet(tr("[ 読み込み元 ] "), Q(ImageInfo->Source()));
}

void frmAbout::AddFileInfo(const std::string& FileName) {
  AddInfoTitle(tr("ファイル情報"));
  AddInfoSet(tr("[ ファイル名 ] "), Q(FileName));
  QString size;
  try {
    size = QString::number(platform::FileLength(FileName)) + QStringLiteral("bytes");
  } catch (const std::exception&) {
    // Removed or made unreadable since it was loaded: the window still shows the rest.
    size = tr("不明 (ファイルを読み取れません)");
  }
  AddInfoSet(tr("[   サイズ   ] "), size);
}

void frmAbout::AddSxarFileInfo(const clsExePlusFiles* Sxar, int16_t FileNumber) {
  if (!Sxar || FileNumber < 0) return;
  AddInfoTitle(tr("自己展開書庫内ファイル情報"));
  // The file the archive was read from: the pack opened, which need not be
  // the running program.
  const std::string archiveFile = Sxar->ArchiveFileName().empty() ? Sxar->ExeFileName() : Sxar->ArchiveFileName();
  AddInfoLine(tr("[書庫ファイル] ") + Q(archiveFile));
  AddInfoLine(tr("[ ファイル名 ] ") + Q(Sxar->FileName(FileNumber)));
  AddInfoLine(kIndent + QStringLiteral("(Index:") + QString::number(FileNumber) + QStringLiteral(" / ") +
              QString::number(Sxar->FileCount() - 1) + QStringLiteral(" Offset:0x") +
              QString::number(Sxar->FileOffset(FileNumber), 16).toUpper() + QStringLiteral(" Size:") +
              QString::number(Sxar->FileSize(FileNumber)) + QStringLiteral("bytes)"));
}

// ---- Lines ------------------------------------------------------------------------

void frmAbout::ClearInfo() { SetInfoText(QString()); }

void frmAbout::AddInfoLine(const QString& Line) { SetInfoText(text_ + Line + kCrLf); }

void frmAbout::AddInfoTitle(const QString& Title) {
  SetInfoText(text_ + QStringLiteral("■■") + Title + QStringLiteral("■■") + kCrLf);
}

void frmAbout::AddInfoSet(const QString& Title, const QString& Value) {
  SetInfoText(text_ + Title + Value + kCrLf);
  if (!isVisible()) show();
}

void frmAbout::AddInfoSetM(const QString& Title, const QString& ValueM) {
  QString value = ValueM;
  value.replace(kCrLf, kCrLf + kIndent);
  SetInfoText(text_ + Title + value + kCrLf);
}

void frmAbout::SetInfoText(const QString& text) {
  text_ = text;
  // The text box breaks lines at LF alone.
  QString shown = text;
  shown.replace(kCrLf, QStringLiteral("\n"));
  txtInfo->setPlainText(shown);
}

// ---- Events -------------------------------------------------------------------------

void frmAbout::cmdOK_Click() { close(); }

void frmAbout::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  Form_Resize();
}

void frmAbout::moveEvent(QMoveEvent* event) {
  QDialog::moveEvent(event);
  FrameChanged();
}

void frmAbout::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange) FrameChanged();
}

void frmAbout::FrameChanged() {
  // The window manager's frame arrives after the window is shown: the outer
  // size changes without a resize event, and is known by the time the window
  // is moved or activated.
  if (OuterSize() == laidOutSize_) return;
  if (versionOuterHeight_ > 0) SetOuterHeight(versionOuterHeight_);
  Form_Resize();
}

QSize frmAbout::OuterSize() const {
  // Asked of the window itself: the widget's own idea of its frame can lag
  // behind the window manager.
  const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
  return size().grownBy(frame);
}

void frmAbout::SetOuterHeight(int twips) {
  const int client = TwipsToPixels(twips) - (OuterSize().height() - height());
  if (client > 0) resize(width(), client);
}

void frmAbout::Form_Resize() {
  laidOutSize_ = OuterSize();
  if (infoMode_ == 0) return;
  const int W = PixelsToTwips(laidOutSize_.width());
  const int H = PixelsToTwips(laidOutSize_.height());
  // A size that would come out negative in a very small window is skipped.
  if (const int w = W - 120; w >= 0) txtInfo->resize(TwipsToPixels(w), txtInfo->height());
  if (const int h = H - PixelsToTwips(txtInfo->y()) - 410; h >= 0) txtInfo->resize(txtInfo->width(), TwipsToPixels(h));
  cmdOK->move(TwipsToPixels(W - PixelsToTwips(cmdOK->width()) - 240), cmdOK->y());
}

}  // namespace quelo::ui
