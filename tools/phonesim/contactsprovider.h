#ifndef TOOLS_PHONESIM_CONTACTSPROVIDER_H
#define TOOLS_PHONESIM_CONTACTSPROVIDER_H

#include "tools/phonesim/phonestore.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace phonesim {

// The phone's contacts provider (authority "com.android.contacts") over the
// simulated store, as the "content" command reaches it: the tables
// raw_contacts, data and groups with Android's own columns and codes.
//
// A data row shows its kind as a MIME type and its fields in the columns
// Android puts them in (a name: data1 display name, data2 given, data3
// family, data4 prefix, data5 middle, data6 suffix; a phone: data1 number,
// data2 type, data3 label; ...). Type codes are Android's: "other" is
// phone 7, e-mail 3, event 2, IM 3, organization 2, postal 3, website 7,
// and a custom label goes with type 0; IM protocols count from AIM = 0,
// custom = -1. Group memberships hold the group's row id in data1.
//
// The contacts belong to a synced account, so deleting a raw contact only
// marks it deleted (deleted=1) until that account syncs; its rows stay.
//
// Values are QVariant: null, qint64, double, QString or QByteArray (blob).
// Errors are reported the way the provider throws them (the message of its
// exception).
class ContactsProvider
{
public:
    explicit ContactsProvider(PhoneStore &store);

    struct Result
    {
        QStringList columns;
        QList<QVariantList> rows;
    };

    // `uri` is "content://com.android.contacts/TABLE[?limit=N]".
    bool query(const QString &uri, const QStringList &projection, const QString &where, const QString &sort,
        Result *result, QString *error);
    bool insert(const QString &uri, const QMap<QString, QVariant> &values, QString *error);
    bool update(const QString &uri, const QMap<QString, QVariant> &values, const QString &where, QString *error);
    bool remove(const QString &uri, const QString &where, QString *error);

    static QString mimeType(int kind);

private:
    enum class Table { RawContacts, Data, Groups };
    struct Target
    {
        Table table = Table::Data;
        int limit = -1;
    };

    bool resolve(const QString &uri, Target *target, QString *error) const;
    QStringList allColumns(Table table) const;
    // Every row of the table as column -> value.
    QList<QMap<QString, QVariant>> rowsOf(Table table) const;
    QMap<QString, QVariant> dataRow(const PhoneContact &contact, const PhoneRow &row, bool deleted) const;
    bool storeValues(int kind, const QMap<QString, QVariant> &values, QStringList *fields, QByteArray *photo,
        QString *error);
    bool select(Table table, const QString &where, QList<QMap<QString, QVariant>> *rows, QString *error) const;

    PhoneStore &m_store;
};

} // namespace phonesim

#endif
