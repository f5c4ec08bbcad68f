#ifndef ANDROID_ANDROIDCONTACTCOLUMNS_H
#define ANDROID_ANDROIDCONTACTCOLUMNS_H

#include "android/contentscript.h"
#include "contacts/entity.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

// How the phone's contacts provider keeps each kind of entity, and the
// conversion between its rows and this program's entities, both ways.
//
// A data row names its kind by MIME type ("vnd.android.cursor.item/
// phone_v2", ...). Most columns mean the same on both sides; these differ:
//   - names: the provider keeps the prefix in data4 and the middle name in
//     data5, this program the other way round;
//   - type codes: the provider has its own code for "other" (phone 7,
//     e-mail 3, event 2, IM 3, organization 2, postal address 3, website 7)
//     and 0 for a custom label, where this program uses 0 for both;
//   - IM protocols: the provider counts from AIM = 0 with -1 for a custom
//     protocol, this program from AIM = 1 with 0 for custom;
//   - group memberships: the provider's data1 holds the group's row id,
//     this program's data2 the group's title;
//   - event dates: the provider keeps "yyyy-MM-dd" text; a date without a
//     year ("--MM-dd") has no form on the wire and is left out.
// Photos are blobs the "content" tool cannot carry either way.
class AndroidContactColumns
{
public:
    [[nodiscard]] static QString mimeType(int kind);
    // 0 for a MIME type of no kind this program keeps (other apps' rows).
    [[nodiscard]] static int kindOf(const QString &mimeType);

    [[nodiscard]] static int androidType(int kind, int code, bool customLabel);
    [[nodiscard]] static int programType(int kind, int androidCode);
    [[nodiscard]] static int androidProtocol(int code);
    [[nodiscard]] static int programProtocol(int androidCode);

    // The entity of a data row; `data` holds data1 ... data15 (index 0 is
    // data1), invalid QVariants for NULL. Kind 7 looks its group up in
    // `groupTitles` (row id -> title).
    [[nodiscard]] static Entity toEntity(
        int kind, const QVariantList &data, const QHash<qint64, QString> &groupTitles);
    // The columns to write for an entity, kind 7 with the group's row id.
    // `update` also clears the columns the entity leaves empty.
    [[nodiscard]] static QList<ContentScript::Bind> toBinds(int kind, const Entity &entity, qint64 groupId, bool update);
};

#endif
