#include "ui/main/Language.h"

#include <QLocale>

#include "ui/main/SaveFolders.h"

namespace quelo::ui {

namespace {

const QString kLanguageKey = QStringLiteral("Language");

}  // namespace

bool IsKnownLanguage(const QString& language) {
  return language == QLatin1String("ja") || language == QLatin1String("en");
}

QString LanguageOfSystem(const QStringList& uiLanguages) {
  // "ja", "ja-JP", "ja_JP" alike; the first language is the one the user reads best.
  if (!uiLanguages.isEmpty() && uiLanguages.front().left(2).compare(QLatin1String("ja"), Qt::CaseInsensitive) == 0 &&
      (uiLanguages.front().size() == 2 || !uiLanguages.front().at(2).isLetter()))
    return QStringLiteral("ja");
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
