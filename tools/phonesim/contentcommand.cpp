#include "tools/phonesim/contentcommand.h"

#include "tools/phonesim/contactsprovider.h"

#include <QMap>
#include <QRegularExpression>
#include <QVariant>

#include <stdexcept>

namespace phonesim {

namespace {

const QByteArray usage = "usage: adb shell content [subcommand] [options]\n"
                         "\n"
                         "usage: adb shell content insert --uri <URI> [--user <USER_ID>] --bind <BINDING> [--bind <BINDING>...] [--extra <BINDING>...]\n"
                         "  <URI> a content provider URI.\n"
                         "  <BINDING> binds a typed value to a column and is formatted:\n"
                         "  <COLUMN_NAME>:<TYPE>:<COLUMN_VALUE> where:\n"
                         "  <TYPE> specifies data type such as:\n"
                         "  b - boolean, s - string, i - integer, l - long, f - float, d - double, n - null\n"
                         "  Note: Omit the value for passing an empty string, e.g column:s:\n"
                         "\n"
                         "usage: adb shell content update --uri <URI> [--user <USER_ID>] [--where <WHERE>] [--extra <BINDING>...]\n"
                         "\n"
                         "usage: adb shell content delete --uri <URI> [--user <USER_ID>] --bind <BINDING> [--bind <BINDING>...] [--where <WHERE>] [--extra <BINDING>...]\n"
                         "\n"
                         "usage: adb shell content query --uri <URI> [--user <USER_ID>] [--projection <PROJECTION>] [--where <WHERE>] [--sort <SORT_ORDER>] [--extra <BINDING>...]\n"
                         "\n";

struct UsageError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

struct Parsed
{
    QString operation;
    QString uri;
    QStringList projection;
    QString where;
    QString sort;
    QMap<QString, QVariant> values;
};

class Args
{
public:
    explicit Args(const QStringList &args) : m_args(args) { }
    bool more() const { return m_next < m_args.size(); }
    QString next() { return m_args.value(m_next++); }
    QString required(const QString &argument)
    {
        const QString value = next();
        if (value.isEmpty() || value.startsWith(u"--"))
            throw UsageError(("No value for argument: " + argument).toStdString());
        return value;
    }

private:
    QStringList m_args;
    int m_next = 0;
};

QStringList splitEscaped(const QString &argument)
{
    QStringList parts;
    QString current;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        const QChar c = argument.at(i);
        if (c == u'\\') {
            if (++i == argument.size())
                throw UsageError("Invalid escaping");
            current += argument.at(i);
        } else if (c == u':') {
            parts.append(current);
            current.clear();
        } else {
            current += c;
        }
    }
    parts.append(current);
    return parts;
}

void bind(const QString &argument, int sdk, QMap<QString, QVariant> *values)
{
    const QString malformed = QStringLiteral("Binding not well formed: ") + argument;
    if (argument.isEmpty())
        throw UsageError(malformed.toUtf8().toStdString());
    QString column, type, value;
    if (sdk >= 30) {
        const QStringList parts = splitEscaped(argument);
        if (parts.size() != 3)
            throw UsageError(malformed.toUtf8().toStdString());
        column = parts.at(0);
        type = parts.at(1);
        value = parts.at(2);
    } else {
        const qsizetype first = argument.indexOf(u':');
        const qsizetype second = first < 0 ? -1 : argument.indexOf(u':', first + 1);
        if (second < 0)
            throw UsageError(malformed.toUtf8().toStdString());
        column = argument.left(first);
        type = argument.mid(first + 1, second - first - 1);
        value = argument.mid(second + 1);
    }
    bool ok = true;
    if (type == u"s") {
        values->insert(column, value);
    } else if (type.compare(u"b", Qt::CaseInsensitive) == 0) {
        values->insert(column, qint64(value.compare(u"true", Qt::CaseInsensitive) == 0));
    } else if (type.compare(u"i", Qt::CaseInsensitive) == 0 || type.compare(u"l", Qt::CaseInsensitive) == 0) {
        const qint64 n = value.toLongLong(&ok);
        if (ok && sdk >= 30 && type.compare(u"i", Qt::CaseInsensitive) == 0 && (n < INT32_MIN || n > INT32_MAX))
            ok = false;
        if (!ok)
            throw std::invalid_argument(("For input string: \"" + value + "\"").toUtf8().toStdString());
        values->insert(column, n);
    } else if (type.compare(u"f", Qt::CaseInsensitive) == 0 || type.compare(u"d", Qt::CaseInsensitive) == 0) {
        const double d = value.toDouble(&ok);
        if (!ok)
            throw std::invalid_argument(("For input string: \"" + value + "\"").toUtf8().toStdString());
        values->insert(column, d);
    } else if (sdk >= 30 && type.compare(u"n", Qt::CaseInsensitive) == 0) {
        values->insert(column, QVariant());
    } else {
        throw UsageError(("Unsupported type: " + type).toUtf8().toStdString());
    }
}

Parsed parse(const QStringList &argv, int sdk)
{
    Args args(argv);
    Parsed p;
    p.operation = args.next();
    static const QStringList operations
        = { QStringLiteral("query"), QStringLiteral("insert"), QStringLiteral("update"), QStringLiteral("delete") };
    if (!operations.contains(p.operation))
        throw UsageError(("Unsupported operation: " + p.operation).toUtf8().toStdString());
    const bool query = p.operation == u"query";
    const bool binds = p.operation == u"insert" || p.operation == u"update";
    const bool where = p.operation != u"insert";
    while (args.more()) {
        const QString argument = args.next();
        if (argument == u"--uri") {
            p.uri = args.required(argument);
        } else if (argument == u"--user") {
            bool ok = false;
            const int user = args.required(argument).toInt(&ok);
            if (!ok || user != 0)
                throw std::invalid_argument("phonesim has only user 0");
        } else if (argument == u"--where" && where) {
            p.where = args.required(argument);
        } else if (argument == u"--bind" && binds) {
            bind(args.next(), sdk, &p.values);
        } else if (argument == u"--projection" && query) {
            p.projection = args.required(argument).split(QRegularExpression(QStringLiteral("\\s*:\\s*")));
        } else if (argument == u"--sort" && query) {
            p.sort = args.required(argument);
        } else {
            throw UsageError(("Unsupported argument: " + argument).toUtf8().toStdString());
        }
    }
    if (p.uri.isEmpty())
        throw UsageError("Content provider URI not specified. Did you specify --uri argument?");
    if (binds && p.values.isEmpty())
        throw UsageError("Bindings not specified. Did you specify --bind argument(s)?");
    return p;
}

QByteArray valueText(const QVariant &v)
{
    if (v.isNull())
        return "NULL";
    if (v.typeId() == QMetaType::QByteArray)
        return "BLOB";
    if (v.typeId() == QMetaType::Double)
        return QByteArray::number(v.toDouble());
    return v.toString().toUtf8();
}

} // namespace

