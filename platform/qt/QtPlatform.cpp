#include "platform/qt/QtPlatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPalette>
#include <QTranslator>

#include <utility>

#include "platform/Tr.h"

namespace quelo::platform::qt {

namespace {

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

// Message texts come with CR LF between lines.
QString MessageText(const std::string& text) {
  QString s = FromUtf8(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return s;
}

QMessageBox::StandardButton ToQt(MsgResult result) {
  switch (result) {
    case MsgResult::Ok: return QMessageBox::Ok;
    case MsgResult::Cancel: return QMessageBox::Cancel;
    case MsgResult::Yes: return QMessageBox::Yes;
    case MsgResult::No: return QMessageBox::No;
  }
  return QMessageBox::Ok;
}

}  // namespace

MsgResult QtDialogs::MessageBox(const MessageBoxRequest& request) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (request.icon) {
    case MsgIcon::None: icon = QMessageBox::NoIcon; break;
    case MsgIcon::Critical: icon = QMessageBox::Critical; break;
    case MsgIcon::Question: icon = QMessageBox::Question; break;
    case MsgIcon::Exclamation: icon = QMessageBox::Warning; break;
    case MsgIcon::Information: icon = QMessageBox::Information; break;
  }
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  switch (request.buttons) {
    case MsgButtons::Ok: buttons = QMessageBox::Ok; break;
    case MsgButtons::OkCancel: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
    case MsgButtons::YesNo: buttons = QMessageBox::Yes | QMessageBox::No; break;
    case MsgButtons::YesNoCancel: buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
  }
  QMessageBox box(icon, FromUtf8(request.title), MessageText(request.text), buttons,
                  QApplication::activeWindow());
  // Texts may hold file names; never read them as markup.
  box.setTextFormat(Qt::PlainText);
  if (buttons & ToQt(request.defaultButton)) box.setDefaultButton(ToQt(request.defaultButton));
  if (request.foreground) box.setWindowFlag(Qt::WindowStaysOnTopHint);
  // The program's own captions in its own language, whatever Qt's translations
  // say; the mnemonics keep Alt+Y / Alt+N working.
  const std::pair<QMessageBox::StandardButton, const char*> captions[] = {
      {QMessageBox::Ok, QT_TRANSLATE_NOOP("QtDialogs", "OK")},
      {QMessageBox::Cancel, QT_TRANSLATE_NOOP("QtDialogs", "キャンセル")},
      {QMessageBox::Yes, QT_TRANSLATE_NOOP("QtDialogs", "はい(&Y)")},
      {QMessageBox::No, QT_TRANSLATE_NOOP("QtDialogs", "いいえ(&N)")}};
  for (const auto& [button, caption] : captions)
    if (QAbstractButton* b = box.button(button)) b->setText(QCoreApplication::translate("QtDialogs", caption));
  const int answer = box.exec();
  switch (answer) {
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    case QMessageBox::Cancel: return MsgResult::Cancel;
    case QMessageBox::Ok: return MsgResult::Ok;
    default:
      // Closed with Escape or the title bar: what the box's buttons mean by it.
      return (buttons & QMessageBox::Cancel) ? MsgResult::Cancel
             : (buttons & QMessageBox::No)   ? MsgResult::No
                                             : MsgResult::Ok;
  }
}

QStringList QtNameFilters(const std::string& filter) {
  const QStringList parts = FromUtf8(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    filters << parts[i].trimmed() + QStringLiteral(" (") + patterns + QStringLiteral(")");
  }
  return filters;
}

namespace {

// The extension a name filter stands for ("bmp" for "... (*.bmp)"), or empty for
// "*.*" and filters with several patterns.
QString FilterSuffix(const QString& filter) {
  const int open = filter.lastIndexOf(QLatin1Char('(')), close = filter.lastIndexOf(QLatin1Char(')'));
  if (open < 0 || close <= open) return {};
  const QString pattern = filter.mid(open + 1, close - open - 1).trimmed();
  if (!pattern.startsWith(QStringLiteral("*."))) return {};
  const QString suffix = pattern.mid(2);
  for (const QChar c : suffix)
    if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char(' ')) return {};
  return suffix;
}

}  // namespace

