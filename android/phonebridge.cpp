#include "android/phonebridge.h"

#include "android/androidcontactcolumns.h"
#include "android/contentrowparser.h"
#include "android/contentscript.h"
#include "android/contentshell.h"
#include "android/protocolexceptions.h"
#include "android/simpleprotocol.h"
#include "android/wireencoding.h"
#include "contacts/entitykind.h"

#include <QCoreApplication>
#include <QDebug>
#include <QUuid>

#include <map>
#include <stdexcept>

using namespace pim;

namespace {

const QString rawContactsUri = QStringLiteral("content://com.android.contacts/raw_contacts");
const QString dataUri = QStringLiteral("content://com.android.contacts/data");
const QString groupsUri = QStringLiteral("content://com.android.contacts/groups");
// The provider's "limit" parameter: only the highest id is wanted.
const QString lastDataUri = QStringLiteral("content://com.android.contacts/data?limit=1");

[[noreturn]] void fail(const QString &message)
{
    throw std::runtime_error(message.toUtf8().toStdString());
}

QString tr(const char *key)
{
    return QCoreApplication::translate("PhoneBridge", key);
}

// What the phone printed could not be read without guessing.
[[noreturn]] void unreadable(const QString &table, const std::exception &e)
{
    fail(tr("IDS_BRIDGE_ROWS_UNREADABLE%1").arg(table + QStringLiteral(": ") + QString::fromUtf8(e.what())));
}

QList<ContentRowParser::Row> integers(const QString &table, const QString &output, const QStringList &columns)
{
    try {
        return ContentRowParser::parseIntegers(output, columns);
    } catch (const std::exception &e) {
        unreadable(table, e);
    }
}

QStringList dataProjection()
{
    QStringList columns = { QStringLiteral("_id"), QStringLiteral("raw_contact_id"), QStringLiteral("mimetype") };
    for (int i = 1; i <= 15; ++i)
        columns.append(QStringLiteral("data%1").arg(i));
    return columns;
}

} // namespace

struct PhoneBridge::Snapshot
{
    QString deviceName;
    QList<qint64> rawIds; // live ones, ascending
    QHash<qint64, qint64> contactIds;
    QHash<qint64, QString> groupTitles;
    // raw contact id -> its data rows (kind, row id, data1..data15)
    QHash<qint64, QList<std::tuple<int, qint64, QVariantList>>> rows;
};

struct PhoneBridge::Op
{
    enum Type { NewContact, NewRow, UpdateRow, DeleteRow, DeleteContact, Ungroup } type = NewRow;
    int kind = 0;
    qint64 raw = 0;
    qint64 id = 0;
    QString oldSrcId;
    Entity entity;
    int newContact = -1; // NewRow of a contact created by this batch: its index
};

PhoneBridge::PhoneBridge(ContentShell &shell, simpleprotocol::CancelCheck stopped)
    : m_shell(shell)
    , m_stopped(std::move(stopped))
{ }

// Runs the commands in one adb call and returns each one's output.
QStringList PhoneBridge::runSections(const QStringList &commands)
{
    // A marker no contact text can guess separates the outputs.
    const QString marker = QStringLiteral("QM-") + QUuid::createUuid().toString(QUuid::Id128);
    QStringList lines;
    for (const QString &command : commands)
        lines << ContentScript::echo(marker) << command;
    const QString output = m_shell.run(lines.join(u'\n'));
    QStringList parts = output.split(marker + u'\n');
    if (parts.size() != commands.size() + 1 || !parts.first().isEmpty())
        fail(tr("IDS_BRIDGE_ROWS_UNREADABLE%1").arg(QStringLiteral("the phone's answer is incomplete")));
    parts.removeFirst();
    return parts;
}

