// Placing the controls in twips whenever the window changes size, the white
// column under the banner, and the status bar.
#include <QGroupBox>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>

#include "platform/Platform.h"
#include "ui/main/PictureBox.h"
#include "ui/main/StripMath.h"
#include "ui/main/Twips.h"
#include "ui/main/frmMain.h"

namespace quelo::ui {

void frmMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  Form_Resize();
}

void frmMain::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  // A window manager adds its frame after the window is shown: the outer size
  // grows without a resize event, and arrives with a move.
  if (frameGeometry().size() != laidOutSize_) Form_Resize();
}

void frmMain::Form_Resize() {
  if (!picPreviews) return;
  laidOutSize_ = frameGeometry().size();
  // W and H: the outer size, frame and menu bar included. A step whose size
  // would come out negative in a small window is skipped; the others still run.
  const int W = PixelsToTwips(frameGeometry().width());
  const int H = PixelsToTwips(frameGeometry().height());
  auto tw = [](const QWidget* w) { return PixelsToTwips(w->width()); };
  auto th = [](const QWidget* w) { return PixelsToTwips(w->height()); };

  // 1-4. The panel and its scroll bar change together, out of sight. Qt needs
  // no hiding for that, and hiding would take the focus from a preview.
  picPreviews->setUpdatesEnabled(false);
  if (const int h = H - th(picProgress) - 975; h >= 0) picPreviews->resize(picPreviews->width(), TwipsToPixels(h));
  vscPreviews->resize(vscPreviews->width(), picPreviews->InnerHeight());
  picPreviews->setUpdatesEnabled(true);
  if (const int w = W - 125; w >= 0 && TwipsToPixels(w) != picProgress->width()) {
    picProgress->resize(TwipsToPixels(w), picProgress->height());
    // Its retained picture would keep the old bar and cut the text; the same
    // status is drawn again at the new width.
    if (progressShown_) ShowProgress(progressTotal_, progressCurrent_, progressText_);
  }
  if (const int w = W - tw(picPreviews) - tw(imgBanner) - 125; w >= 0)
    picMainFrame->resize(TwipsToPixels(w), picMainFrame->height());
  if (const int h = H - th(picProgress) - th(lstImages) - 1030; h >= 0)
    picMainFrame->resize(picMainFrame->width(), TwipsToPixels(h));
  picMainFrame->PlaceChild(hscMain, 0, picMainFrame->InnerHeight() - hscMain->height());
  hscMain->resize(picMainFrame->InnerWidth(), hscMain->height());
  // The canvas is centred vertically above the scroll bar, or scrolls (below).
  // The list is as wide as designed unless its buttons would then reach under
  // the colour panel (a wide preview panel pushes the list right): then it
  // gives up the width, so the buttons end 50 twips before the panel.
  const int listRoom = PixelsToTwips(fraBackColor->x()) - 50 - tw(cmdItemDel) - 50 - PixelsToTwips(lstImages->x());
  const int listWidth = std::max(std::min(kStripListWidth, listRoom), 0);
  if (TwipsToPixels(listWidth) != lstImages->width()) lstImages->resize(TwipsToPixels(listWidth), lstImages->height());
  const int buttonLeft = TwipsToPixels(PixelsToTwips(lstImages->x()) + tw(lstImages) + 50);
  cmdItemDel->move(buttonLeft, cmdItemDel->y());
  cmdItemRight->move(buttonLeft, cmdItemRight->y());
  cmdItemLeft->move(buttonLeft, cmdItemLeft->y());
  UpdateStripScroll();
}

void frmMain::Form_Paint() {
  // The column under the banner is white down to the bottom of the window.
  QPainter p(client_);
  const int top = imgBanner->y() + imgBanner->height();
  p.fillRect(QRect(QPoint(0, top), QPoint(imgBanner->width(), client_->height())), Qt::white);
}

void frmMain::ShowProgress(int32_t Total, int32_t Current, const std::string& Text) {
  constexpr uint32_t kSys = 0x80000000u;
  progressTotal_ = Total;
  progressCurrent_ = Current;
  progressText_ = Text;
  progressShown_ = true;
  const int32_t percent = ProgressPercent(Total, Current);
  picProgress->SetAutoRedraw(true);
  picProgress->Cls();
  // The bar is 100 units across; a bar of 0 % leaves the box out altogether.
  if (percent > 0)
    picProgress->FillBox(0, 0, percent, picProgress->ScaleHeight(), kSys | platform::syscolor::kInactiveCaption);
  picProgress->SetForeColor(kSys | platform::syscolor::kInactiveCaptionText);
  picProgress->CurrentX = 1;
  picProgress->CurrentY = 0;
  picProgress->Print(QString::fromStdString(ProgressText(Total, Current, Text)));
  picProgress->SetAutoRedraw(false);
  // Long operations let no events run, so the bar is brought to the screen now.
  picProgress->repaint();
}

}  // namespace quelo::ui
