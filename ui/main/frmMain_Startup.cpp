// The window's state and controls, and the start: where the pack comes from,
// its definition, one image object and one preview per image.
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>
#include <exception>
#include <functional>
#include <utility>

#include "platform/Platform.h"
#include "ui/main/PictureBox.h"
#include "ui/main/StripMath.h"
#include "ui/main/Twips.h"
#include "platform/qt/QtSvgRenderer.h"
#include "ui/main/frmMain.h"

namespace quelo::ui {

namespace {

// The window's own surface: it hands its painting to the window.
class FormSurface final : public QWidget {
 public:
  FormSurface(QWidget* parent, std::function<void()> onPaint) : QWidget(parent), onPaint_(std::move(onPaint)) {}

 protected:
  void paintEvent(QPaintEvent*) override { onPaint_(); }

 private:
  std::function<void()> onPaint_;
};

constexpr uint32_t kSys = 0x80000000u;

// Geometry of the controls in twips, as the window was designed.
QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}

// The banner: a narrow picture down the left edge with the program's name.
void DrawBanner(PictureBox* banner) {
  QImage picture(banner->width(), banner->height(), QImage::Format_RGB32);
  QPainter p(&picture);
  QLinearGradient gradient(0, 0, 0, picture.height());
  gradient.setColorAt(0, QColor(32, 72, 140));
  gradient.setColorAt(1, QColor(150, 190, 235));
  p.fillRect(picture.rect(), gradient);
  QFont font = banner->font();
  font.setBold(true);
  font.setPixelSize(15);
  p.setFont(font);
  p.setPen(Qt::white);
  p.translate(picture.width() - 6, picture.height() - 10);
  p.rotate(-90);
  p.drawText(0, 0, QStringLiteral("quelo"));
  p.end();
  banner->ShowPicture(picture);
}

}  // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
  packTitle_ = QStringLiteral("quelo");
  UpdateTitle();
  setWindowIcon(QIcon(QStringLiteral(":/quelo.png")));
  // SVG icons in a folder are drawn by Qt's SVG module.
  platform::qt::InstallSvgRenderer();
  CreateMenus();
  CreateControls();
  // Folders and pack files from a file manager.
  setAcceptDrops(true);
  // The client area is 652 x 456 pixels; the menu bar sits above it.
  resize(652, 456 + menuBar()->sizeHint().height());
  // Narrower, the colour panel, which never moves, would be cut off; lower,
  // the strip area would have no room for the empty strip and its scroll bar.
  setMinimumSize(652, kMinClientHeight + menuBar()->sizeHint().height());
}

frmMain::~frmMain() {
  // A colour field that has the focus reports its edit as it is destroyed,
  // after this window has stopped being one: nothing is to answer it then.
  for (QLineEdit* field : txtBackColor)
    if (field) field->disconnect(this);
}