PhoneBridge::Snapshot PhoneBridge::readPhone()
{
    const ContentScript script(m_shell.sdk());
    const QStringList rawColumns = { QStringLiteral("_id"), QStringLiteral("contact_id"), QStringLiteral("deleted") };
    const QStringList groupColumns = { QStringLiteral("_id"), QStringLiteral("deleted"), QStringLiteral("title") };
    const QStringList idColumn = { QStringLiteral("_id") };
    const QStringList dataColumns = dataProjection();
    const QStringList out = runSections({
        QStringLiteral("getprop ro.product.manufacturer; getprop ro.product.model"),
        script.query(rawContactsUri, rawColumns, QString(), QStringLiteral("_id")),
        script.query(groupsUri, idColumn, QString(), QStringLiteral("_id")),
        script.query(groupsUri, groupColumns, QString(), QStringLiteral("_id")),
        script.query(dataUri, idColumn, QString(), QStringLiteral("_id")),
        script.query(dataUri, dataColumns, QString(), QStringLiteral("_id")),
    });

    Snapshot s;
    s.deviceName = out.at(0).simplified();
    for (const ContentRowParser::Row &row : integers(QStringLiteral("raw_contacts"), out.at(1), rawColumns)) {
        if (row.at(2).toString() == u"1")
            continue; // deleted on the phone, waiting for its account's sync
        const qint64 raw = row.at(0).toString().toLongLong();
        s.rawIds.append(raw);
        s.contactIds.insert(raw, row.at(1).toString().toLongLong());
    }
    try {
        const QList<qint64> groupIds = ContentRowParser::firstColumn(ContentRowParser::parseIntegers(out.at(2), idColumn));
        for (const ContentRowParser::Row &row : ContentRowParser::parse(out.at(3), groupColumns, { 0, 1 }, groupIds)) {
            if (row.at(1).toString() != u"1")
                s.groupTitles.insert(row.at(0).toString().toLongLong(), row.at(2).toString());
        }
    } catch (const std::exception &e) {
        unreadable(QStringLiteral("groups"), e);
    }
    try {
        const QList<qint64> dataIds = ContentRowParser::firstColumn(ContentRowParser::parseIntegers(out.at(4), idColumn));
        QList<int> unclear;
        QList<ContentRowParser::Row> rows = ContentRowParser::parse(out.at(5), dataColumns, { 0, 1 }, dataIds, &unclear);
        if (!unclear.isEmpty())
            readAgain(&rows, unclear, dataIds, dataColumns);
        for (const ContentRowParser::Row &row : rows) {
            const qint64 raw = row.at(1).toString().toLongLong();
            if (!s.contactIds.contains(raw))
                continue; // a deleted raw contact's rows
            const int kind = AndroidContactColumns::kindOf(row.at(2).toString());
            if (kind == 0) {
                ++m_foreignRows; // another app's data (a messenger's profile link, ...)
                continue;
            }
            if (kind == ENTITY_PHOTO) {
                ++m_photosLeftOut;
                continue;
            }
            s.rows[raw].append({ kind, row.at(0).toString().toLongLong(), row.mid(3) });
        }
    } catch (const std::exception &e) {
        unreadable(QStringLiteral("data"), e);
    }
    return s;
}

// Rows whose values could be cut in more than one way (a value holding
// ", data2=" and the like) are read again one column at a time, where a
// value ends where its row does.
void PhoneBridge::readAgain(
    QList<QVariantList> *rows, const QList<int> &unclear, const QList<qint64> &ids, const QStringList &columns)
{
    const ContentScript script(m_shell.sdk());
    QList<qint64> which;
    for (int k : unclear)
        which.append(ids.at(k));
    QStringList parts;
    for (qint64 id : which)
        parts.append(QString::number(id));
    const QString where = QStringLiteral("_id IN (%1)").arg(parts.join(u','));
    QStringList commands;
    for (qsizetype c = 1; c < columns.size(); ++c)
        commands.append(script.query(dataUri, { columns.first(), columns.at(c) }, where, QStringLiteral("_id")));
    const QStringList out = runSections(commands);
    for (qsizetype c = 1; c < columns.size(); ++c) {
        const QList<ContentRowParser::Row> values
            = ContentRowParser::parse(out.at(c - 1), { columns.first(), columns.at(c) }, { 0 }, which);
        for (qsizetype i = 0; i < unclear.size(); ++i) {
            QVariantList &row = (*rows)[unclear.at(i)];
            row[0] = QString::number(which.at(i));
            row[c] = values.at(i).at(1);
        }
    }
}

