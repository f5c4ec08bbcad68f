#ifndef APP_STYLESHEET_H
#define APP_STYLESHEET_H

#include <QString>

// The application's style sheet, read once and kept. The first successful
// read fixes the text for the life of the cache: later requests return it,
// whatever file they name. A file that cannot be opened yields an empty text,
// and the next request tries again. The text is the file's bytes up to the
// first NUL byte, taken as Latin-1.
class StyleSheet
{
public:
    static inline const QString defaultPath = QStringLiteral(":/res/style.css");

    [[nodiscard]] QString text(const QString &path = defaultPath);

    // The process-wide cache, used by every window, dialog, menu and message box.
    [[nodiscard]] static QString application(const QString &path = defaultPath);

private:
    QString m_text;
    bool m_loaded = false;
};

#endif
