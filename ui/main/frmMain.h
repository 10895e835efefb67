// The main window: the preview panel on the left, the strip list and canvas on
// the right, the status bar along the top. One declaration, one source file per
// concern: frmMain_Startup.cpp (state, controls, loading the pack),
// frmMain_Layout.cpp (geometry, resize, paint, progress), frmMain_Previews.cpp
// (selection, scrolling, popup), frmMain_StripList.cpp (strip editing),
// frmMain_StripCanvas.cpp (canvas drawing and scrolling), frmMain_DragDrop.cpp
// (drops on the canvas, its mouse and wheel), frmMain_Commands.cpp (menus),
// frmMain_Saving.cpp (saving, clipboard, export), frmMain_BackColor.cpp
// (background colour), frmMain_Info.cpp (the information windows).
#pragma once

#include <QImage>
#include <QMainWindow>
#include <QMetaType>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "image/clsImage.h"
#include "pack/LoadedPack.h"
#include "strip/StripDocument.h"
#include "ui/main/PreviewStack.h"

class QAction;
class QKeyEvent;
class QPainter;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMimeData;
class QPushButton;
class QScrollBar;
class FrmMainTest;
namespace quelo::test {
class MainWindowHarness;
}
class FrmMainSavingTest;
class FrmMainDragDropTest;
class FrmMainPreviewsTest;
class FrmMainBench;
class FrmMainScaleTest;

namespace quelo::ui {

// The drag format of a preview dragged onto the strip: its number in PackImages.
inline const QString kPreviewMimeType = QStringLiteral("application/x-quelo-preview");

class PictureBox;
class frmAbout;

class frmMain : public QMainWindow {
  Q_OBJECT

 public:
  explicit frmMain(QWidget* parent = nullptr);
  ~frmMain() override;

  // The load event: shows the window, opens path (a folder or a file carrying
  // a pack; without one, the program's own pack, the images beside it or the
  // most recent pack), lays out, empties the strip.
  void Form_Load(const std::string& path = std::string());

  // Before the strip is thrown away (closing, a new strip, another pack): a
  // strip changed since it was last saved or emptied is offered for saving.
  // True to go on (saved, or let go), false to stay (Cancel, or the save was
  // cancelled or failed).
  bool ConfirmDiscardStrip();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  friend class ::FrmMainTest;
  friend class ::quelo::test::MainWindowHarness;
  friend class ::FrmMainSavingTest;
  friend class ::FrmMainDragDropTest;
  friend class ::FrmMainPreviewsTest;
  friend class ::FrmMainBench;
  friend class ::FrmMainScaleTest;

  // ---- Startup (frmMain_Startup.cpp) ----
  void CreateControls();
  void CreateMenus();
  // Shows pack in place of the one shown: previews, title, panel width.
  void ShowPack(std::unique_ptr<LoadedPack> pack);
  clsImage& PackImage(int index) const { return pack_->Image(index); }
  int PackImageCount() const { return pack_->ImageCount(); }

  // ---- Opening packs and folders (frmMain_Open.cpp) ----
  void mnuFileOpen_Click();
  void mnuFileOpenFolder_Click();
  // Opens a folder or a file carrying a pack; a path that can't be opened is
  // told and the shown pack stays. askFirst: a strip with entries is emptied
  // only when the user agrees. True when the pack was replaced.
  bool OpenPath(const std::string& path, bool askFirst = true);
  std::unique_ptr<LoadedPack> PreparePack(const std::string& path, std::string* why) const;
  void OpenStartupPack();
  QStringList RecentPaths() const;
  void RememberPath(const std::string& path);
  void ForgetPath(const std::string& path);
  void UpdateRecentMenu();
  void mnuFileRecent_Click(const QString& path);
  // The folder or pack file a file manager drags in; empty when it carries none.
  static std::string DroppedPath(const QMimeData* data);

  // ---- Layout and progress (frmMain_Layout.cpp) ----
  void Form_Resize();
  void Form_Paint();
  void ShowProgress(int32_t Total, int32_t Current, const std::string& Text);

  // ---- Preview panel (frmMain_Previews.cpp) ----
  void DrawPreviewFrame(int16_t Index);
  // The display name as the selected preview's caption shows it: cut short
  // with "…" to the preview's width (the tooltip then shows it whole).
  QString PreviewCaption(int16_t Index) const;
  void picPreview_GotFocus(int16_t Index);
  void picPreview_MouseDown(int16_t Index, Qt::MouseButton Button);
  void picPreview_MouseMove(int16_t Index, Qt::MouseButtons Buttons, int X, int Y);
  void picPreview_MouseUp(int16_t Index, Qt::MouseButton Button);
  void picPreview_DblClick(int16_t Index);
  void vscPreviews_Change();
  void FocusPreview(int16_t Index);
  void ConnectPreviews();
  void PaintPreviews(QPainter& painter, const QRect& exposed);
  // The picture preview Index shows; valid until the next call.
  const QImage& PreviewPicture(int16_t Index);
  // Image Index drawn whole at its own size, on its preview's colour.
  QImage ImagePicture(int16_t Index) const;
  bool picPreviews_KeyDown(const QKeyEvent& event);
  bool MovePreviewSelection(int step);
  void ScrollPreviewIntoView(int16_t Index);
  void ShowPreviewPopup(int globalY);