void PhoneBridge::serveBackup(QIODevice &socket, int batchSize)
{
    Snapshot s;
    try {
        s = readPhone();
    } catch (const std::exception &e) {
        simpleprotocol::LocalException(socket, QString::fromUtf8(e.what()));
        return;
    }
    if (m_photosLeftOut > 0)
        qDebug("Phone bridge: %d photos left out (the content tool cannot read them)", m_photosLeftOut);
    simpleprotocol::writeCommand(socket, QStringLiteral("$version:"), QStringLiteral("3"), false);
    simpleprotocol::writeCommand(
        socket, QStringLiteral("$device:"), QString::fromLatin1(s.deviceName.toUtf8().toBase64()), false);
    simpleprotocol::writeCommand(socket, QStringLiteral("$count:"), QString::number(s.rawIds.size()), true);

    const QHash<qint64, QString> &groups = s.groupTitles;
    for (qsizetype first = 0; first < s.rawIds.size(); first += batchSize) {
        simpleprotocol::writeCommand(socket, QStringLiteral("$batch:"), QString(), false);
        for (qsizetype i = first; i < std::min(s.rawIds.size(), first + batchSize); ++i) {
            const qint64 raw = s.rawIds.at(i);
            const qint64 contact = s.contactIds.value(raw);
            const auto &rows = s.rows.value(raw);
            const auto line = [&](int kind, qint64 rowId, const Entity &e) {
                Entity entity = e;
                entity.srcId = QStringLiteral("%1/%2/%3/%4").arg(kind).arg(raw).arg(contact).arg(rowId);
                simpleprotocol::writeCommand(
                    socket, QStringLiteral("$ent:"), encodeEntityLine(kind, raw, contact, entity), false);
            };
            // The name first; without one, the first value names the contact,
            // as the phone's own contact list does.
            qsizetype name = -1;
            for (qsizetype r = 0; r < rows.size() && name < 0; ++r) {
                if (std::get<0>(rows.at(r)) == ENTITY_NAME)
                    name = r;
            }
            if (name >= 0) {
                line(ENTITY_NAME, std::get<1>(rows.at(name)),
                    AndroidContactColumns::toEntity(ENTITY_NAME, std::get<2>(rows.at(name)), groups));
            } else {
                Entity e;
                for (const auto &[kind, id, data] : rows) {
                    const QString value = data.value(0).toString();
                    if (kind != ENTITY_GROUP_MEMBERSHIP && !data.value(0).isNull() && !value.isEmpty()) {
                        e.setText(data2, value);
                        break;
                    }
                }
                line(ENTITY_NAME, 0, e);
            }
            for (qsizetype r = 0; r < rows.size(); ++r) {
                if (r == name)
                    continue;
                const auto &[kind, id, data] = rows.at(r);
                line(kind, id, AndroidContactColumns::toEntity(kind, data, groups));
            }
        }
        simpleprotocol::writeCommand(socket, QStringLiteral("$end:"), QString(), true);
        // The program acknowledges every batch.
        for (;;) {
            const QString ack = simpleprotocol::readCommand(socket, simpleprotocol::NoTimeLimit, m_stopped);
            if (ack.startsWith(u"$batch:"))
                break;
        }
    }
    simpleprotocol::writeCommand(socket, QStringLiteral("$bye:"), QString(), true);
}

void PhoneBridge::loadContacts()
{
    const QStringList columns = { QStringLiteral("_id"), QStringLiteral("contact_id"), QStringLiteral("deleted") };
    const QString out = m_shell.run(ContentScript(m_shell.sdk()).query(rawContactsUri, columns, QString(), QStringLiteral("_id")));
    m_rawContacts.clear();
    for (const ContentRowParser::Row &row : integers(QStringLiteral("raw_contacts"), out, columns)) {
        const qint64 raw = row.at(0).toString().toLongLong();
        m_maxRawId = std::max(m_maxRawId, raw);
        if (row.at(2).toString() != u"1")
            m_rawContacts.insert(raw, row.at(1).toString().toLongLong());
    }
    m_contactsLoaded = true;
}

