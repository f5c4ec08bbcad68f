#ifndef TOOLS_PHONESIM_PHONEWIRE_H
#define TOOLS_PHONESIM_PHONEWIRE_H

#include "tools/phonesim/phonestore.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// How the simulated agent writes and reads entity lines.
//
// An entity line is the argument of "$ent:": the source id
// "kind/raw contact id/contact id/row id", then one comma-separated field per
// field of the kind. Text travels as Base64 of its UTF-8 bytes, type and
// protocol codes as lower-case labels, dates as plain "yyyy-MM-dd", group
// memberships as the Base64 of the group's title, photos as Base64 bytes:
//
//   3/12/1012/88,mobile,,KzQ2IDcwIDEyMyA0NSA2Nw==
//
// The reader is strict on purpose: a field count, Base64, UTF-8, label or
// date that a well-behaved desktop would never send is reported, so that a
// fault on the desktop's side shows up instead of being absorbed.
namespace phonesim::wire {

struct SourceId
{
    int kind = 0;
    qint64 key1 = 0;
    qint64 key2 = 0;
    qint64 id = 0;
};

// Four signed decimal numbers joined by "/", nothing else.
bool parseSourceId(QByteArrayView text, SourceId *out);
QByteArray sourceIdText(const SourceId &id);

// Appends the entity line of `row` (without "$ent:" and line feed).
void appendEntityLine(QByteArray &out, const PhoneStore &store, const PhoneContact &contact, const PhoneRow &row);

struct DecodedEntity
{
    SourceId source;
    QStringList values; // per field; a group field holds the group title here
    QByteArray photo;
};

// Decodes the argument of a received "$ent:" line.
bool decodeEntityLine(QByteArrayView line, DecodedEntity *out, QString *error);

QByteArray base64Text(const QString &text);
// Strict Base64 of UTF-8; false on a bad character or invalid UTF-8.
bool decodeBase64Text(QByteArrayView field, QString *text);
bool decodeBase64Bytes(QByteArrayView field, QByteArray *bytes);

} // namespace phonesim::wire

#endif