ContentCommand::ContentCommand(ContactsProvider &provider, int sdk)
    : m_provider(provider)
    , m_sdk(sdk)
{ }

CommandResult ContentCommand::run(const QStringList &args)
{
    CommandResult r;
    const QString authority = QStringLiteral("com.android.contacts");
    try {
        const Parsed p = parse(args, m_sdk);
        QString error;
        bool ok = true;
        if (!p.uri.startsWith(QStringLiteral("content://") + authority)) {
            r.err = "Error while accessing provider:" + p.uri.section(u'/', 2, 2).toUtf8()
                + "\njava.lang.IllegalStateException: Could not find provider: " + p.uri.section(u'/', 2, 2).toUtf8()
                + "\n\tat com.android.commands.content.Content$Command.execute(Content.java:515)\n";
            return r;
        }
        if (p.operation == u"query") {
            ContactsProvider::Result result;
            ok = m_provider.query(p.uri, p.projection, p.where, p.sort, &result, &error);
            if (ok && result.rows.isEmpty())
                r.out = "No result found.\n";
            for (qsizetype i = 0; ok && i < result.rows.size(); ++i) {
                QByteArray line = "Row: " + QByteArray::number(i) + ' ';
                for (qsizetype c = 0; c < result.columns.size(); ++c) {
                    if (c > 0)
                        line += ", ";
                    line += result.columns.at(c).toUtf8() + '=' + valueText(result.rows.at(i).at(c));
                }
                r.out += line + '\n';
            }
        } else if (p.operation == u"insert") {
            ok = m_provider.insert(p.uri, p.values, &error);
        } else if (p.operation == u"update") {
            ok = m_provider.update(p.uri, p.values, p.where, &error);
        } else {
            ok = m_provider.remove(p.uri, p.where, &error);
        }
        if (!ok) {
            const QByteArray exception = error.startsWith(u"near ") || error.startsWith(u"no such column")
                    || error.startsWith(u"incomplete") || error.startsWith(u"unrecognized")
                ? "android.database.sqlite.SQLiteException: " + error.toUtf8() + " (code 1 SQLITE_ERROR)"
                : "java.lang.IllegalArgumentException: " + error.toUtf8();
            r.out.clear();
            r.err = "Error while accessing provider:" + authority.toUtf8() + '\n' + exception
                + "\n\tat android.database.DatabaseUtils.readExceptionFromParcel(DatabaseUtils.java:172)\n"
                  "\tat android.content.ContentProviderProxy."
                + p.operation.toUtf8() + "(ContentProviderNative.java:472)\n";
        }
    } catch (const UsageError &e) {
        r.out = usage + "[ERROR] " + QByteArray(e.what()) + '\n';
    } catch (const std::exception &e) {
        // Number parsing fails after the usage was read: like Java, the
        // exception escapes the parser and ends the command.
        r.err = "Exception occurred while executing 'content':\njava.lang.NumberFormatException: "
            + QByteArray(e.what()) + '\n';
        r.code = 255;
    }
    return r;
}

} // namespace phonesim
