#include "app/uilanguage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>

namespace {

const QString english = QStringLiteral("en");

bool loadCatalogue(QTranslator &translator, const QString &code, const QString &installedFolder)
{
    const QString name = code + QStringLiteral(".qm");
    if (!installedFolder.isEmpty()) {
        const QString installed = QDir(installedFolder).filePath(name);
        if (QFileInfo(installed).isFile() && translator.load(installed))
            return true;
    }
    return translator.load(QStringLiteral(":/") + name);
}

} // namespace

UiLanguage::~UiLanguage()
{
    uninstall();
}

QStringList UiLanguage::available()
{
    return {english, QStringLiteral("de")};
}

QString UiLanguage::normalize(const QString &code)
{
    // The language part of a locale name: "de" of "de_AT.UTF-8" or "de-CH".
    const QString language = code.trimmed().section(u'_', 0, 0).section(u'-', 0, 0).section(u'.', 0, 0).toLower();
    return available().contains(language) ? language : QString();
}

QString UiLanguage::choose(const QString &option, const QString &setting, const QLocale &system)
{
    for (const QString &explicitChoice : {option, setting}) {
        const QString code = normalize(explicitChoice);
        if (!code.isEmpty())
            return code;
    }
    const QString fromSystem = normalize(QLocale::languageToCode(system.language()));
    return fromSystem.isEmpty() ? english : fromSystem;
}

bool UiLanguage::install(const QString &code, const QString &installedFolder)
{
    uninstall();
    const QString language = normalize(code);
    if (language.isEmpty() || !loadCatalogue(m_english, english, installedFolder))
        return false;
    if (language != english && !loadCatalogue(m_own, language, installedFolder))
        return false;
    // Qt's own texts come from Qt's catalogue where the system has it
    // (Debian: qt6-translations-l10n); without it they stay in English.
    if (language != english
        && m_qt.load(QStringLiteral("qtbase_") + language, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&m_qt);
    QCoreApplication::installTranslator(&m_english);
    // Installed last, so asked first.
    if (language != english)
        QCoreApplication::installTranslator(&m_own);
    m_code = language;
    return true;
}

void UiLanguage::uninstall()
{
    if (m_code.isEmpty())
        return;
    QCoreApplication::removeTranslator(&m_own);
    QCoreApplication::removeTranslator(&m_english);
    QCoreApplication::removeTranslator(&m_qt);
    m_code.clear();
}