void frmMain::CreateControls() {
  client_ = new FormSurface(this, [this] { Form_Paint(); });
  setCentralWidget(client_);

  picProgress = new PictureBox(client_);
  picProgress->setObjectName(QStringLiteral("picProgress"));
  picProgress->setGeometry(TwipsRect(0, 0, 9015, 255));

  imgBanner = new PictureBox(client_);
  imgBanner->setObjectName(QStringLiteral("imgBanner"));
  // The row below the status bar starts one pixel under it, and the panel
  // beside the banner, not over their edges.
  imgBanner->setGeometry(TwipsRect(0, kBelowStatusTop, 375, 4350));
  DrawBanner(imgBanner);
  // A click on the banner (released over it) opens the version window.
  connect(imgBanner, &PictureBox::MouseUp, this, [this](Qt::MouseButton button, int x, int y) {
    if (button == Qt::LeftButton && imgBanner->rect().contains(x, y)) mnuHelpAbout_Click();
  });

  picPreviews = new PictureBox(client_, PictureBox::Border::Sunken);
  picPreviews->setObjectName(QStringLiteral("picPreviews"));
  picPreviews->setGeometry(QRect(TwipsToPixels(375), TwipsToPixels(kBelowStatusTop),
                                 PreviewPanelWidth(0, TwipsToPixels(255)), TwipsToPixels(4350)));
  picPreviews->SetBackColor(0xFFFFFF);
  picPreviews->installEventFilter(this);

  vscPreviews = new QScrollBar(Qt::Vertical, picPreviews->Inner());
  vscPreviews->setObjectName(QStringLiteral("vscPreviews"));
  vscPreviews->resize(TwipsToPixels(255), picPreviews->InnerHeight());
  picPreviews->PlaceChild(vscPreviews, PreviewScrollBarLeft(picPreviews->width(), vscPreviews->width()), 0);
  // The range runs from 1 to the number of previews; Qt keeps a maximum below
  // the minimum at the minimum, which is the same for an empty panel.
  vscPreviews->setRange(1, 0);
  vscPreviews->setSingleStep(1);
  vscPreviews->setPageStep(5);
  connect(vscPreviews, &QScrollBar::valueChanged, this, [this] { vscPreviews_Change(); });

  // The previews are drawn by the panel; it takes the focus for them.
  picPreview.SetLeft(TwipsToPixels(15));
  ConnectPreviews();

  lstImages = new QListWidget(client_);
  lstImages->setObjectName(QStringLiteral("lstImages"));
  lstImages->setGeometry(TwipsRect(375, kBelowStatusTop, kStripListWidth, 1860));
  // A frame of plain lines, drawn whole at every scale factor (the style's
  // own loses its right edge at 1.5), in the colour of the panels' shadows.
  lstImages->setFrameStyle(QFrame::Box | QFrame::Plain);
  {
    QPalette palette = lstImages->palette();
    palette.setColor(QPalette::WindowText, QColor(PictureBox::ToQRgb(platform::GetSysColor(platform::syscolor::kButtonShadow))));
    lstImages->setPalette(palette);
  }
  lstImages->setSelectionMode(QAbstractItemView::SingleSelection);
  lstImages->hide();
  connect(lstImages, &QListWidget::itemClicked, this, [this] { lstImages_Click(); });
  connect(lstImages, &QListWidget::itemSelectionChanged, this, [this] {
    // Moving through the list with the keyboard selects as a click does.
    if (lstImages->hasFocus() && SelectedStripPosition() >= 0) lstImages_Click();
  });
  // The Delete key does what "削除" does. Selecting a line hands the focus to
  // its preview, so the key belongs to the window, not to the list; in a text
  // box, read-only ones included, it deletes nothing of the strip.
  auto* deleteKey = new QShortcut(QKeySequence::Delete, this);
  connect(deleteKey, &QShortcut::activated, this, [this] {
    if (!qobject_cast<QLineEdit*>(QApplication::focusWidget())) cmdItemDel_Click();
  });

  auto makeButton = [this](const char* name, const QString& caption, int topTwips) {
    auto* button = new QPushButton(caption, client_);
    button->setObjectName(QString::fromLatin1(name));
    // A caption longer than the design's (a translation) widens the button to the right.
    QRect geometry = TwipsRect(0, topTwips, 615, 375);
    geometry.setWidth(std::max(geometry.width(), button->fontMetrics().horizontalAdvance(caption) + 12));
    button->setGeometry(geometry);

    return button;
  };
  cmdItemDel = makeButton("cmdItemDel", tr("削除"), 360);
  cmdItemLeft = makeButton("cmdItemLeft", QStringLiteral("←"), 960);
  cmdItemRight = makeButton("cmdItemRight", QStringLiteral("→"), 1440);
  connect(cmdItemDel, &QPushButton::clicked, this, [this] { cmdItemDel_Click(); });
  connect(cmdItemLeft, &QPushButton::clicked, this, [this] { cmdItemLeft_Click(); });
  connect(cmdItemRight, &QPushButton::clicked, this, [this] { cmdItemRight_Click(); });

  fraBackColor = new QGroupBox(tr("背景色"), client_);
  fraBackColor->setObjectName(QStringLiteral("fraBackColor"));
  fraBackColor->setGeometry(TwipsRect(8280, 360, 1455, 1695));
  const QString colourNames[3] = {tr("赤"), tr("緑"), tr("青")};
  for (int i = 0; i < 3; ++i) {
    lblBackColor[i] = new QLabel(colourNames[i], fraBackColor);
    lblBackColor[i]->setObjectName(QStringLiteral("lblBackColor%1").arg(i));
    lblBackColor[i]->setGeometry(8, 18 + 22 * i, 20, 20);
    txtBackColor[i] = new QLineEdit(fraBackColor);
    txtBackColor[i]->setObjectName(QStringLiteral("txtBackColor%1").arg(i));
    txtBackColor[i]->setGeometry(30, 18 + 22 * i, 58, 20);
  }
  ConnectBackColorFields();
  picSetBackColor = new PictureBox(fraBackColor);
  picSetBackColor->setObjectName(QStringLiteral("picSetBackColor"));
  picSetBackColor->setGeometry(8, 86, 80, 20);
  picSetBackColor->setMouseTracking(true);
  connect(picSetBackColor, &PictureBox::MouseDown, this, [this] { picSetBackColor_Press(); });
  connect(picSetBackColor, &PictureBox::MouseMove, this, [this] { picSetBackColor_Press(); });

  picMainFrame = new PictureBox(client_, PictureBox::Border::Sunken);
  picMainFrame->setObjectName(QStringLiteral("picMainFrame"));
  picMainFrame->setGeometry(TwipsRect(360, 2160, 8000, 3000));
  picMainFrame->SetBackColor(kSys | platform::syscolor::kAppWorkspace);
  picMainFrame->hide();

  picMain = new PictureBox(picMainFrame->Inner());
  picMain->setObjectName(QStringLiteral("picMain"));
  picMainFrame->PlaceChild(picMain, TwipsToPixels(120), 0);
  // The layout centres the canvas by its height: it has the empty strip's size
  // from the start, not the toolkit's default.
  picMain->ResizePicture(kEmptyStripWidth, kEmptyStripHeight);
  picMain->SetBackColor(kSys | platform::syscolor::kWindow);
  picMain->SetForeColor(kSys | platform::syscolor::kWindowText);
  // The hint lines of the empty strip fit its 300 pixels in this size.
  QFont canvasFont = picMain->font();
  canvasFont.setPixelSize(10);
  picMain->setFont(canvasFont);

  hscMain = new QScrollBar(Qt::Horizontal, picMainFrame->Inner());
  hscMain->setObjectName(QStringLiteral("hscMain"));
  hscMain->resize(picMainFrame->InnerWidth(), TwipsToPixels(255));
  picMainFrame->PlaceChild(hscMain, 0, picMainFrame->InnerHeight() - hscMain->height());
  hscMain->setRange(0, 0);
  hscMain->setSingleStep(8);
  hscMain->setPageStep(64);
  connect(hscMain, &QScrollBar::valueChanged, this, [this] { hscMain_Change(); });
  vscMain = new QScrollBar(Qt::Vertical, picMainFrame->Inner());
  vscMain->setObjectName(QStringLiteral("vscMain"));
  vscMain->resize(hscMain->height(), picMainFrame->InnerHeight() - hscMain->height());
  vscMain->setRange(0, 0);
  vscMain->setSingleStep(8);
  vscMain->hide();
  connect(vscMain, &QScrollBar::valueChanged, this, [this] { vscMain_Change(); });
  ConnectStripCanvas();
}

