#ifndef CONTACTS_ENTITY_H
#define CONTACTS_ENTITY_H

#include "contacts/entitykind.h"

#include <QByteArray>
#include <QDebug>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

// One typed value row of a contact: up to fifteen values in the columns
// data1 ... data15, plus the row id in the local database and the id of the
// phone's row it came from. The entity does not know its own kind; the
// contact files it under one.
//
// A column that was never set is absent: reading it yields an empty text
// (or empty bytes, or 0) and never fails. Absent and present-but-empty are
// still told apart where equality matters (entityValuesEqual).
class Entity
{
public:
    // "data1" ... "data15" -> 1 ... 15; anything else -> 0.
    [[nodiscard]] static int columnNumber(QStringView name);
    [[nodiscard]] static QString columnName(int column);

    [[nodiscard]] bool has(int column) const { return find(column) != nullptr; }
    // The stored value itself, or nullptr when the column is absent; valid
    // until the entity changes.
    [[nodiscard]] const QVariant *find(int column) const;
    [[nodiscard]] QVariant value(int column) const;
    [[nodiscard]] QString text(int column) const;
    [[nodiscard]] QByteArray bytes(int column) const;
    // Type codes are decimal text or integers; empty or non-numeric reads as 0.
    [[nodiscard]] int toInt(int column) const;
    [[nodiscard]] qint64 toInt64(int column) const;

    // An invalid QVariant removes the column.
    void setValue(int column, const QVariant &value) { setValue(column, QVariant(value)); }
    void setValue(int column, QVariant &&value);
    void setText(int column, const QString &text) { setValue(column, QVariant(text)); }
    void remove(int column);
    // Room for `count` columns, for code that fills many in a row.
    void reserve(int count) { m_values.reserve(size_t(count)); }
    void clearValues() { m_values.clear(); }

    // Numbers of the present columns, ascending.
    [[nodiscard]] QList<int> columns() const;
    [[nodiscard]] bool isEmpty() const { return m_values.empty(); }

    // Name-based access for code that works from column-name lists.
    [[nodiscard]] QVariant value(QStringView name) const { return value(columnNumber(name)); }
    [[nodiscard]] QString text(QStringView name) const { return text(columnNumber(name)); }
    void setValue(QStringView name, const QVariant &v) { setValue(columnNumber(name), v); }

    friend bool operator==(const Entity &a, const Entity &b);
    friend bool operator!=(const Entity &a, const Entity &b) { return !(a == b); }

    qint64 _id = 0;   // row id in the local database; 0 = not stored yet
    QString srcId;    // "kind/key1/key2/id" of the phone's row, or empty

private:
    struct Slot
    {
        int column;
        QVariant value;
    };

    std::vector<Slot> m_values;   // sorted by column
};

// True when every named column reads as empty text.
[[nodiscard]] bool isEntityBlank(const Entity &entity, const QStringList &columns);

// True when the named columns compare equal as values: two absent values are
// equal, an absent value never equals a present one (not even empty text),
// texts compare by their characters, and a text equals a number when it is
// the plain decimal form of that number.
[[nodiscard]] bool entityValuesEqual(const Entity &a, const Entity &b, const QStringList &columns);
[[nodiscard]] bool variantValuesEqual(const QVariant &a, const QVariant &b);

QDebug operator<<(QDebug debug, const Entity &entity);

#endif
