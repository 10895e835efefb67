// The background colour of the strip: chosen in the colour dialog, pushed into
// every image object and the canvas, and shown in the colour panel.
#include <QLineEdit>

#include "platform/Platform.h"
#include "ui/main/PictureBox.h"
#include "ui/main/frmMain.h"

namespace quelo::ui {

void frmMain::mnuEditBackColor_Click() {
  uint32_t colour = StripBackColor;
  // Cancel ends the command with nothing changed.
  if (!platform::Dialogs().ColorDialog(colour)) return;
  StripBackColor = colour & 0xFFFFFFu;
  for (int k = 1; k <= PackImageCount(); ++k) PackImage(k).SetBackColor(StripBackColor);
  // Lines may hold images of a pack loaded before at another icon size.
  for (int p = 0; p < StripCount(); ++p) StripImage(p).SetBackColor(StripBackColor);
  // The previews keep the colour they were drawn with.
  picMain->SetBackColor(StripBackColor);
  RedrawStrip(0);
  ShowBackColorValues();
  // An empty strip has nothing to save.
  if (StripCount() > 0) SetStripChanged(true);
}

void frmMain::ShowBackColorValues() {
  // The swatch in the colour, with its sunken edge.
  picSetBackColor->SetBackColor(StripBackColor);
  picSetBackColor_Press();
  // Red, green and blue of the current colour; for reading only.
  for (int i = 0; i < 3; ++i) {
    txtBackColor[i]->setReadOnly(true);
    txtBackColor[i]->setText(QString::number((StripBackColor >> (8 * i)) & 0xFFu));
  }
}

}  // namespace quelo::ui
