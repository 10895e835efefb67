// Texts the user reads, written in Japanese where they arise and translated
// where the front end installed a translator (the window: Qt's translations;
// quelo-pack: its English table). Without one, the Japanese text stands.
//
// lupdate finds the calls: Tr(context, text) is an alias of translate(), and
// TrNoop(context, text) of QT_TRANSLATE_NOOP. The context is the module's folder
// ("archive", "image", "pack", "platform", "tools").
#pragma once

#include <initializer_list>
#include <string>

namespace quelo::platform {

using Translator = std::string (*)(const char* context, const char* text);

// Installs the translator that Tr() uses; nullptr goes back to the Japanese texts.
void SetTranslator(Translator translator);

// The text in the user's language.
std::string Tr(const char* context, const char* text);

// Replaces %1 … %9 in a template with the arguments in one pass, so a
// translation can put them in any order and an argument's own "%1" stays as it is.
// A placeholder without an argument, and a lone "%", stay as written.
std::string Arg(const std::string& templ, std::initializer_list<std::string> args);

}  // namespace quelo::platform

// Marks a text for translation where it is only stored, not yet shown (tables of
// reasons): the text itself, to be handed to Tr() with the same context later.
#define QUELO_TR_NOOP(context, text) text
