#include "tools/phonesim/storedump.h"

#include "tools/phonesim/phonekinds.h"
#include "tools/phonesim/phonewire.h"

#include <QCryptographicHash>

namespace phonesim {

namespace {

QString photoFormat(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xD8"))
        return QStringLiteral("jpeg");
    if (bytes.startsWith("\x89PNG"))
        return QStringLiteral("png");
    return bytes.isEmpty() ? QStringLiteral("none") : QStringLiteral("data");
}

QString codeText(const QString &label, const QString &code)
{
    return label.isEmpty() ? u'#' + code : label;
}

} // namespace

QString escapeDumpValue(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (QChar c : value) {
        switch (c.unicode()) {
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        case u'\t':
            out += QStringLiteral("\\t");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString displayName(const QStringList &nameValues)
{
    QStringList parts;
    for (const QString &part : nameValues) {
        if (!part.isEmpty())
            parts.append(part);
    }
    return parts.join(u' ');
}

QByteArray dumpStore(const PhoneStore &store)
{
    QString out;
    for (const auto &[id, title] : store.groups())
        out += QStringLiteral("group\t%1\t%2\n").arg(id).arg(escapeDumpValue(title));
    for (const auto &[raw, contact] : store.contacts()) {
        const QList<const PhoneRow *> rows = store.orderedRows(contact);
        QString name;
        if (!rows.isEmpty() && rows.first()->kind == 1)
            name = displayName(rows.first()->values);
        out += QStringLiteral("contact\t%1\t%2\t%3\n").arg(raw).arg(contact.contactId).arg(escapeDumpValue(name));
        for (const PhoneRow *row : rows) {
            const KindLayout *layout = kindLayout(row->kind);
            out += QStringLiteral("row\t%1/%2/%3/%4\t%5")
                       .arg(row->kind)
                       .arg(raw)
                       .arg(contact.contactId)
                       .arg(row->id)
                       .arg(layout ? layout->name : QString::number(row->kind));
            for (int i = 0; layout && i < layout->fields.size(); ++i) {
                const FieldLayout &field = layout->fields.at(i);
                const QString value = row->values.value(i);
                QString text;
                switch (field.type) {
                case FieldType::Text:
                case FieldType::Date:
                    text = value;
                    break;
                case FieldType::Type:
                    text = codeText(typeLabel(row->kind, value.toInt()), value);
                    break;
                case FieldType::Protocol:
                    text = codeText(protocolLabel(value.toInt()), value);
                    break;
                case FieldType::Group:
                    text = store.groupTitle(value.toLongLong());
                    break;
                case FieldType::Photo:
                    out += QStringLiteral("\tphoto=%1\tbytes=%2\tmd5=%3")
                               .arg(photoFormat(row->photo))
                               .arg(row->photo.size())
                               .arg(QString::fromLatin1(
                                   QCryptographicHash::hash(row->photo, QCryptographicHash::Md5).toHex()));
                    continue;
                }
                out += u'\t' + field.name + u'=' + escapeDumpValue(text);
            }
            out += u'\n';
        }
    }
    return out.toUtf8();
}

QByteArray dumpWire(const PhoneStore &store)
{
    QByteArray out;
    for (const auto &[raw, contact] : store.contacts()) {
        for (const PhoneRow *row : store.orderedRows(contact)) {
            out += "$ent:";
            wire::appendEntityLine(out, store, contact, *row);
            out += '\n';
        }
    }
    return out;
}

} // namespace phonesim
