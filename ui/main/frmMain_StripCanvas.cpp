// The strip canvas picMain: the empty strip, the repaint from one entry to the
// right end, and the canvas's place in its frame.
#include <QListWidget>
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

}  // namespace

std::vector<int32_t> frmMain::StripWidths() const {
  std::vector<int32_t> widths;
  widths.reserve(static_cast<size_t>(StripCount()));
  for (int p = 0; p < StripCount(); ++p) widths.push_back(StripImage(p).Width());
  return widths;
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
  int32_t x = 0;
  StripItemLeft(FromPosition, x);
  if (x < 0) return;
  picMain->hide();
  picMain->SetAutoRedraw(true);
  // Entries left of FromPosition keep what they show.
  picMain->FillBox(x, 0, picMain->width(), picMain->height(), StripBackColor);
  for (int i = FromPosition; i < count; ++i) {
    const clsImage& img = StripImage(i);
    img.Show(*picMain, x, 0);
    x += img.Width();
    ShowProgress(count - FromPosition, i - FromPosition + 1, tr("再描画しています...").toStdString());
  }
  picMain->SetAutoRedraw(false);
  picMain->show();
  ShowProgress(1, 1, tr("再描画が終了しました").toStdString());

}

void frmMain::StripItemLeft(int16_t Position, int32_t& Left) const {
  Left = quelo::ui::StripItemLeft(StripWidths(), Position);
}

void frmMain::UpdateStripScroll() {
  const StripPlacement placement = PlaceStrip(picMainFrame->ScaleWidth(), picMain->width());
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

}  // namespace quelo::ui
