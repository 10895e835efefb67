// The background colour of the strip: chosen in the colour dialog or typed
// into the colour panel's fields, pushed into every image object, the strip
// and the canvas, and shown in the colour panel; or no colour at all, a
// transparent strip.
#include <QAction>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

#include <algorithm>

#include "platform/Platform.h"
#include "ui/main/PictureBox.h"
#include "ui/main/frmMain.h"

namespace quelo::ui {

void frmMain::mnuEditBackColor_Click() {
  uint32_t colour = StripBackColor;
  // Cancel ends the command with nothing changed.
  if (!platform::Dialogs().ColorDialog(colour)) return;
  SetStripBackColor(colour);
}

void frmMain::SetStripBackColor(uint32_t colour) {
  StripBackColor = colour & 0xFFFFFFu;
  // A colour chosen is a colour shown: the strip is no longer transparent.
  strip_.SetTransparent(false);
  {
    const QSignalBlocker quiet(mnuEditTransparent);
    mnuEditTransparent->setChecked(false);
  }
  for (int k = 1; k <= PackImageCount(); ++k) PackImage(k).SetBackColor(StripBackColor);
  // The previews keep the colour they were drawn with.
  picMain->SetBackColor(StripBackColor);
  RedrawStrip(0);
  ShowBackColorValues();
  // An empty strip has nothing to save.
  if (StripCount() > 0) SetStripChanged(true);
}

void frmMain::mnuEditTransparent_Click(bool transparent) {
  if (strip_.Transparent() == transparent) return;
  strip_.SetTransparent(transparent);
  // The empty strip keeps its hint on the colour, readable either way.
  ShowBackColorValues();
  if (StripCount() == 0) return;
  RedrawStrip(0);
  SetStripChanged(true);
}

void frmMain::ShowBackColorValues() {
  // The swatch in the colour, with its sunken edge.
  picSetBackColor->SetBackColor(StripBackColor);
  if (strip_.Transparent()) {
    // Transparent: the swatch shows the canvas's checkerboard instead.
    constexpr int kSquare = 6;
    picSetBackColor->SetScalePixels();
    picSetBackColor->SetAutoRedraw(true);
    picSetBackColor->Cls();
    picSetBackColor->FillBox(0, 0, picSetBackColor->ScaleWidth(), picSetBackColor->ScaleHeight(), 0xFFFFFF);
    for (int y = 0; y < picSetBackColor->ScaleHeight(); y += kSquare)
      for (int x = (y / kSquare) % 2 * kSquare; x < picSetBackColor->ScaleWidth(); x += 2 * kSquare)
        picSetBackColor->FillBox(x, y, x + kSquare - 1, y + kSquare - 1, 0xCCCCCC);
    picSetBackColor->SetAutoRedraw(false);
  }
  picSetBackColor_Press();
  // Red, green and blue of the current colour.
  for (int i = 0; i < 3; ++i) txtBackColor[i]->setText(QString::number((StripBackColor >> (8 * i)) & 0xFFu));
}

void frmMain::ConnectBackColorFields() {
  // The fields edit the colour: digits only, a value over 255 taken as 255,
  // applied when the field is left or Enter is pressed; an emptied field gets
  // the current value back.
  for (int i = 0; i < 3; ++i) {
    txtBackColor[i]->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), txtBackColor[i]));
    connect(txtBackColor[i], &QLineEdit::editingFinished, this, [this] { txtBackColor_Change(); });
  }
}

void frmMain::txtBackColor_Change() {
  uint32_t colour = 0;
  for (int i = 0; i < 3; ++i) {
    bool ok = false;
    const int value = txtBackColor[i]->text().toInt(&ok);
    const uint32_t component = ok ? static_cast<uint32_t>(std::clamp(value, 0, 255)) : (StripBackColor >> (8 * i)) & 0xFFu;
    colour |= component << (8 * i);
  }
  if (colour == StripBackColor) {
    ShowBackColorValues();  // "300" shown as 255, "007" as 7
    return;
  }
  SetStripBackColor(colour);
}

}  // namespace quelo::ui
