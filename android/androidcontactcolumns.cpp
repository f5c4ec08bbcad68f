#include "android/androidcontactcolumns.h"

#include "contacts/entitykind.h"

#include <QDate>
#include <QDateTime>

using namespace pim;

namespace {

struct KindMime
{
    int kind;
    const char *mime;
};

constexpr KindMime mimeTypes[] = {
    { ENTITY_NAME, "vnd.android.cursor.item/name" },
    { ENTITY_PHOTO, "vnd.android.cursor.item/photo" },
    { ENTITY_PHONE, "vnd.android.cursor.item/phone_v2" },
    { ENTITY_EMAIL, "vnd.android.cursor.item/email_v2" },
    { ENTITY_NICKNAME, "vnd.android.cursor.item/nickname" },
    { ENTITY_EVENT, "vnd.android.cursor.item/contact_event" },
    { ENTITY_GROUP_MEMBERSHIP, "vnd.android.cursor.item/group_membership" },
    { ENTITY_IM, "vnd.android.cursor.item/im" },
    { ENTITY_NOTE, "vnd.android.cursor.item/note" },
    { ENTITY_ORGANIZATION, "vnd.android.cursor.item/organization" },
    { ENTITY_RELATION, "vnd.android.cursor.item/relation" },
    { ENTITY_POSTAL_ADDRESS, "vnd.android.cursor.item/postal-address_v2" },
    { ENTITY_WEBSITE, "vnd.android.cursor.item/website" },
};

// The provider's "other" code of a kind, or -1 when the kind has none that
// differs from this program's.
int androidOther(int kind)
{
    switch (kind) {
    case ENTITY_PHONE:
    case ENTITY_WEBSITE:
        return 7;
    case ENTITY_EMAIL:
    case ENTITY_IM:
    case ENTITY_POSTAL_ADDRESS:
        return 3;
    case ENTITY_EVENT:
    case ENTITY_ORGANIZATION:
        return 2;
    default:
        return -1;
    }
}

// Kinds whose data2 is a type code and data3 a custom label.
bool hasTypeCode(int kind)
{
    switch (kind) {
    case ENTITY_PHONE:
    case ENTITY_EMAIL:
    case ENTITY_NICKNAME:
    case ENTITY_EVENT:
    case ENTITY_IM:
    case ENTITY_ORGANIZATION:
    case ENTITY_RELATION:
    case ENTITY_POSTAL_ADDRESS:
    case ENTITY_WEBSITE:
        return true;
    default:
        return false;
    }
}

QString textOf(const QVariantList &data, int column)
{
    const QVariant v = data.value(column - 1);
    return v.isNull() || v.typeId() == QMetaType::QByteArray ? QString() : v.toString();
}

void copyText(Entity &e, int to, const QVariantList &data, int from)
{
    const QString text = textOf(data, from);
    if (!text.isEmpty())
        e.setText(to, text);
}

// Columns as they sit on both sides: (program column, provider column).
QList<QPair<int, int>> plainColumns(int kind)
{
    switch (kind) {
    case ENTITY_NAME:
        return { { data2, data2 }, { data3, data3 }, { data5, data4 }, { data4, data5 }, { data6, data6 } };
    case ENTITY_PHONE:
    case ENTITY_EMAIL:
    case ENTITY_NICKNAME:
    case ENTITY_RELATION:
    case ENTITY_WEBSITE:
    case ENTITY_NOTE:
        return { { data1, data1 } };
    case ENTITY_IM:
        return { { data1, data1 }, { data6, data6 } };
    case ENTITY_ORGANIZATION:
        return { { data1, data1 }, { data4, data4 }, { data5, data5 } };
    case ENTITY_POSTAL_ADDRESS:
        return { { data4, data4 }, { data7, data7 }, { data8, data8 }, { data9, data9 }, { data10, data10 } };
    default:
        return {};
    }
}

} // namespace

QString AndroidContactColumns::mimeType(int kind)
{
    for (const KindMime &k : mimeTypes) {
        if (k.kind == kind)
            return QString::fromLatin1(k.mime);
    }
    return QString();
}

int AndroidContactColumns::kindOf(const QString &mimeType)
{
    for (const KindMime &k : mimeTypes) {
        if (mimeType == QLatin1String(k.mime))
            return k.kind;
    }
    return 0;
}

int AndroidContactColumns::androidType(int kind, int code, bool customLabel)
{
    if (code != 0)
        return code;
    if (customLabel)
        return 0;
    return androidOther(kind) >= 0 ? androidOther(kind) : 0;
}

int AndroidContactColumns::programType(int kind, int androidCode)
{
    return androidOther(kind) >= 0 && androidCode == androidOther(kind) ? 0 : androidCode;
}

int AndroidContactColumns::androidProtocol(int code)
{
    return code <= 0 ? -1 : code - 1;
}

int AndroidContactColumns::programProtocol(int androidCode)
{
    return androidCode < 0 ? 0 : androidCode + 1;
}

Entity AndroidContactColumns::toEntity(int kind, const QVariantList &data, const QHash<qint64, QString> &groupTitles)
{
    Entity e;
    for (const auto &[program, provider] : plainColumns(kind))
        copyText(e, program, data, provider);
    if (hasTypeCode(kind)) {
        const QString label = textOf(data, data3);
        e.setValue(data2, programType(kind, textOf(data, data2).toInt()));
        if (!label.isEmpty())
            e.setText(data3, label);
    }
    if (kind == ENTITY_IM) {
        const QString protocol = textOf(data, data5);
        e.setValue(data5, protocol.isEmpty() ? 0 : programProtocol(protocol.toInt()));
    }
    if (kind == ENTITY_EVENT) {
        const QDate date = QDate::fromString(textOf(data, data1), Qt::ISODate);
        if (date.isValid())
            e.setText(data1, date.startOfDay().toString(Qt::ISODate));
    }
    if (kind == ENTITY_GROUP_MEMBERSHIP) {
        const qint64 group = textOf(data, data1).toLongLong();
        if (groupTitles.contains(group))
            e.setText(data2, groupTitles.value(group));
    }
    return e;
}

QList<ContentScript::Bind> AndroidContactColumns::toBinds(int kind, const Entity &entity, qint64 groupId, bool update)
{
    QList<ContentScript::Bind> binds;
    const auto text = [&](const QString &column, const QString &value) {
        if (!value.isEmpty())
            binds.append({ column, value });
        else if (update)
            binds.append({ column, QVariant() });
    };
    for (const auto &[program, provider] : plainColumns(kind))
        text(Entity::columnName(provider), entity.text(program));
    if (hasTypeCode(kind)) {
        const QString label = entity.text(data3);
        binds.append({ QStringLiteral("data2"), qint64(androidType(kind, entity.toInt(data2), !label.isEmpty())) });
        text(QStringLiteral("data3"), label);
    }
    if (kind == ENTITY_IM)
        binds.append({ QStringLiteral("data5"), qint64(androidProtocol(entity.toInt(data5))) });
    if (kind == ENTITY_EVENT) {
        QDate date = QDateTime::fromString(entity.text(data1), Qt::ISODate).date();
        if (!date.isValid())
            date = QDate::fromString(entity.text(data1), Qt::ISODate);
        text(QStringLiteral("data1"), date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString());
    }
    if (kind == ENTITY_GROUP_MEMBERSHIP)
        binds.append({ QStringLiteral("data1"), groupId });
    return binds;
}
