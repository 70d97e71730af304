#pragma once

#include <QLocale>
#include <QString>

namespace tarnvik {

// Qt's own translations of the texts it shows by itself: the buttons of the
// standard message boxes (Yes, No, OK, Cancel...), the input box and the file
// dialog. They come from the system's Qt translation files (on Debian the
// package qt6-translations-l10n) and follow the language of the language file.
namespace QtTranslations {

// The language of a name from the language file's header, written in that
// language ("Français") or in English ("French"), without regard to case;
// QLocale::AnyLanguage when the name is no language Qt knows.
QLocale::Language languageNamed(const QString &name);

// Installs Qt's translations for the language of that name in place of those
// of the previous language. English, an unknown name, or a language without
// translation files leaves Qt's own English texts. True when translations
// were installed.
bool apply(const QString &languageName);

// Removes the installed translations: Qt speaks English again.
void remove();

// The language whose translations are installed; QLocale::AnyLanguage for none.
QLocale::Language installed();

} // namespace QtTranslations
} // namespace tarnvik
