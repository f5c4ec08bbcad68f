#include "tools/phonesim/phoneshell.h"

#include <QRegularExpression>

namespace phonesim {

namespace {

// What "ls /" shows to the shell user on a current phone.
const QStringList rootEntries = { QStringLiteral("acct"), QStringLiteral("apex"), QStringLiteral("bin"),
    QStringLiteral("bugreports"), QStringLiteral("cache"), QStringLiteral("config"), QStringLiteral("d"),
    QStringLiteral("data"), QStringLiteral("debug_ramdisk"), QStringLiteral("dev"), QStringLiteral("etc"),
    QStringLiteral("init"), QStringLiteral("linkerconfig"), QStringLiteral("lost+found"), QStringLiteral("mnt"),
    QStringLiteral("odm"), QStringLiteral("oem"), QStringLiteral("proc"), QStringLiteral("product"),
    QStringLiteral("sdcard"), QStringLiteral("storage"), QStringLiteral("sys"), QStringLiteral("system"),
    QStringLiteral("system_ext"), QStringLiteral("vendor") };

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

} // namespace

PhoneShell::PhoneShell(Runner run)
    : m_run(std::move(run))
{ }

QString PhoneShell::variable(const QString &name) const
{
    if (name == u"?")
        return QString::number(m_status);
    if (name == u"$")
        return QStringLiteral("4242");
    if (name == u"0")
        return QStringLiteral("/system/bin/sh");
    if (name == u"HOME")
        return QStringLiteral("/");
    if (name == u"USER" || name == u"LOGNAME")
        return QStringLiteral("shell");
    if (name == u"PATH")
        return QStringLiteral("/product/bin:/apex/com.android.runtime/bin:/system/bin:/system/xbin:/odm/bin:/vendor/bin");
    return QString();
}

QString PhoneShell::substitute(const QString &commands)
{
    if (m_depth > 8)
        return QString();
    ++m_depth;
    PhoneShell inner(m_run);
    inner.m_depth = m_depth;
    const CommandResult r = inner.execute(commands);
    --m_depth;
    m_total.err += r.err; // the inner commands' errors reach the terminal
    QString out = QString::fromUtf8(r.out);
    while (out.endsWith(u'\n'))
        out.chop(1);
    return out;
}

// At `pos` just after "$(" or "`": the text up to the matching ")" or "`".
bool PhoneShell::readSubstitution(const QString &line, int *pos, QString *inner, QString *error)
{
    const bool backtick = line.at(*pos - 1) == u'`';
    int depth = 1;
    int i = *pos;
    QChar quote;
    for (; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else if (c == u'\\' && quote == u'"')
                ++i;
            continue;
        }
        if (c == u'\\') {
            ++i;
        } else if (backtick) {
            if (c == u'`')
                break;
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            if (--depth == 0)
                break;
        }
    }
    if (i >= line.size()) {
        *error = backtick ? QStringLiteral("/system/bin/sh: no closing quote")
                          : QStringLiteral("/system/bin/sh: syntax error: unexpected end of file");
        return false;
    }
    *inner = line.mid(*pos, i - *pos);
    *pos = i + 1;
    return true;
}

