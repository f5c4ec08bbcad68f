#include "tools/phonesim/sqlwhere.h"

#include <QRegularExpression>

namespace phonesim {

struct SqlWhere::Node
{
    enum class Kind { Literal, Column, Compare, IsNull, In, Like, And, Or, Not };
    Kind kind = Kind::Literal;
    QString op;
    QVariant value;
    bool negate = false;
    std::vector<std::unique_ptr<Node>> kids;
};

namespace {

using Node = SqlWhere::Node;

struct Token
{
    enum Type { End, Number, String, Name, Symbol } type = End;
    QString text;
    qint64 number = 0;
};

class Parser
{
public:
    explicit Parser(const QString &text) : m_text(text) { next(); }

    std::unique_ptr<Node> parse(QString *error)
    {
        auto node = orExpr();
        if (m_error.isEmpty() && m_tok.type != Token::End)
            fail();
        if (!m_error.isEmpty()) {
            *error = m_error;
            return nullptr;
        }
        return node;
    }

private:
    void fail()
    {
        if (!m_error.isEmpty())
            return;
        m_error = m_tok.type == Token::End ? QStringLiteral("incomplete input")
                                           : QStringLiteral("near \"%1\": syntax error").arg(m_tok.text);
    }

    bool keyword(const char *word) const
    {
        return m_tok.type == Token::Name && m_tok.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }

    bool symbol(const char *s) const { return m_tok.type == Token::Symbol && m_tok.text == QLatin1String(s); }

    void next()
    {
        while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
            ++m_pos;
        m_tok = Token();
        if (m_pos >= m_text.size())
            return;
        const QChar c = m_text.at(m_pos);
        const int start = m_pos;
        if (c.isDigit() || (c == u'-' && m_pos + 1 < m_text.size() && m_text.at(m_pos + 1).isDigit())) {
            ++m_pos;
            while (m_pos < m_text.size() && m_text.at(m_pos).isDigit())
                ++m_pos;
            m_tok.type = Token::Number;
            m_tok.text = m_text.mid(start, m_pos - start);
            m_tok.number = m_tok.text.toLongLong();
        } else if (c == u'\'') {
            QString s;
            ++m_pos;
            for (;;) {
                if (m_pos >= m_text.size()) {
                    m_error = QStringLiteral("unrecognized token: \"%1\"").arg(m_text.mid(start));
                    return;
                }
                if (m_text.at(m_pos) == u'\'') {
                    if (m_pos + 1 < m_text.size() && m_text.at(m_pos + 1) == u'\'') {
                        s += u'\'';
                        m_pos += 2;
                        continue;
                    }
                    ++m_pos;
                    break;
                }
                s += m_text.at(m_pos++);
            }
            m_tok.type = Token::String;
            m_tok.text = s;
        } else if (c.isLetter() || c == u'_') {
            while (m_pos < m_text.size() && (m_text.at(m_pos).isLetterOrNumber() || m_text.at(m_pos) == u'_'))
                ++m_pos;
            m_tok.type = Token::Name;
            m_tok.text = m_text.mid(start, m_pos - start);
        } else {
            static const QStringList two = { QStringLiteral("=="), QStringLiteral("!="), QStringLiteral("<>"),
                QStringLiteral("<="), QStringLiteral(">=") };
            const QString pair = m_text.mid(m_pos, 2);
            m_tok.type = Token::Symbol;
            if (two.contains(pair)) {
                m_tok.text = pair;
                m_pos += 2;
            } else {
                m_tok.text = c;
                ++m_pos;
            }
        }
    }

    std::unique_ptr<Node> binary(Node::Kind kind, std::unique_ptr<Node> a, std::unique_ptr<Node> b)
    {
        auto n = std::make_unique<Node>();
        n->kind = kind;
        n->kids.push_back(std::move(a));
        n->kids.push_back(std::move(b));
        return n;
    }

    std::unique_ptr<Node> orExpr()
    {
        auto left = andExpr();
        while (m_error.isEmpty() && keyword("OR")) {
            next();
            left = binary(Node::Kind::Or, std::move(left), andExpr());
        }
        return left;
    }