  // ---- Strip list (frmMain_StripList.cpp) ----
  void AddStripImage(int16_t ImageIndex, int16_t& Position);
  void RemoveStripImage(int16_t Position);
  int StripCount() const;
  int16_t StripImageIndex(int Position) const;
  int SelectedStripPosition() const;
  void ClearStripSelection();
  void cmdItemDel_Click();
  void cmdItemLeft_Click();
  void cmdItemRight_Click();
  void lstImages_Click();
  // Before the strip is emptied: true to go on.
  bool ConfirmEmptyStrip();
  void mnuFileNew_Click();
  // Entry From into gap Gap of the strip (0 = the front, count = the end).
  void MoveStripImage(int16_t From, int16_t Gap);
  // Entry From to place To, the list line following and staying selected.
  void MoveStripEntry(int From, int To);
  // The member or file name image Index came from.
  std::string ImageSourceName(int16_t Index) const;

  // ---- Strip canvas (frmMain_StripCanvas.cpp) ----
  void DrawEmptyStrip();
  void RedrawStrip(const int16_t& FromPosition);
  void StripItemLeft(int16_t Position, int32_t& Left) const;
  std::vector<int32_t> StripWidths() const;
  void SetCanvasSize(int32_t width, int32_t height);
  void UpdateStripScroll();
  void hscMain_Change();
  void vscMain_Change();
  // The strip picture from the document: with its alpha when transparent, the
  // empty strip's hint when there are no entries; null when too large to hold.
  QImage StripImage(std::string* why = nullptr);

  // ---- Drag and drop, the canvas's mouse and wheel (frmMain_DragDrop.cpp) ----
  void ConnectStripCanvas();
  int16_t StripDropPosition(float X, int32_t* MarkerX) const;
  int16_t StripItemAt(float X) const;
  int16_t DraggedPreviewIndex(const QMimeData* data) const;
  int16_t DraggedStripPosition(const QMimeData* data) const;
  // Whether a drag is a strip picture dragged from a quelo canvas.
  static bool IsStripDrag(const QMimeData* data);
  void picMain_DragOver(float X);
  void picMainFrame_DragOver();
  void picMain_DragDrop(int16_t ImageIndex, float X);
  void picMain_ReorderDrop(int16_t From, float X);
  void picMain_MouseDown(Qt::MouseButton Button, int X, int Y);
  void picMain_MouseMove(Qt::MouseButtons Buttons, int X, int Y);
  QMimeData* StripPictureData();

  // ---- Commands (frmMain_Commands.cpp) ----
  void mnuFile_Open();
  void mnuPopPreviewsAddFirst_Click();
  void mnuPopPreviewsAddLast_Click();
  void mnuShowRedraw_Click();
  void picSetBackColor_Press();

  // ---- Saving, clipboard and export (frmMain_Saving.cpp) ----
  bool SaveStripBitmap(const std::string& FileName, bool asPng = false);
  // Both true when the strip was written.
  bool mnuFileSaveAs_Click();
  bool mnuFileSave_Click();
  // After a strip was written to FileName.
  void StripSaved(const std::string& FileName);
  // Every edit sets the mark, saving and emptying clear it; the title and the
  // File menu's entries follow.
  void SetStripChanged(bool changed);
  void UpdateTitle();
  void mnuEditCopy_Click();
  void mnuPopPreviewsCopy_Click();
  void mnuPopPreviewsExport_Click();

  // ---- Background colour (frmMain_BackColor.cpp) ----
  void mnuEditBackColor_Click();
  // The strip's colour changed, from the dialog or the fields: images, canvas, fields.
  void SetStripBackColor(uint32_t colour);
  void mnuEditTransparent_Click(bool transparent);
  void ShowBackColorValues();
  void ConnectBackColorFields();
  void txtBackColor_Change();

  // ---- Icon size (frmMain_IconSize.cpp) ----
  // The icon size kept in the settings: 0 (each image's own size) or a side.
  static int32_t IconSizeSetting();
  void CreateIconSizeMenu();
  void mnuShowIconSize_Click(int32_t side);

  // ---- Information windows (frmMain_Info.cpp) ----
  frmAbout* SharedAbout();
  void mnuHelpAbout_Click();
  void mnuHelpPackInfo_Click();
  void mnuHelpFileInfo_Click();