bool PhoneShell::parseCommand(const QString &line, int *pos, QList<Word> *words, QString *separator, QString *error)
{
    Word word;
    bool inWord = false;
    const auto finish = [&] {
        if (inWord)
            words->append(word);
        word = Word();
        inWord = false;
    };
    const auto add = [&](const QString &text, bool literal) {
        word.text += text;
        for (qsizetype k = 0; k < text.size(); ++k)
            word.literal.append(literal);
        inWord = true;
    };
    // Unquoted expansion results are split into fields at blanks.
    const auto addSplit = [&](const QString &text) {
        const QStringList fields = text.split(QRegularExpression(QStringLiteral("[ \\t\\n]+")));
        for (qsizetype k = 0; k < fields.size(); ++k) {
            if (k > 0)
                finish();
            if (!fields.at(k).isEmpty())
                add(fields.at(k), false);
        }
    };
    // $NAME, ${NAME}, $(...) at line[*pos] == '$'; returns the value.
    const auto dollar = [&](int *p, QString *value) -> bool {
        const int start = *p + 1;
        if (start < line.size() && line.at(start) == u'(') {
            int q = start + 1;
            QString inner;
            if (!readSubstitution(line, &q, &inner, error))
                return false;
            *value = substitute(inner);
            *p = q;
            return true;
        }
        if (start < line.size() && line.at(start) == u'{') {
            const int close = line.indexOf(u'}', start);
            if (close < 0) {
                *error = QStringLiteral("/system/bin/sh: syntax error: bad substitution");
                return false;
            }
            *value = variable(line.mid(start + 1, close - start - 1));
            *p = close + 1;
            return true;
        }
        if (start < line.size() && (line.at(start) == u'?' || line.at(start) == u'$' || line.at(start).isDigit())) {
            *value = variable(line.at(start));
            *p = start + 1;
            return true;
        }
        int end = start;
        while (end < line.size() && isNameChar(line.at(end)))
            ++end;
        if (end == start) { // a lone "$" is itself
            *value = QStringLiteral("$");
            *p = start;
            return true;
        }
        *value = variable(line.mid(start, end - start));
        *p = end;
        return true;
    };

    int i = *pos;
    separator->clear();
    while (i < line.size()) {
        const QChar c = line.at(i);
        if (isBlank(c)) {
            finish();
            ++i;
        } else if (c == u'\n' || c == u';') {
            *separator = c;
            ++i;
            break;
        } else if (c == u'&' || c == u'|') {
            if (i + 1 < line.size() && line.at(i + 1) == c) {
                *separator = QString(2, c);
                i += 2;
                break;
            }
            if (c == u'|') {
                *error = QStringLiteral("phonesim: pipes are not simulated");
                return false;
            }
            *separator = QStringLiteral(";");
            ++i;
            break;
        } else if (c == u'<' || c == u'>') {
            *error = QStringLiteral("phonesim: redirections are not simulated");
            return false;
        } else if (c == u'#' && !inWord) {
            while (i < line.size() && line.at(i) != u'\n')
                ++i;
        } else if (c == u'\\') {
            if (i + 1 < line.size() && line.at(i + 1) == u'\n') {
                i += 2; // line continuation
            } else if (i + 1 < line.size()) {
                add(line.at(i + 1), true);
                i += 2;
            } else {
                ++i;
            }
        } else if (c == u'\'') {
            const int close = line.indexOf(u'\'', i + 1);
            if (close < 0) {
                *error = QStringLiteral("/system/bin/sh: no closing quote");
                return false;
            }
            add(line.mid(i + 1, close - i - 1), true);
            word.quotedSeen = true;
            i = close + 1;
        } else if (c == u'"') {
            word.quotedSeen = true;
            inWord = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                const QChar d = line.at(i);
                if (d == u'"') {
                    closed = true;
                    ++i;
                    break;
                }
                if (d == u'\\' && i + 1 < line.size()) {
                    const QChar e = line.at(i + 1);
                    if (e == u'$' || e == u'`' || e == u'"' || e == u'\\') {
                        add(e, true);
                        i += 2;
                    } else if (e == u'\n') {
                        i += 2;
                    } else {
                        add(d, true);
                        ++i;
                    }
                } else if (d == u'$') {
                    QString value;
                    if (!dollar(&i, &value))
                        return false;
                    add(value, true);
                } else if (d == u'`') {
                    int q = i + 1;
                    QString inner;
                    if (!readSubstitution(line, &q, &inner, error))
                        return false;
                    add(substitute(inner), true);
                    i = q;
                } else {
                    add(d, true);
                    ++i;
                }
            }
            if (!closed) {
                *error = QStringLiteral("/system/bin/sh: no closing quote");
                return false;
            }
        } else if (c == u'$') {
            QString value;
            if (!dollar(&i, &value))
                return false;
            if (value == u"$" && !inWord)
                add(value, true);
            else
                addSplit(value);
        } else if (c == u'`') {
            int q = i + 1;
            QString inner;
            if (!readSubstitution(line, &q, &inner, error))
                return false;
            addSplit(substitute(inner));
            i = q;
        } else {
            add(c, false);
            ++i;
        }
    }
    finish();
    *pos = i;
    return true;
}

QStringList PhoneShell::expandWords(const QList<Word> &words) const
{
    QStringList argv;
    for (const Word &w : words) {
        bool glob = false;
        QString pattern;
        for (qsizetype k = 0; k < w.text.size(); ++k) {
            const QChar c = w.text.at(k);
            const bool special = !w.literal.value(k) && (c == u'*' || c == u'?');
            glob = glob || special;
            if (special)
                pattern += c == u'*' ? QStringLiteral(".*") : QStringLiteral(".");
            else
                pattern += QRegularExpression::escape(QString(c));
        }
        if (glob) {
            const QRegularExpression re(QRegularExpression::anchoredPattern(pattern));
            QStringList matches;
            for (const QString &entry : rootEntries) {
                if (re.match(entry).hasMatch())
                    matches.append(entry);
            }
            if (!matches.isEmpty()) {
                argv += matches;
                continue;
            }
        }
        argv.append(w.text);
    }
    return argv;
}

CommandResult PhoneShell::execute(const QString &line)
{
    m_total = CommandResult();
    int pos = 0;
    bool skip = false;
    while (pos < line.size()) {
        QList<Word> words;
        QString separator;
        QString error;
        if (!parseCommand(line, &pos, &words, &separator, &error)) {
            m_total.err += error.toUtf8() + '\n';
            m_total.code = 2;
            return m_total;
        }
        if (!skip && !words.isEmpty()) {
            const CommandResult r = m_run(expandWords(words));
            m_total.out += r.out;
            m_total.err += r.err;
            m_status = r.code;
        }
        if (separator == u"&&")
            skip = m_status != 0;
        else if (separator == u"||")
            skip = m_status == 0;
        else
            skip = false;
    }
    m_total.code = m_status;
    return m_total;
}

} // namespace phonesim
