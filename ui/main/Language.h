// The language of the window's texts: Japanese, the program's own, or English.
// The user's choice (View → Language) is kept in the settings and takes effect
// at the next start; a --lang option overrides it for one run.
#pragma once

#include <QString>
#include <QStringList>

namespace quelo::ui {

// The languages the program speaks, as given to --lang and kept in the settings.
bool IsKnownLanguage(const QString& language);

// "ja" for a Japanese UI language first in the list, "en" for anything else.
QString LanguageOfSystem(const QStringList& uiLanguages);

// The kept choice: "ja", "en", or "system" when none was made.
QString LanguageChoice();
void SetLanguageChoice(const QString& choice);

// The language to start in: the option when given, else the kept choice, else the system's.
QString StartupLanguage(const QString& option);

}  // namespace quelo::ui