  // ---- State, for the window's whole life ----
  std::string AppDir;
  int16_t SelectedPreview = -1;
  uint32_t StripBackColor = 0xFFFFFF;
  // The strip: its entries, background and picture. The canvas and the list show it.
  StripDocument strip_;
  // The canvas's last picture of it, kept so that each redraw reuses the memory.
  StripPicture canvasPicture_;
  std::string SaveFileName;
  int32_t CaptionHeight = 0;
  std::unique_ptr<LoadedPack> pack_;  // never null

  // The status last shown, drawn again when the bar changes width.
  int32_t progressTotal_ = 0;
  int32_t progressCurrent_ = 0;
  std::string progressText_;
  bool progressShown_ = false;

  // The strip was edited since it was last saved or emptied.
  bool stripChanged_ = false;
  // The title before the saved file's name and the mark.
  QString packTitle_;

  // The one version and pack window, while it is open.
  QPointer<frmAbout> about_;

  // A left press on a preview that may become a drag, and where it was, in
  // the panel's pixels.
  int16_t dragIndex_ = 0;
  QPoint dragStart_;
  // The preview a button went down on: its release belongs to it.
  int16_t pressedPreview_ = 0;
  // The pictures of the previews in view, drawn from their images when first
  // shown and dropped when they leave the view.
  std::vector<std::pair<int16_t, QImage>> previewPictures_;
  // A left press on an image of the canvas, which may become a drag of that
  // image along the canvas or of the strip picture out of the program; the
  // entry pressed, and the folder of the picture's PNG file.
  bool stripDragArmed_ = false;
  QPoint stripDragStart_;
  int16_t stripDragFrom_ = -1;
  std::unique_ptr<QTemporaryDir> stripDragDir_;
  // The strip scroll value, put aside while the bar is disabled and empty.
  int keptStripScroll_ = 0;
  int keptStripVScroll_ = 0;

  // ---- Controls ----
  QSize laidOutSize_;           // the outer size the controls were last placed for
  QWidget* client_ = nullptr;  // the window's own surface below the menu bar
  PictureBox* picProgress = nullptr;
  PictureBox* imgBanner = nullptr;
  PictureBox* picPreviews = nullptr;
  QScrollBar* vscPreviews = nullptr;
  PreviewStack picPreview;              // element k at [k], drawn by picPreviews
  QListWidget* lstImages = nullptr;
  QPushButton* cmdItemDel = nullptr;
  QPushButton* cmdItemLeft = nullptr;
  QPushButton* cmdItemRight = nullptr;
  QGroupBox* fraBackColor = nullptr;
  PictureBox* picSetBackColor = nullptr;
  QLineEdit* txtBackColor[3] = {};
  QLabel* lblBackColor[3] = {};
  PictureBox* picMainFrame = nullptr;
  PictureBox* picMain = nullptr;
  QScrollBar* hscMain = nullptr;
  QScrollBar* vscMain = nullptr;  // shown only while the strip is taller than the frame
  // dlgCommon: the save and colour dialogs are the platform's, through platform::Dialogs().
  bool savePng_ = false;     // SaveFileName was saved as PNG

  // ---- Menus ----
  QMenu* mnuFile = nullptr;
  QAction* mnuFileNew = nullptr;
  QAction* mnuFileOpen = nullptr;
  QAction* mnuFileOpenFolder = nullptr;
  QAction* mnuFileRecentSep = nullptr;
  std::vector<QAction*> mnuFileRecent;
  QAction* mnuFileSep1 = nullptr;
  QAction* mnuFileSaveAs = nullptr;
  QAction* mnuFileSave = nullptr;
  QAction* mnuFileCopy = nullptr;
  QAction* mnuFileLayoutJson = nullptr;  // saving also writes the JSON listing beside the strip
  QAction* mnuFileSep2 = nullptr;
  QAction* mnuFileEnd = nullptr;
  QMenu* mnuEdit = nullptr;
  QAction* mnuEditBackColor = nullptr;
  QAction* mnuEditCopy = nullptr;
  QAction* mnuEditTransparent = nullptr;
  QMenu* mnuShow = nullptr;
  QAction* mnuShowRedraw = nullptr;
  QMenu* mnuShowIconSize = nullptr;
  QMenu* mnuHelp = nullptr;
  QAction* mnuHelpFileInfo = nullptr;
  QAction* mnuHelpPackInfo = nullptr;
  QAction* mnuHelpSep2 = nullptr;
  QAction* mnuHelpAbout = nullptr;
  QMenu* mnuPopPreviews = nullptr;
  QAction* mnuPopPreviewsAddFirst = nullptr;
  QAction* mnuPopPreviewsAddLast = nullptr;
  QAction* mnuPopPreviewsSep1 = nullptr;
  QAction* mnuPopPreviewsExport = nullptr;
  QAction* mnuPopPreviewsCopy = nullptr;
  QAction* mnuPopPreviewsSep2 = nullptr;
  QAction* mnuPopPreviewsPackProperty = nullptr;
  QAction* mnuPopPreviewsSep3 = nullptr;
  QAction* mnuPopPreviewsProperty = nullptr;
};

}  // namespace quelo::ui

