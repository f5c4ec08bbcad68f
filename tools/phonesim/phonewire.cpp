#include "tools/phonesim/phonewire.h"

#include "tools/phonesim/phonekinds.h"

#include <QDate>
#include <QStringDecoder>

namespace phonesim::wire {

namespace {

bool parseNumber(QByteArrayView text, qint64 *value)
{
    QByteArrayView digits = text;
    if (digits.startsWith('-'))
        digits = digits.sliced(1);
    if (digits.isEmpty() || digits.size() > 18)
        return false;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return false;
    }
    bool ok = false;
    *value = text.toLongLong(&ok);
    return ok;
}

} // namespace

bool parseSourceId(QByteArrayView text, SourceId *out)
{
    qint64 n[4] = {};
    qsizetype start = 0;
    for (int i = 0; i < 4; ++i) {
        qsizetype end = text.indexOf('/', start);
        if (i == 3) {
            if (end >= 0)
                return false;
            end = text.size();
        } else if (end < 0) {
            return false;
        }
        if (!parseNumber(text.sliced(start, end - start), &n[i]))
            return false;
        start = end + 1;
    }
    if (n[0] < INT_MIN || n[0] > INT_MAX)
        return false;
    *out = { int(n[0]), n[1], n[2], n[3] };
    return true;
}

QByteArray sourceIdText(const SourceId &id)
{
    return QByteArray::number(id.kind) + '/' + QByteArray::number(id.key1) + '/' + QByteArray::number(id.key2)
        + '/' + QByteArray::number(id.id);
}

QByteArray base64Text(const QString &text)
{
    return text.toUtf8().toBase64();
}

bool decodeBase64Bytes(QByteArrayView field, QByteArray *bytes)
{
    if (field.size() % 4 != 0)
        return false;
    auto result = QByteArray::fromBase64Encoding(field.toByteArray(), QByteArray::AbortOnBase64DecodingErrors);
    if (!result)
        return false;
    *bytes = std::move(*result);
    return true;
}

bool decodeBase64Text(QByteArrayView field, QString *text)
{
    QByteArray bytes;
    if (!decodeBase64Bytes(field, &bytes))
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    *text = decoder.decode(bytes);
    return !decoder.hasError();
}

void appendEntityLine(QByteArray &out, const PhoneStore &store, const PhoneContact &contact, const PhoneRow &row)
{
    out += QByteArray::number(row.kind);
    out += '/';
    out += QByteArray::number(contact.rawId);
    out += '/';
    out += QByteArray::number(contact.contactId);
    out += '/';
    out += QByteArray::number(row.id);
    const KindLayout *layout = kindLayout(row.kind);
    if (!layout)
        return;
    for (int i = 0; i < layout->fields.size(); ++i) {
        out += ',';
        const QString value = row.values.value(i);
        switch (layout->fields.at(i).type) {
        case FieldType::Text:
            out += base64Text(value);
            break;
        case FieldType::Type:
            out += typeLabel(row.kind, value.toInt()).toLatin1();
            break;
        case FieldType::Protocol:
            out += protocolLabel(value.toInt()).toLatin1();
            break;
        case FieldType::Date:
            out += value.toLatin1();
            break;
        case FieldType::Group:
            out += base64Text(store.groupTitle(value.toLongLong()));
            break;
        case FieldType::Photo:
            out += row.photo.toBase64();
            break;
        }
    }
}

bool decodeEntityLine(QByteArrayView line, DecodedEntity *out, QString *error)
{
    QList<QByteArrayView> fields;
    for (qsizetype start = 0;;) {
        const qsizetype comma = line.indexOf(',', start);
        fields.append(line.sliced(start, (comma < 0 ? line.size() : comma) - start));
        if (comma < 0)
            break;
        start = comma + 1;
    }
    if (!parseSourceId(fields.at(0), &out->source)) {
        *error = QStringLiteral("invalid source id \"%1\"").arg(QString::fromLatin1(fields.at(0)));
        return false;
    }
    const KindLayout *layout = kindLayout(out->source.kind);
    if (!layout) {
        *error = QStringLiteral("unsupported entity kind %1").arg(out->source.kind);
        return false;
    }
    if (fields.size() != layout->fields.size() + 1) {
        *error = QStringLiteral("a %1 line has %2 fields after the source id, %3 received")
                     .arg(layout->name)
                     .arg(layout->fields.size())
                     .arg(fields.size() - 1);
        return false;
    }
    out->values.clear();
    out->photo.clear();
    for (int i = 0; i < layout->fields.size(); ++i) {
        const FieldLayout &field = layout->fields.at(i);
        const QByteArrayView raw = fields.at(i + 1);
        const QString rawText = QString::fromLatin1(raw);
        auto fail = [&](const char *what) {
            *error = QStringLiteral("%1 field \"%2\" of a %3 line: %4")
                         .arg(QString::fromLatin1(what), field.name, layout->name, rawText);
            return false;
        };
        QString value;
        switch (field.type) {
        case FieldType::Text:
        case FieldType::Group:
            if (!decodeBase64Text(raw, &value))
                return fail("bad Base64 or UTF-8 in");
            break;
        case FieldType::Type: {
            int code = 0;
            if (!raw.isEmpty() && !typeCode(layout->kind, rawText, &code))
                return fail("unknown label in");
            value = QString::number(code);
            break;
        }
        case FieldType::Protocol: {
            int code = 0;
            if (!raw.isEmpty() && !protocolCode(rawText, &code))
                return fail("unknown protocol in");
            value = QString::number(code);
            break;
        }
        case FieldType::Date:
            if (!raw.isEmpty()
                && (raw.size() != 10 || !QDate::fromString(rawText, QStringLiteral("yyyy-MM-dd")).isValid()))
                return fail("bad date in");
            value = rawText;
            break;
        case FieldType::Photo:
            if (!decodeBase64Bytes(raw, &out->photo))
                return fail("bad Base64 in");
            break;
        }
        out->values.append(value);
    }
    return true;
}

} // namespace phonesim::wire