SaveDialogResult QtDialogs::SaveFileDialog(const SaveDialogRequest& request) {
  QFileDialog dialog(QApplication::activeWindow(), FromUtf8(request.title));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
  // The filter captions are shown as the program words them, without Qt's pattern suffix.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  QString suffix = FromUtf8(request.defaultExt);
  if (suffix.startsWith(QLatin1Char('.'))) suffix.remove(0, 1);
  dialog.setDefaultSuffix(suffix);
  const QStringList filters = QtNameFilters(request.filter);
  // With the details hidden, the dialog names the chosen filter by its caption
  // alone: find the whole filter behind it.
  auto fullFilter = [&filters](const QString& shown) {
    for (const QString& filter : filters)
      if (filter == shown || filter.startsWith(shown + QStringLiteral(" ("))) return filter;
    return shown;
  };
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    // As on Windows, a name typed without extension takes the chosen filter's
    // extension, or the default one under a filter such as "*.*".
    auto followFilter = [&dialog, suffix, fullFilter](const QString& filter) {
      const QString own = FilterSuffix(fullFilter(filter));
      dialog.setDefaultSuffix(own.isEmpty() ? suffix : own);
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followFilter);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size()) {
      dialog.selectNameFilter(filters[request.filterIndex - 1]);
      followFilter(filters[request.filterIndex - 1]);
    }
  }
  if (!request.initialFolder.empty()) dialog.setDirectory(FromUtf8(request.initialFolder));
  if (!request.initialName.empty()) dialog.selectFile(FromUtf8(request.initialName));
  SaveDialogResult result;
  for (;;) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return result;
    const QString chosen = dialog.selectedFiles().first();
    if (request.confirmCreate && !QFileInfo::exists(chosen)) {
      // Answering No goes back to the dialog, as the Windows dialog does.
      MessageBoxRequest ask;
      ask.title = request.title;
      ask.text = QCoreApplication::translate("QtDialogs", "%1\r\nこのファイルは存在しません。\r\nファイルを作成しますか?")
                     .arg(QDir::toNativeSeparators(chosen))
                     .toStdString();
      ask.icon = MsgIcon::Exclamation;
      ask.buttons = MsgButtons::YesNo;
      ask.defaultButton = MsgResult::Yes;
      if (MessageBox(ask) != MsgResult::Yes) {
        dialog.selectFile(chosen);
        continue;
      }
    }
    result.accepted = true;
    result.fileName = QDir::toNativeSeparators(chosen).toStdString();
    break;
  }
  result.filterIndex = static_cast<int>(filters.indexOf(fullFilter(dialog.selectedNameFilter()))) + 1;
  if (result.filterIndex < 1) result.filterIndex = 1;
  return result;
}

OpenDialogResult QtDialogs::OpenFileDialog(const OpenDialogRequest& request) {
  QFileDialog dialog(QApplication::activeWindow(), FromUtf8(request.title));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  const QStringList filters = QtNameFilters(request.filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  if (!request.initialFolder.empty()) dialog.setDirectory(FromUtf8(request.initialFolder));
  OpenDialogResult result;
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return result;
  result.accepted = true;
  result.fileName = QDir::toNativeSeparators(dialog.selectedFiles().first()).toStdString();
  return result;
}

OpenDialogResult QtDialogs::FolderDialog(const FolderDialogRequest& request) {
  OpenDialogResult result;
  const QString chosen = QFileDialog::getExistingDirectory(QApplication::activeWindow(), FromUtf8(request.title),
                                                           FromUtf8(request.initialFolder));
  if (chosen.isEmpty()) return result;
  result.accepted = true;
  result.fileName = QDir::toNativeSeparators(chosen).toStdString();
  return result;
}

bool QtDialogs::ColorDialog(uint32_t& colour) {
  const QColor start(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                     static_cast<int>((colour >> 16) & 0xFF));
  const QColor chosen = QColorDialog::getColor(start, QApplication::activeWindow());
  if (!chosen.isValid()) return false;
  colour = static_cast<uint32_t>(chosen.red()) | (static_cast<uint32_t>(chosen.green()) << 8) |
           (static_cast<uint32_t>(chosen.blue()) << 16);
  return true;
}

uint32_t PaletteSysColor(int index) {
  QPalette::ColorRole role = QPalette::Base;
  switch (index) {
    case syscolor::kWindow: role = QPalette::Base; break;
    case syscolor::kWindowText: role = QPalette::Text; break;
    case syscolor::kHighlight: role = QPalette::Highlight; break;
    case syscolor::kHighlightText: role = QPalette::HighlightedText; break;
    case syscolor::kButtonFace: role = QPalette::Button; break;
    case syscolor::kButtonShadow: role = QPalette::Dark; break;
    case syscolor::kButtonText: role = QPalette::ButtonText; break;
    case syscolor::kButtonHighlight: role = QPalette::Light; break;
    case 23: role = QPalette::ToolTipText; break;
    case 24: role = QPalette::ToolTipBase; break;
    default: return 0;
  }
  const QColor c = QApplication::palette().color(QPalette::Active, role);
  return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
         (static_cast<uint32_t>(c.blue()) << 16);
}

namespace {

// The core's texts, translated where they reach the window.
std::string TranslateCoreText(const char* context, const char* text) {
  return QCoreApplication::translate(context, text).toStdString();
}

}  // namespace

void InstallQtPlatform(const QString& language) {
  // Qt's own dialogs (files, colours) in the program's language, when Qt's
  // translations are installed.
  static QTranslator translator;
  if (translator.load(QStringLiteral("qtbase_") + language, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(&translator);
  // Japanese is the program's own text; any other language comes from the
  // translations built into the program.
  static QTranslator own;
  if (language != QLatin1String("ja") && own.load(QStringLiteral(":/i18n/quelo_") + language)) {
    QCoreApplication::installTranslator(&own);
    SetTranslator(&TranslateCoreText);
  }

  static QtDialogs dialogs;
  SetDialogs(&dialogs);
  SetSysColorSource(&PaletteSysColor);
}

}  // namespace quelo::platform::qt
