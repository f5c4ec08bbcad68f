#ifndef APP_UILANGUAGE_H
#define APP_UILANGUAGE_H

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTranslator>

// The language of the program's texts. Every text is a message key; the
// English catalogue turns keys into English texts and is always installed,
// and another language's catalogue is installed on top of it, so a key that
// catalogue lacks still reads in English.
//
// A catalogue is taken from the installed translations folder when it is
// there (so an updated catalogue can be dropped in), else from the copy
// compiled into the program (":/<code>.qm").
class UiLanguage
{
public:
    UiLanguage() = default;
    ~UiLanguage();
    UiLanguage(const UiLanguage &) = delete;
    UiLanguage &operator=(const UiLanguage &) = delete;

    // The languages there are catalogues for: "en", "de".
    [[nodiscard]] static QStringList available();
    // The available language a user's spelling stands for ("de", "DE",
    // "de_AT", "de-CH" all mean "de"); empty when none does.
    [[nodiscard]] static QString normalize(const QString &code);
    // The language to show: the option given on the command line, else the
    // saved setting, else the system's language when there is a catalogue
    // for it, else English. Choices naming no available language are passed
    // over.
    [[nodiscard]] static QString choose(const QString &option, const QString &setting, const QLocale &system);

    // Loads the catalogues of an available language from `installedFolder`
    // or the resources and installs them into the application. Returns false,
    // installing nothing, when one cannot be loaded.
    bool install(const QString &code, const QString &installedFolder = QString());
    // The language installed last, or empty.
    [[nodiscard]] const QString &installed() const { return m_code; }

private:
    void uninstall();

    QTranslator m_english;
    QTranslator m_own;
    QTranslator m_qt;   // Qt's own dialogs (file dialog, print preview), when installed
    QString m_code;
};

#endif