void PhoneBridge::loadGroups()
{
    const ContentScript script(m_shell.sdk());
    const QStringList idColumn = { QStringLiteral("_id") };
    const QStringList columns = { QStringLiteral("_id"), QStringLiteral("deleted"), QStringLiteral("title") };
    const QStringList out = runSections({ script.query(groupsUri, idColumn, QString(), QStringLiteral("_id")),
        script.query(groupsUri, columns, QString(), QStringLiteral("_id")) });
    m_groups.clear();
    try {
        const QList<qint64> ids = ContentRowParser::firstColumn(ContentRowParser::parseIntegers(out.at(0), idColumn));
        for (const ContentRowParser::Row &row : ContentRowParser::parse(out.at(1), columns, { 0, 1 }, ids)) {
            const qint64 id = row.at(0).toString().toLongLong();
            m_maxGroupId = std::max(m_maxGroupId, id);
            if (row.at(1).toString() != u"1" && !m_groups.contains(row.at(2).toString()))
                m_groups.insert(row.at(2).toString(), id);
        }
    } catch (const std::exception &e) {
        unreadable(QStringLiteral("groups"), e);
    }
    m_groupsLoaded = true;
}

QString PhoneBridge::applyBatch(const QStringList &lines)
{
    const ContentScript script(m_shell.sdk());
    if (!m_contactsLoaded)
        loadContacts();

    // 1. What the batch asks for.
    QList<Op> ops;
    QStringList newGroups;
    for (const QString &line : lines) {
        Op op;
        if (line.startsWith(u"$ent:")) {
            const QList<QStringView> fields = splitEntityFields(QStringView(line).mid(5));
            qint64 contact = 0;
            if (!parseSrcId(fields.value(0), &op.kind, &op.raw, &contact, &op.id) || !isEntityKind(op.kind))
                fail(QStringLiteral("Invalid:%1").arg(line));
            op.oldSrcId = fields.value(0).toString();
            decodeEntityFields(fields, op.kind, op.entity);
            if (op.kind == ENTITY_NAME && op.id <= 0) {
                // A new contact, unless the name completes a phone contact
                // that had none (its made-up name had row id 0).
                const bool existing = op.id == 0 && m_rawContacts.value(op.raw, -1) == contact;
                op.type = existing ? Op::NewRow : Op::NewContact;
            } else {
                op.type = op.id <= 0 ? Op::NewRow : Op::UpdateRow;
            }
            if (op.type != Op::NewContact && !m_rawContacts.contains(op.raw))
                fail(QStringLiteral("No contact %1 on the phone: %2").arg(op.raw).arg(line));
            if (op.kind == ENTITY_GROUP_MEMBERSHIP) {
                if (!m_groupsLoaded)
                    loadGroups();
                const QString title = op.entity.text(data2);
                if (!m_groups.contains(title) && !newGroups.contains(title))
                    newGroups.append(title);
            }
            if (op.kind == ENTITY_PHOTO) {
                ++m_photosLeftOut;
                continue;
            }
        } else if (line.startsWith(u"$del:")) {
            qint64 contact = 0;
            if (!parseSrcId(QStringView(line).mid(5), &op.kind, &op.raw, &contact, &op.id))
                fail(QStringLiteral("Invalid:%1").arg(line));
            if (op.id < 0 || !m_rawContacts.contains(op.raw))
                continue; // never reached the phone, or gone already
            op.type = op.kind == ENTITY_NAME ? Op::DeleteContact : Op::DeleteRow;
            if (op.type == Op::DeleteRow && op.id == 0)
                continue;
        } else if (line.startsWith(u"$ungroup:")) {
            bool ok = false;
            op.raw = line.mid(9).toLongLong(&ok);
            if (!ok)
                fail(QStringLiteral("Invalid:%1").arg(line));
            if (!m_rawContacts.contains(op.raw))
                continue;
            op.type = Op::Ungroup;
        } else {
            continue;
        }
        ops.append(op);
    }

    // 2. Rows to update must be there, of their kind, in their contact.
    QStringList checks;
    QList<qint64> updated;
    for (const Op &op : std::as_const(ops)) {
        if (op.type != Op::UpdateRow)
            continue;
        updated.append(op.id);
        checks.append(QStringLiteral("(_id=%1 AND raw_contact_id=%2 AND mimetype=%3)")
                          .arg(op.id)
                          .arg(op.raw)
                          .arg(ContentScript::sqlQuoted(AndroidContactColumns::mimeType(op.kind))));
    }
    QStringList probe;
    const QStringList idColumn = { QStringLiteral("_id") };
    if (!checks.isEmpty())
        probe.append(script.query(dataUri, idColumn, checks.join(QStringLiteral(" OR ")), QStringLiteral("_id")));
    probe.append(script.query(lastDataUri, idColumn, QString(), QStringLiteral("_id DESC")));
    const QStringList probed = runSections(probe);
    if (!checks.isEmpty()) {
        const QList<qint64> found = ContentRowParser::firstColumn(integers(QStringLiteral("data"), probed.first(), idColumn));
        for (const Op &op : std::as_const(ops)) {
            if (op.type == Op::UpdateRow && !found.contains(op.id))
                fail(QStringLiteral("No phone row %1 of kind %2 in contact %3 on the phone: %4")
                         .arg(op.id)
                         .arg(op.kind)
                         .arg(op.raw)
                         .arg(op.oldSrcId));
        }
    }
    const QList<qint64> last = ContentRowParser::firstColumn(integers(QStringLiteral("data"), probed.last(), idColumn));
    const qint64 maxDataId = last.value(0, 0);

    // 3. New contacts and groups, and their ids.
    QList<int> created;
    for (int i = 0; i < ops.size(); ++i) {
        if (ops.at(i).type == Op::NewContact)
            created.append(i);
    }
    if (!created.isEmpty() || !newGroups.isEmpty()) {
        QStringList commands;
        QStringList insertLines;
        for (int i = 0; i < created.size(); ++i)
            insertLines.append(script.insert(rawContactsUri, { { QStringLiteral("aggregation_mode"), qint64(0) } }));
        for (const QString &title : std::as_const(newGroups))
            insertLines.append(script.insert(groupsUri, { { QStringLiteral("title"), title } }));
        const QStringList rawColumns = { QStringLiteral("_id"), QStringLiteral("contact_id") };
        commands.append(insertLines.join(u'\n') + u'\n'
            + script.query(rawContactsUri, rawColumns, QStringLiteral("_id>%1").arg(m_maxRawId), QStringLiteral("_id")));
        if (!newGroups.isEmpty()) // the groups were read: m_maxGroupId is known
            commands.append(script.query(groupsUri, idColumn, QStringLiteral("_id>%1").arg(m_maxGroupId), QStringLiteral("_id")));
        const QStringList out = runSections(commands);
        const QList<ContentRowParser::Row> raws = integers(QStringLiteral("raw_contacts"), out.at(0), rawColumns);
        const QList<qint64> groupIds = newGroups.isEmpty()
            ? QList<qint64>()
            : ContentRowParser::firstColumn(integers(QStringLiteral("groups"), out.at(1), idColumn));
        if (raws.size() != created.size() || groupIds.size() != newGroups.size())
            fail(tr("IDS_BRIDGE_PHONE_CHANGED"));
        for (int i = 0; i < created.size(); ++i) {
            Op &op = ops[created.at(i)];
            op.raw = raws.at(i).at(0).toString().toLongLong();
            m_rawContacts.insert(op.raw, raws.at(i).at(1).toString().toLongLong());
            m_maxRawId = std::max(m_maxRawId, op.raw);
            // Its name row follows as a new row of the new contact.
            Op name = op;
            name.type = Op::NewRow;
            name.newContact = created.at(i);
            ops.append(name);
        }
        for (int i = 0; i < newGroups.size(); ++i) {
            m_groups.insert(newGroups.at(i), groupIds.at(i));
            m_maxGroupId = std::max(m_maxGroupId, groupIds.at(i));
        }
    }

    // 4. The rows, in as few calls as the command line allows; the new
    // rows' ids come from the last one.
    QStringList commands;
    QList<int> inserted; // op index per new row, in insertion order
    for (int i = 0; i < ops.size(); ++i) {
        const Op &op = ops.at(i);
        const qint64 group = op.kind == ENTITY_GROUP_MEMBERSHIP ? m_groups.value(op.entity.text(data2)) : 0;
        switch (op.type) {
        case Op::NewContact:
            break;
        case Op::NewRow: {
            QList<ContentScript::Bind> binds = { { QStringLiteral("raw_contact_id"), op.raw },
                { QStringLiteral("mimetype"), AndroidContactColumns::mimeType(op.kind) } };
            binds += AndroidContactColumns::toBinds(op.kind, op.entity, group, false);
            commands.append(script.insert(dataUri, binds));
            inserted.append(i);
            break;
        }
        case Op::UpdateRow:
            commands.append(script.update(dataUri, AndroidContactColumns::toBinds(op.kind, op.entity, group, true),
                QStringLiteral("_id=%1 AND raw_contact_id=%2").arg(op.id).arg(op.raw)));
            break;
        case Op::DeleteRow:
            commands.append(script.remove(dataUri, QStringLiteral("_id=%1 AND raw_contact_id=%2").arg(op.id).arg(op.raw)));
            break;
        case Op::DeleteContact:
            commands.append(script.remove(rawContactsUri, QStringLiteral("_id=%1").arg(op.raw)));
            m_rawContacts.remove(op.raw);
            break;
        case Op::Ungroup:
            commands.append(script.remove(dataUri,
                QStringLiteral("raw_contact_id=%1 AND mimetype=%2")
                    .arg(op.raw)
                    .arg(ContentScript::sqlQuoted(AndroidContactColumns::mimeType(ENTITY_GROUP_MEMBERSHIP)))));
            break;
        }
    }
    const QStringList newRowColumns = { QStringLiteral("_id"), QStringLiteral("raw_contact_id") };
    const QString readBack
        = script.query(dataUri, newRowColumns, QStringLiteral("_id>%1").arg(maxDataId), QStringLiteral("_id"));
    QString call;
    QString output;
    const int limit = m_shell.maxLineBytes();
    for (const QString &command : std::as_const(commands)) {
        if (!call.isEmpty() && (call.size() + command.size()) * 3 > limit) {
            m_shell.run(call);
            call.clear();
        }
        call += command + u'\n';
    }
    if (!inserted.isEmpty()) {
        call += readBack;
        output = m_shell.run(call);
    } else if (!call.isEmpty()) {
        m_shell.run(call);
    }

    // 5. The new rows, matched to what was inserted, in order.
    QStringList mappings;
    if (!inserted.isEmpty()) {
        const QList<ContentRowParser::Row> rows = integers(QStringLiteral("data"), output, newRowColumns);
        if (rows.size() != inserted.size())
            fail(tr("IDS_BRIDGE_PHONE_CHANGED"));
        for (int k = 0; k < inserted.size(); ++k) {
            const Op &op = ops.at(inserted.at(k));
            const qint64 rowId = rows.at(k).at(0).toString().toLongLong();
            if (rows.at(k).at(1).toString().toLongLong() != op.raw)
                fail(tr("IDS_BRIDGE_PHONE_CHANGED"));
            mappings.append(op.oldSrcId + QStringLiteral("=>")
                + QStringLiteral("%1/%2/%3/%4").arg(op.kind).arg(op.raw).arg(m_rawContacts.value(op.raw)).arg(rowId));
        }
    }
    return mappings.join(u',');
}

void PhoneBridge::serveRestore(QIODevice &socket)
{
    QStringList batch;
    bool inBatch = false;
    for (;;) {
        QString line;
        try {
            line = simpleprotocol::readCommand(socket, simpleprotocol::NoTimeLimit, m_stopped);
        } catch (const std::exception &) {
            return; // the program closed the exchange
        }
        if (line.startsWith(u"$batch:")) {
            batch.clear();
            inBatch = true;
        } else if (line.startsWith(u"$end:") && inBatch) {
            inBatch = false;
            QString answer;
            try {
                answer = applyBatch(batch);
            } catch (const std::exception &e) {
                simpleprotocol::LocalException(socket, QString::fromUtf8(e.what()));
                return;
            }
            try {
                simpleprotocol::writeCommand(socket, QStringLiteral("$batch:"), answer, true);
            } catch (const std::exception &) {
                return; // a deletion batch: the program did not wait
            }
        } else if (inBatch) {
            batch.append(line);
        }
    }
}