void frmMain::Form_Load(const std::string& path) {
  // The program's folder.
  AppDir = platform::AppPath();
  if (AppDir.empty() || AppDir.back() != platform::kPathSeparator) AppDir += platform::kPathSeparator;
  SelectedPreview = -1;
  StripBackColor = 0xFFFFFF;
  ShowBackColorValues();
  CaptionHeight = static_cast<int32_t>(std::lround(picPreviews->TextHeight(QStringLiteral("文~_")) + 3));
  // mnuPopPreviews never stands in the menu bar; lstImages and picMainFrame are already hidden.
  vscPreviews->hide();
  cmdItemDel->hide();
  cmdItemRight->hide();
  cmdItemLeft->hide();
  // On screen while the pack loads: the one time pending events run during the start.
  show();
  QCoreApplication::processEvents();
  picProgress->SetScale(100, PixelsToTwips(picProgress->height()));
  if (path.empty()) {
    OpenStartupPack();
  } else if (!OpenPath(path, false)) {
    // The user named what to open: after its refusal nothing else is opened
    // in its place, which would look as if it had been. The window stays
    // empty and says so.
    ShowPack(std::make_unique<LoadedPack>());
    ShowProgress(1, 1, tr("パックは開かれていません").toStdString());
  }
  UpdateRecentMenu();
  vscPreviews->raise();
  vscPreviews->show();
  lstImages->show();
  picMainFrame->show();
  cmdItemDel->show();
  cmdItemRight->show();
  cmdItemLeft->show();
  RemoveStripImage(-1);
}

