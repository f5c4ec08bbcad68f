#ifndef TESTS_FILES_FILESTESTHELPERS_H
#define TESTS_FILES_FILESTESTHELPERS_H

#include "contacts/contact.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// Small builders shared by the file format tests.
namespace filestest {

inline Entity entity(const QList<QPair<int, QString>> &values)
{
    Entity e;
    for (const auto &[column, text] : values)
        e.setText(column, text);
    return e;
}

inline Contact contactWith(int kind, const Entity &e, const QString &fullName = QString())
{
    Contact c;
    c.fullName = fullName;
    c.addEntity(kind, e);
    return c;
}

// The lines of a card without their CR LF ends.
inline QList<QByteArray> cardLines(const QByteArray &card)
{
    QList<QByteArray> lines = card.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

} // namespace filestest

#endif
