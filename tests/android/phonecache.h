#ifndef TESTS_ANDROID_PHONECACHE_H
#define TESTS_ANDROID_PHONECACHE_H

// Helpers of the send and change job tests: a phone's cache database filled
// from what the simulated phone holds, the batches a restore exchange
// carried (from the simulator's transcript), and running a job thread until
// it ends while its reports are delivered.

#include "android/wireencoding.h"
#include "contacts/contactformat.h"
#include "contacts/entitykind.h"
#include "contacts/localdb.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QList>
#include <QMap>
#include <QString>
#include <QThread>
#include <QTimer>

namespace phonecache {

// The contacts of a "phonesim dump --wire" listing: one contact per phone
// contact, in the phone's order, every entity with its phone id; the
// contact's own id is that of its name row.
inline QList<Contact> contactsFromWire(const QByteArray &wire)
{
    QList<Contact> contacts;
    QMap<QPair<qint64, qint64>, qsizetype> index;
    for (const QByteArray &raw : wire.split('\n')) {
        if (!raw.startsWith("$ent:"))
            continue;
        const QString argument = QString::fromLatin1(raw.mid(5));
        const QList<QStringView> fields = splitEntityFields(argument);
        int kind = 0;
        qint64 key1 = 0;
        qint64 key2 = 0;
        if (!parseSrcId(fields.first(), &kind, &key1, &key2))
            continue;
        Entity entity;
        entity.srcId = fields.first().toString();
        decodeEntityFields(fields, kind, entity);
        const QPair<qint64, qint64> keys { key1, key2 };
        if (!index.contains(keys)) {
            index.insert(keys, contacts.size());
            contacts.append(Contact());
        }
        Contact &contact = contacts[index.value(keys)];
        if (kind == pim::ENTITY_NAME && contact.srcId.isEmpty()) {
            contact.srcId = entity.srcId;
            contact.fullName = formatPersonName(entity);
        }
        contact.addEntity(kind, entity);
    }
    return contacts;
}

// Stores the contacts as a receive would (ids kept, memberships pointing at
// this database's groups) and sets their _ids.
inline void store(LocalDb &db, QList<Contact> &contacts)
{
    db.beginTransaction();
    for (Contact &contact : contacts) {
        db.insertContact(contact);
        for (auto it = contact.entities.begin(); it != contact.entities.end(); ++it) {
            for (Entity &entity : it.value()) {
                if (it.key() == pim::ENTITY_GROUP_MEMBERSHIP)
                    entity.setValue(pim::data1, db.findOrCreateGroup(entity.text(pim::data2)));
                db.insertData(contact._id, it.key(), entity);
            }
        }
    }
    db.endTransaction(true);
}

// One batch of a restore exchange as the phone saw it.
struct Batch
{
    QStringList lines; // what the program sent between "$batch:" and "$end:"
    QString answer;    // the agent's answer, empty when none was sent
};

// The batches of the last restore exchange in a transcript.
inline QList<Batch> lastRestore(const QByteArray &transcript)
{
    QString last;
    QList<Batch> batches;
    bool inBatch = false;
    for (const QByteArray &raw : transcript.split('\n')) {
        const QList<QByteArray> parts = raw.split('\t');
        if (parts.size() < 4 || parts.at(1) != "restore")
            continue;
        const QString exchange = QString::fromLatin1(parts.at(0));
        if (exchange != last) {
            last = exchange;
            batches.clear();
            inBatch = false;
        }
        const QString line = QString::fromUtf8(raw.mid(parts.at(0).size() + parts.at(1).size() + parts.at(2).size() + 3));
        if (parts.at(2) == "<") {
            if (line == QLatin1String("$batch:")) {
                batches.append(Batch());
                inBatch = true;
            } else if (line == QLatin1String("$end:")) {
                inBatch = false;
            } else if (inBatch) {
                batches.last().lines.append(line);
            }
        } else if (parts.at(2) == ">" && !batches.isEmpty() && batches.last().answer.isEmpty()) {
            batches.last().answer = line;
        }
    }
    return batches;
}

// Number of restore exchanges in a transcript.
inline int restoreCount(const QByteArray &transcript)
{
    QStringList seen;
    for (const QByteArray &raw : transcript.split('\n')) {
        const QList<QByteArray> parts = raw.split('\t');
        if (parts.size() >= 2 && parts.at(1) == "restore" && !seen.contains(QString::fromLatin1(parts.at(0))))
            seen.append(QString::fromLatin1(parts.at(0)));
    }
    return seen.size();
}

// Starts the job and runs the event loop until its thread ended and its
// queued reports arrived. False when it did not end within the limit (a
// job that hangs).
inline bool runJob(QThread &job, int limitMs = 120000)
{
    QEventLoop loop;
    QObject::connect(&job, &QThread::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    job.start();
    if (!job.isFinished())
        loop.exec();
    if (!job.wait(QDeadlineTimer(1000)))
        return false;
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    return true;
}

} // namespace phonecache

#endif
