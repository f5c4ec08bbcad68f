#ifndef TOOLS_PHONESIM_SQLWHERE_H
#define TOOLS_PHONESIM_SQLWHERE_H

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

namespace phonesim {

// The selection ("--where") of a query, update or delete, as the phone's
// SQLite reads it, for the simulated contacts provider. The subset that
// covers what callers send: column names, integers, '...' strings (a quote
// doubled inside), NULL; = == != <> < <= > >=, IS [NOT] NULL, [NOT] IN (...),
// [NOT] LIKE, AND, OR, NOT and parentheses. Anything else is a syntax error,
// reported with SQLite's wording.
class SqlWhere
{
public:
    using Columns = std::function<bool(const QString &name, QVariant *value)>;

    SqlWhere();
    ~SqlWhere();
    SqlWhere(SqlWhere &&) noexcept;
    SqlWhere &operator=(SqlWhere &&) noexcept;

    // An empty text selects every row.
    bool parse(const QString &text, QString *error);
    // False with an error for an unknown column.
    bool matches(const Columns &columns, bool *result, QString *error) const;

    struct Node;

private:
    std::unique_ptr<Node> m_root;
};

} // namespace phonesim

#endif
