// The strip canvas picMain: the empty strip's hint, the strip document's
// picture (a transparent strip over a checkerboard), and the canvas's place in
// its frame, scrolled either way when the strip is larger than the frame.
#include <QListWidget>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>
#include <cstdlib>

#include "platform/Platform.h"
#include "ui/main/PictureBox.h"
#include "ui/main/StripMath.h"
#include "ui/main/frmMain.h"

namespace quelo::ui {

namespace {

constexpr uint32_t kSys = 0x80000000u;

uint32_t PlainColour(uint32_t colour) {
  return colour & kSys ? platform::GetSysColor(static_cast<int>(colour & 0xFFFFFFu)) : colour & 0xFFFFFFu;
}

// Perceived brightness 0..255 of a 0x00BBGGRR colour.
int Brightness(uint32_t colour) {
  const uint32_t c = PlainColour(colour);
  return static_cast<int>((299 * (c & 0xFFu) + 587 * ((c >> 8) & 0xFFu) + 114 * ((c >> 16) & 0xFFu)) / 1000);
}

// The window's text colour while it stands out from the fill, otherwise black
// or white, whichever does: the hint must show, on screen and when copied.
uint32_t HintColour(uint32_t fill, uint32_t text) {
  const int back = Brightness(fill);
  if (std::abs(Brightness(text) - back) >= 125) return text;
  return back < 128 ? 0xFFFFFFu : 0x000000u;
}

// A transparent picture as the canvas shows it: over light and white squares.
QImage OverCheckerboard(const QImage& picture) {
  constexpr int kSquare = 8;
  QImage shown(picture.size(), QImage::Format_RGB32);
  shown.fill(Qt::white);
  QPainter p(&shown);
  for (int y = 0; y < shown.height(); y += kSquare)
    for (int x = (y / kSquare) % 2 * kSquare; x < shown.width(); x += 2 * kSquare)
      p.fillRect(x, y, kSquare, kSquare, QColor(0xCC, 0xCC, 0xCC));
  p.drawImage(0, 0, picture);
  return shown;
}

}  // namespace

std::vector<int32_t> frmMain::StripWidths() const { return strip_.Widths(); }

QImage frmMain::StripImage(std::string* why) {
  // The empty strip has no picture of its own: what it shows is the hint.
  if (StripCount() == 0) return picMain->Image();
  strip_.SetBackColor(StripBackColor);
  StripPicture picture;
  if (!strip_.Compose(picture, why)) return QImage();
  // Opaque as 32-bit RGB, as the canvas holds it; with alpha, not premultiplied.
  return QImage(reinterpret_cast<const uchar*>(picture.argb.data()), picture.width, picture.height,
                picture.width * 4, picture.opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32)
      .copy();
}

void frmMain::SetCanvasSize(int32_t width, int32_t height) {
  // The picture keeps its top-left pixels; new area takes the fill colour.
  picMain->ResizePicture(std::max(width, 0), std::max(height, 0));
}

void frmMain::DrawEmptyStrip() {
  SetCanvasSize(kEmptyStripWidth, kEmptyStripHeight);
  picMain->SetAutoRedraw(true);
  picMain->Cls();
  picMain->SetForeColor(HintColour(picMain->BackColor(), kSys | platform::syscolor::kWindowText));
  const int h = picMain->height();
  picMain->CurrentX = 70;
  picMain->CurrentY = h / 5;
  picMain->SetFontBold(true);
  picMain->Print(tr("イメージは登録されていません"));
  picMain->SetFontBold(false);
  picMain->CurrentX = 15;
  picMain->CurrentY = (h / 5) * 3;
  // With nothing to drag from, the way to some images instead.
  picMain->Print(PackImageCount() > 0 ? tr("左側のリストからドラッグアンドドロップで追加できます")
                                      : tr("ファイル → フォルダを開く でアイコンのフォルダを開けます"));
  picMain->SetAutoRedraw(false);
}

void frmMain::RedrawStrip(const int16_t& FromPosition) {
  const int count = StripCount();
  if (count == 0) {
    RemoveStripImage(-1);
    return;
  }
  if (FromPosition < 0 || FromPosition >= count) return;
  // The whole picture comes from the document: what the canvas shows is what
  // is saved, copied and dragged out.
  std::string why;
  strip_.SetBackColor(StripBackColor);
  const bool composed = strip_.Compose(canvasPicture_, &why);
  // Shown straight from the composed pixels, without a copy.
  const QImage picture =
      composed ? QImage(reinterpret_cast<const uchar*>(canvasPicture_.argb.data()), canvasPicture_.width,
                        canvasPicture_.height, canvasPicture_.width * 4,
                        canvasPicture_.opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32)
               : QImage();
  SetCanvasSize(strip_.Width(), strip_.Height());
  picMain->SetAutoRedraw(true);
  if (picture.isNull()) {
    picMain->Cls();
    picMain->SetAutoRedraw(false);
    ShowProgress(1, 1, why);
    return;
  }
  picMain->ShowPicture(strip_.Transparent() ? OverCheckerboard(picture) : picture);
  UpdateStripScroll();
  ShowProgress(1, 1, tr("再描画が終了しました").toStdString());
}

void frmMain::StripItemLeft(int16_t Position, int32_t& Left) const {
  Left = quelo::ui::StripItemLeft(StripWidths(), Position);
}

void frmMain::UpdateStripScroll() {
  // Up and down first: a strip taller than the frame above the horizontal bar
  // scrolls with a bar at the right edge, which the horizontal bar then leaves room for.
  const int viewHeight = picMainFrame->InnerHeight() - hscMain->height();
  const StripPlacement vertical = PlaceStrip(viewHeight, picMain->height());
  const int barWidth = vertical.scrolls ? vscMain->width() : 0;
  hscMain->resize(picMainFrame->InnerWidth() - barWidth, hscMain->height());
  if (vertical.scrolls) {
    picMainFrame->PlaceChild(vscMain, picMainFrame->InnerWidth() - barWidth, 0);
    vscMain->resize(barWidth, std::max(viewHeight, 0));
    vscMain->setMaximum(vertical.scrollMax);
    if (keptStripVScroll_ > 0) {
      const QSignalBlocker quiet(vscMain);
      vscMain->setValue(std::min(keptStripVScroll_, vertical.scrollMax));
      keptStripVScroll_ = 0;
    }
    vscMain->setPageStep(std::max(viewHeight, 1));
    vscMain_Change();
    vscMain->raise();
    vscMain->show();
  } else {
    if (vscMain->maximum() > 0) {
      const QSignalBlocker quiet(vscMain);
      keptStripVScroll_ = vscMain->value();
      vscMain->setRange(0, 0);
    }
    vscMain->hide();
    picMainFrame->SetChildTop(picMain, vertical.left);
  }
  const StripPlacement placement = PlaceStrip(picMainFrame->ScaleWidth() - barWidth, picMain->width());
  if (placement.scrolls) {
    hscMain->setMaximum(placement.scrollMax);
    if (keptStripScroll_ > 0) {
      const QSignalBlocker quiet(hscMain);
      hscMain->setValue(std::min(keptStripScroll_, placement.scrollMax));
      keptStripScroll_ = 0;
    }
    // A value cut back by the new maximum takes effect here.
    hscMain_Change();
    hscMain->setEnabled(true);
  } else {
    // A disabled bar shows no thumb: its range closes, and its value waits
    // aside until the strip scrolls again.
    if (hscMain->maximum() > 0) {
      const QSignalBlocker quiet(hscMain);
      keptStripScroll_ = hscMain->value();
      hscMain->setRange(0, 0);
    }
    picMainFrame->SetChildLeft(picMain, placement.left);
    hscMain->setEnabled(false);
  }
}

void frmMain::hscMain_Change() { picMainFrame->SetChildLeft(picMain, StripLeftForScroll(hscMain->value())); }

void frmMain::vscMain_Change() { picMainFrame->SetChildTop(picMain, StripLeftForScroll(vscMain->value())); }

}  // namespace quelo::ui
