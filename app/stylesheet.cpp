#include "app/stylesheet.h"

#include <QFile>

QString StyleSheet::text(const QString &path)
{
    if (m_loaded)
        return m_text;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    m_text = QString::fromLatin1(bytes);
    m_loaded = true;
    return m_text;
}

QString StyleSheet::application(const QString &path)
{
    // Used on the GUI thread only.
    static StyleSheet cache;
    return cache.text(path);
}
