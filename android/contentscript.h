#ifndef ANDROID_CONTENTSCRIPT_H
#define ANDROID_CONTENTSCRIPT_H

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>

// Command lines of the phone's "content" tool, for one `adb shell` call.
//
// adb hands the phone's sh one line, so every word is quoted for sh: a
// value goes inside '...' and a quote inside it becomes '\'' (nothing else
// is special between single quotes, not $, `, \ or a line feed). Values in
// a --where clause are SQL string literals first ('...' with '' for a
// quote). A --bind value is also read by the content tool itself: from
// Android 11 (API 30) it splits "column:type:value" at colons and takes
// "\" as an escape, so a colon is written "\:" and a backslash "\\";
// before, everything after the second colon was the value as it stood.
class ContentScript
{
public:
    // A value bound to a column: text ('s'), a 64-bit number ('l') or NULL.
    struct Bind
    {
        QString column;
        QVariant value; // QString, qint64 or null
    };

    explicit ContentScript(int sdk);

    [[nodiscard]] static QString shellQuoted(const QString &word);
    [[nodiscard]] static QString sqlQuoted(const QString &text);
    // The value part of "--bind column:type:value" for the release.
    [[nodiscard]] static QString bindEscaped(const QString &value, int sdk);

    [[nodiscard]] QString query(const QString &uri, const QStringList &projection, const QString &where = QString(),
        const QString &sort = QString()) const;
    [[nodiscard]] QString insert(const QString &uri, const QList<Bind> &binds) const;
    [[nodiscard]] QString update(const QString &uri, const QList<Bind> &binds, const QString &where) const;
    [[nodiscard]] QString remove(const QString &uri, const QString &where) const;
    // A line that only prints `marker`, to tell the outputs of several
    // commands of one call apart.
    [[nodiscard]] static QString echo(const QString &marker);

    [[nodiscard]] int sdk() const { return m_sdk; }

private:
    [[nodiscard]] QString bindArguments(const QList<Bind> &binds) const;

    int m_sdk;
};

#endif