void frmMain::ShowPack(std::unique_ptr<LoadedPack> pack) {
  // The file property windows describe the files of the pack they were opened on.
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window != this && window->property("Tag").toString() == QStringLiteral("FILEPROPWND")) window->close();
  }
  pack_ = std::move(pack);
  SelectedPreview = -1;
  // The old pack's selection frame and caption go with it.
  DrawPreviewFrame(-1);
  pressedPreview_ = 0;
  dragIndex_ = 0;
  previewPictures_.clear();
  picPreview.Clear();
  const std::string title = pack_->Title();
  packTitle_ = title.empty() ? QStringLiteral("quelo")
                             : QStringLiteral("Quelo - [") + QString::fromStdString(title) + QStringLiteral("]");
  // The file saved last holds a strip of the pack before: 上書き保存 must not
  // write over it without asking.
  SaveFileName.clear();
  savePng_ = false;
  UpdateTitle();
  {
    // A new pack starts a new strip at the left and top edge.
    const QSignalBlocker quietH(hscMain), quietV(vscMain);
    hscMain->setValue(0);
    vscMain->setValue(0);
    keptStripScroll_ = 0;
    keptStripVScroll_ = 0;
  }
  for (int k = 1; k <= pack_->ImageCount(); ++k) {
    clsImage& image = pack_->Image(k);
    image.SetBackColor(StripBackColor);
    // Previews stack downwards, each under a caption line of CaptionHeight.
    const int32_t top =
        k == 1 ? CaptionHeight + 1
               : NextPreviewTop(picPreview.Top(k - 1), picPreview[static_cast<size_t>(k - 1)].height, CaptionHeight);
    // The preview is drawn from the image whenever it comes into view, on the
    // colour it has now.
    int32_t shownWidth = 0, shownHeight = 0;
    PreviewShownSize(image.Width(), image.Height(), &shownWidth, &shownHeight);
    picPreview.Append(top, shownWidth, shownHeight, StripBackColor);
  }
  {
    // The new range starts at the top: nothing of the old panel scrolls.
    const QSignalBlocker blocker(vscPreviews);
    vscPreviews->setRange(1, pack_->ImageCount());
    vscPreviews->setValue(1);
  }
  picPreviews->resize(PreviewPanelWidth(pack_->WidestImage(), vscPreviews->width()), picPreviews->height());
  picPreviews->PlaceChild(vscPreviews, PreviewScrollBarLeft(picPreviews->width(), vscPreviews->width()),
                          picPreviews->ChildTop(vscPreviews));
  const int frameLeftTwips = PixelsToTwips(picPreviews->x()) + PixelsToTwips(picPreviews->width()) + 4;
  picMainFrame->move(TwipsToPixels(frameLeftTwips), picMainFrame->y());
  lstImages->move(picMainFrame->x(), lstImages->y());
  Form_Resize();
  picPreviews->update();
}

void frmMain::closeEvent(QCloseEvent* event) {
  if (!ConfirmDiscardStrip()) {
    event->ignore();
    return;
  }
  // The file property windows go with the main window.
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window != this && window->property("Tag").toString() == QStringLiteral("FILEPROPWND")) window->close();
  }
  event->accept();
}

}  // namespace quelo::ui
