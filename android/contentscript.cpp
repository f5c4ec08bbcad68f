#include "android/contentscript.h"

ContentScript::ContentScript(int sdk)
    : m_sdk(sdk)
{ }

QString ContentScript::shellQuoted(const QString &word)
{
    QString out;
    out.reserve(word.size() + 2);
    out += u'\'';
    for (QChar c : word) {
        if (c == u'\'')
            out += QStringLiteral("'\\''");
        else
            out += c;
    }
    out += u'\'';
    return out;
}

QString ContentScript::sqlQuoted(const QString &text)
{
    QString out = text;
    out.replace(u'\'', QStringLiteral("''"));
    return u'\'' + out + u'\'';
}

QString ContentScript::bindEscaped(const QString &value, int sdk)
{
    if (sdk < 30)
        return value;
    QString out;
    out.reserve(value.size());
    for (QChar c : value) {
        if (c == u'\\' || c == u':')
            out += u'\\';
        out += c;
    }
    return out;
}

QString ContentScript::query(
    const QString &uri, const QStringList &projection, const QString &where, const QString &sort) const
{
    QString line = QStringLiteral("content query --uri ") + shellQuoted(uri);
    if (!projection.isEmpty())
        line += QStringLiteral(" --projection ") + shellQuoted(projection.join(u':'));
    if (!where.isEmpty())
        line += QStringLiteral(" --where ") + shellQuoted(where);
    if (!sort.isEmpty())
        line += QStringLiteral(" --sort ") + shellQuoted(sort);
    return line;
}

QString ContentScript::bindArguments(const QList<Bind> &binds) const
{
    QString out;
    for (const Bind &b : binds) {
        QString argument;
        if (b.value.isNull()) {
            // Releases before 11 know no NULL binding; an empty text clears
            // the value just as well for every column this program writes.
            argument = m_sdk >= 30 ? b.column + QStringLiteral(":n:") : b.column + QStringLiteral(":s:");
        } else if (b.value.typeId() == QMetaType::LongLong || b.value.typeId() == QMetaType::Int) {
            argument = b.column + QStringLiteral(":l:") + QString::number(b.value.toLongLong());
        } else {
            argument = b.column + QStringLiteral(":s:") + bindEscaped(b.value.toString(), m_sdk);
        }
        out += QStringLiteral(" --bind ") + shellQuoted(argument);
    }
    return out;
}

QString ContentScript::insert(const QString &uri, const QList<Bind> &binds) const
{
    return QStringLiteral("content insert --uri ") + shellQuoted(uri) + bindArguments(binds);
}

QString ContentScript::update(const QString &uri, const QList<Bind> &binds, const QString &where) const
{
    return QStringLiteral("content update --uri ") + shellQuoted(uri) + bindArguments(binds)
        + QStringLiteral(" --where ") + shellQuoted(where);
}

QString ContentScript::remove(const QString &uri, const QString &where) const
{
    return QStringLiteral("content delete --uri ") + shellQuoted(uri) + QStringLiteral(" --where ")
        + shellQuoted(where);
}

QString ContentScript::echo(const QString &marker)
{
    return QStringLiteral("echo ") + shellQuoted(marker);
}
