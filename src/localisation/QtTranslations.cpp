#include "localisation/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace tarnvik::QtTranslations {

namespace {

std::unique_ptr<QTranslator> g_translator;
QLocale::Language g_language = QLocale::AnyLanguage;

} // namespace

QLocale::Language languageNamed(const QString &name)
{
    const QString wanted = name.trimmed();
    if (wanted.isEmpty())
        return QLocale::AnyLanguage;
    for (int i = QLocale::AnyLanguage + 1; i <= QLocale::LastLanguage; ++i) {
        const auto language = QLocale::Language(i);
        if (language == QLocale::C)
            continue;
        if (QLocale::languageToString(language).compare(wanted, Qt::CaseInsensitive) == 0 ||
            QLocale(language).nativeLanguageName().compare(wanted, Qt::CaseInsensitive) == 0)
            return language;
    }
    return QLocale::AnyLanguage;
}

bool apply(const QString &languageName)
{
    const QLocale::Language language = languageNamed(languageName);
    if (g_translator && language == g_language)
        return true;
    remove();
    // Qt's texts are written in English: nothing to translate.
    if (language == QLocale::AnyLanguage || language == QLocale::English || !QCoreApplication::instance())
        return false;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    g_translator = std::move(translator);
    g_language = language;
    return true;
}

void remove()
{
    if (g_translator && QCoreApplication::instance())
        QCoreApplication::removeTranslator(g_translator.get());
    g_translator.reset();
    g_language = QLocale::AnyLanguage;
}

QLocale::Language installed()
{
    return g_language;
}

} // namespace tarnvik::QtTranslations