    std::unique_ptr<Node> andExpr()
    {
        auto left = notExpr();
        while (m_error.isEmpty() && keyword("AND")) {
            next();
            left = binary(Node::Kind::And, std::move(left), notExpr());
        }
        return left;
    }

    std::unique_ptr<Node> notExpr()
    {
        if (keyword("NOT")) {
            next();
            auto n = std::make_unique<Node>();
            n->kind = Node::Kind::Not;
            n->kids.push_back(notExpr());
            return n;
        }
        return comparison();
    }

    std::unique_ptr<Node> comparison()
    {
        auto left = operand();
        if (!m_error.isEmpty())
            return left;
        static const QStringList ops = { QStringLiteral("="), QStringLiteral("=="), QStringLiteral("!="),
            QStringLiteral("<>"), QStringLiteral("<"), QStringLiteral("<="), QStringLiteral(">"),
            QStringLiteral(">=") };
        if (m_tok.type == Token::Symbol && ops.contains(m_tok.text)) {
            const QString op = m_tok.text;
            next();
            auto n = binary(Node::Kind::Compare, std::move(left), operand());
            n->op = op;
            return n;
        }
        if (keyword("IS")) {
            next();
            auto n = std::make_unique<Node>();
            n->kind = Node::Kind::IsNull;
            if (keyword("NOT")) {
                n->negate = true;
                next();
            }
            if (!keyword("NULL")) {
                fail();
                return n;
            }
            next();
            n->kids.push_back(std::move(left));
            return n;
        }
        bool negate = false;
        if (keyword("NOT")) {
            negate = true;
            next();
        }
        if (keyword("IN")) {
            next();
            auto n = std::make_unique<Node>();
            n->kind = Node::Kind::In;
            n->negate = negate;
            n->kids.push_back(std::move(left));
            if (!symbol("(")) {
                fail();
                return n;
            }
            next();
            for (;;) {
                n->kids.push_back(operand());
                if (!m_error.isEmpty())
                    return n;
                if (symbol(",")) {
                    next();
                    continue;
                }
                if (symbol(")")) {
                    next();
                    break;
                }
                fail();
                return n;
            }
            return n;
        }
        if (keyword("LIKE")) {
            next();
            auto n = binary(Node::Kind::Like, std::move(left), operand());
            n->negate = negate;
            return n;
        }
        if (negate)
            fail();
        return left;
    }

    std::unique_ptr<Node> operand()
    {
        auto n = std::make_unique<Node>();
        if (m_tok.type == Token::Number) {
            n->value = m_tok.number;
        } else if (m_tok.type == Token::String) {
            n->value = m_tok.text;
        } else if (keyword("NULL")) {
            n->value = QVariant();
        } else if (m_tok.type == Token::Name && !keyword("AND") && !keyword("OR") && !keyword("NOT")
            && !keyword("IN") && !keyword("IS") && !keyword("LIKE")) {
            n->kind = Node::Kind::Column;
            n->op = m_tok.text;
        } else if (symbol("(")) {
            next();
            auto inner = orExpr();
            if (!symbol(")"))
                fail();
            else
                next();
            return inner;
        } else {
            fail();
            return n;
        }
        next();
        return n;
    }

