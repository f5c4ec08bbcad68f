#ifndef ANDROID_WIREENCODING_H
#define ANDROID_WIREENCODING_H

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

class Entity;

// How contacts travel to and from the phone agent.
//
// Source id: four signed decimal integers joined by '/', "kind/key1/key2/id".
// The first is the entity kind, the second and third name the phone's
// contact record, the fourth is the phone's row. A row that has no phone id
// yet is sent with a provisional one ending in minus its local _id, and the
// agent answers with the id it assigned (see simpleprotocol.h).
//
// Entity line (the argument of "$ent:"): the source id, then one
// comma-prefixed field per value of the kind. Text is Base64 of its UTF-8
// bytes, type codes go as lower-case wire labels, an event date as
// yyyy-MM-dd, a photo as Base64 of its bytes; absent values leave the field
// empty. A mobile phone number +49 with no custom label:
//
//     3/12/7/88,mobile,,KzQ5
//
// Neither Base64 nor the labels contain a comma or a line feed.

// Table key of the IM protocol labels in the wire label table (not a kind).
constexpr int WireImProtocolKey = 99;

// "%1/%2/%3/%4": the entity's own srcId when it has one, otherwise the
// provisional id kind/key1/key2/-_id.
[[nodiscard]] QString buildSrcId(int kind, qint64 key1, qint64 key2, const Entity &entity);

// True when the whole text is four signed decimal integers joined by '/'
// that fit their types (kind: 32 bits, the others: 64 bits). The numbers are
// stored through the pointers that are not null, only when the text is valid.
bool parseSrcId(
    QStringView text, int *kind = nullptr, qint64 *key1 = nullptr, qint64 *key2 = nullptr, qint64 *id = nullptr);

// kind * 100 + type code -> wire label; the IM protocols under key 99.
// Built once on first use, from any thread, and only read afterwards.
[[nodiscard]] const QHash<int, QString> &wireLabelTable();
// "key/label" -> type code, the reverse of wireLabelTable.
[[nodiscard]] const QHash<QString, int> &wireLabelReverseTable();

// The label of a code, or an empty text when the table has no such row.
[[nodiscard]] QString wireLabel(int tableKey, int code);
// The code of a label, or 0 when the table has no such label.
[[nodiscard]] int wireLabelCode(int tableKey, QStringView label);

// buildSrcId followed by the kind's fields. Never fails.
[[nodiscard]] QString encodeEntityLine(int kind, qint64 key1, qint64 key2, const Entity &entity);

// The "$ent:" argument split at every comma, empty parts kept: field 0 is
// the source id. The views point into `argument`.
[[nodiscard]] QList<QStringView> splitEntityFields(QStringView argument);

// Fills the entity's values from an "$ent:" argument split at every comma
// (empty parts kept). Field 0 is the source id and is left to the caller;
// missing fields leave their columns unset, bad Base64 characters are
// skipped, unknown labels give code 0. Never fails.
void decodeEntityFields(const QStringList &fields, int kind, Entity &entity);
void decodeEntityFields(const QList<QStringView> &fields, int kind, Entity &entity);

#endif
