#include "ui/main/Language.h"

#include <QDir>
#include <QLocale>

#include "ui/main/SaveFolders.h"

namespace quelo::ui {

namespace {

const QString kLanguageKey = QStringLiteral("Language");

}  // namespace

QStringList KnownLanguages() {
  QStringList languages{QStringLiteral("ja")};
  // A translation added to translations/ is built in as ":/i18n/quelo_<language>.qm".
  const QStringList built = QDir(QStringLiteral(":/i18n")).entryList({QStringLiteral("quelo_*.qm")}, QDir::Files,
                                                                   QDir::Name);
  for (const QString& file : built) languages << file.mid(6, file.size() - 9);
  return languages;
}

bool IsKnownLanguage(const QString& language) { return KnownLanguages().contains(language); }

QString LanguageOfSystem(const QStringList& uiLanguages) {
  // "ja", "ja-JP", "ja_JP" alike; the first language is the one the user reads best.
  if (!uiLanguages.isEmpty()) {
    const QString first = uiLanguages.front().section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0);
    if (IsKnownLanguage(first.toLower())) return first.toLower();
  }
  return QStringLiteral("en");
}

QString LanguageChoice() {
  const QString kept = QueloSettings().value(kLanguageKey).toString();
  return IsKnownLanguage(kept) ? kept : QStringLiteral("system");
}

void SetLanguageChoice(const QString& choice) {
  if (IsKnownLanguage(choice))
    QueloSettings().setValue(kLanguageKey, choice);
  else
    QueloSettings().remove(kLanguageKey);
}

QString StartupLanguage(const QString& option) {
  if (IsKnownLanguage(option)) return option;
  const QString kept = LanguageChoice();
  if (kept != QLatin1String("system")) return kept;
  return LanguageOfSystem(QLocale::system().uiLanguages());
}

}  // namespace quelo::ui