    QString m_text;
    int m_pos = 0;
    Token m_tok;
    QString m_error;
};

// SQLite's rule in short: numbers compare as numbers, texts that look like
// numbers compare with numbers as numbers, otherwise as texts.
int compareValues(const QVariant &a, const QVariant &b)
{
    bool na = false, nb = false;
    const qint64 ia = a.toString().toLongLong(&na);
    const qint64 ib = b.toString().toLongLong(&nb);
    if (na && nb)
        return ia < ib ? -1 : (ia > ib ? 1 : 0);
    return a.toString().compare(b.toString());
}

bool likeMatch(const QString &text, const QString &pattern)
{
    QString re;
    for (QChar c : pattern) {
        if (c == u'%')
            re += QStringLiteral(".*");
        else if (c == u'_')
            re += u'.';
        else
            re += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(re), QRegularExpression::CaseInsensitiveOption
                                                                          | QRegularExpression::DotMatchesEverythingOption)
        .match(text)
        .hasMatch();
}

bool evaluate(const Node &n, const SqlWhere::Columns &columns, QVariant *out, QString *error)
{
    QVariant a, b;
    switch (n.kind) {
    case Node::Kind::Literal:
        *out = n.value;
        return true;
    case Node::Kind::Column:
        if (!columns(n.op, out)) {
            *error = QStringLiteral("no such column: %1").arg(n.op);
            return false;
        }
        return true;
    case Node::Kind::Compare: {
        if (!evaluate(*n.kids[0], columns, &a, error) || !evaluate(*n.kids[1], columns, &b, error))
            return false;
        if (a.isNull() || b.isNull()) {
            *out = QVariant();
            return true;
        }
        const int c = compareValues(a, b);
        bool r = false;
        if (n.op == u"=" || n.op == u"==")
            r = c == 0;
        else if (n.op == u"!=" || n.op == u"<>")
            r = c != 0;
        else if (n.op == u"<")
            r = c < 0;
        else if (n.op == u"<=")
            r = c <= 0;
        else if (n.op == u">")
            r = c > 0;
        else
            r = c >= 0;
        *out = qint64(r);
        return true;
    }
    case Node::Kind::IsNull:
        if (!evaluate(*n.kids[0], columns, &a, error))
            return false;
        *out = qint64(a.isNull() != n.negate);
        return true;
    case Node::Kind::In: {
        if (!evaluate(*n.kids[0], columns, &a, error))
            return false;
        bool found = false;
        for (size_t k = 1; k < n.kids.size(); ++k) {
            if (!evaluate(*n.kids[k], columns, &b, error))
                return false;
            if (!a.isNull() && !b.isNull() && compareValues(a, b) == 0)
                found = true;
        }
        *out = a.isNull() ? QVariant() : QVariant(qint64(found != n.negate));
        return true;
    }
    case Node::Kind::Like:
        if (!evaluate(*n.kids[0], columns, &a, error) || !evaluate(*n.kids[1], columns, &b, error))
            return false;
        *out = a.isNull() || b.isNull() ? QVariant() : QVariant(qint64(likeMatch(a.toString(), b.toString()) != n.negate));
        return true;
    case Node::Kind::And:
    case Node::Kind::Or: {
        if (!evaluate(*n.kids[0], columns, &a, error) || !evaluate(*n.kids[1], columns, &b, error))
            return false;
        const bool ta = !a.isNull() && a.toLongLong() != 0, tb = !b.isNull() && b.toLongLong() != 0;
        *out = qint64(n.kind == Node::Kind::And ? (ta && tb) : (ta || tb));
        return true;
    }
    case Node::Kind::Not:
        if (!evaluate(*n.kids[0], columns, &a, error))
            return false;
        *out = a.isNull() ? QVariant() : QVariant(qint64(a.toLongLong() == 0));
        return true;
    }
    return false;
}

} // namespace

SqlWhere::SqlWhere() = default;
SqlWhere::~SqlWhere() = default;
SqlWhere::SqlWhere(SqlWhere &&) noexcept = default;
SqlWhere &SqlWhere::operator=(SqlWhere &&) noexcept = default;

bool SqlWhere::parse(const QString &text, QString *error)
{
    m_root.reset();
    if (text.trimmed().isEmpty())
        return true;
    m_root = Parser(text).parse(error);
    return m_root != nullptr;
}

bool SqlWhere::matches(const Columns &columns, bool *result, QString *error) const
{
    if (!m_root) {
        *result = true;
        return true;
    }
    QVariant v;
    if (!evaluate(*m_root, columns, &v, error))
        return false;
    bool numeric = false;
    const qint64 n = v.toString().toLongLong(&numeric);
    *result = !v.isNull() && (numeric ? n != 0 : false);
    return true;
}

} // namespace phonesim
