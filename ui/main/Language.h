// The language of the window's texts: Japanese, the program's own, or one of
// the translations built into it (translations/quelo_<language>.ts). The
// user's choice (View → Language) is kept in the settings and takes effect at
// the next start; a --lang option overrides it for one run.
#pragma once

#include <QString>
#include <QStringList>

namespace quelo::ui {

// "ja" and the language of every translation built in, as --lang and the settings name them.
QStringList KnownLanguages();
bool IsKnownLanguage(const QString& language);

// The language of the first UI language in the list when the program speaks
// it ("ja" for "ja-JP"), else English.
QString LanguageOfSystem(const QStringList& uiLanguages);

// The kept choice: a known language, or "system" when none was made.
QString LanguageChoice();
void SetLanguageChoice(const QString& choice);

// The language to start in: the option when given, else the kept choice, else the system's.
QString StartupLanguage(const QString& option);

}  // namespace quelo::ui
