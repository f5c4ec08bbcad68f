// Entity lines per second of the simulated agent: a backup exchange read by
// a minimal client (batches acknowledged at once), and a restore exchange
// of the same contacts sent in batches of 20.
//
//   phonesim_exchangebench [contacts] [runs]

#include "tools/phonesim/phonesimdriver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QThread>

#include <cstdio>

namespace {

const QString phone = QStringLiteral("127.0.0.9");

bool startExchange(const QByteArray &request, int port, QTcpSocket *data)
{
    QTcpSocket control;
    control.connectToHost(phone, 48888);
    if (!control.waitForConnected(5000))
        return false;
    control.write(request + "://127.0.0.1:" + QByteArray::number(port) + "/\n");
    control.waitForBytesWritten(5000);
    for (int i = 0; i < 200; ++i) {
        data->connectToHost(phone, quint16(port));
        if (data->waitForConnected(1000))
            return true;
        QThread::msleep(10);
    }
    return false;
}

struct Run
{
    qint64 lines = 0;
    qint64 bytes = 0;
    double seconds = 0;
    QList<QByteArray> entities;
};

Run backup(int port, bool keep)
{
    Run run;
    QTcpSocket s;
    if (!startExchange("backup", port, &s))
        return run;
    QElapsedTimer timer;
    timer.start();
    QByteArray buffer;
    bool bye = false;
    while (!bye && s.waitForReadyRead(10000)) {
        buffer += s.readAll();
        qsizetype start = 0, end;
        while ((end = buffer.indexOf('\n', start)) >= 0) {
            const char *line = buffer.constData() + start;
            const qsizetype length = end - start;
            if (length > 5 && line[1] == 'e' && line[0] == '$' && memcmp(line, "$ent:", 5) == 0) {
                ++run.lines;
                if (keep)
                    run.entities.append(QByteArray(line, length));
            } else if (length == 5 && memcmp(line, "$end:", 5) == 0) {
                s.write("$batch:\n");
                s.flush();
            } else if (length == 5 && memcmp(line, "$bye:", 5) == 0) {
                bye = true;
            }
            start = end + 1;
        }
        run.bytes += start;
        buffer.remove(0, start);
    }
    run.seconds = timer.nsecsElapsed() / 1e9;
    return bye ? run : Run {};
}

// Sends the backup's contacts back as new contacts, the way a desktop
// restores: name lines with provisional ids in batches of 20 contacts, then
// their other rows under the keys the phone answered.
Run restore(int port, const QList<QByteArray> &entities)
{
    Run run;
    QTcpSocket s;
    if (!startExchange("restore", port, &s))
        return run;
    QList<QList<QByteArray>> contacts; // per contact: its lines, name first
    for (const QByteArray &line : entities) {
        if (line.startsWith("$ent:1/"))
            contacts.append(QList<QByteArray>());
        if (!contacts.isEmpty())
            contacts.last().append(line);
    }
    auto answer = [&s]() {
        while (!s.canReadLine() && s.waitForReadyRead(10000)) { }
        return s.readLine().trimmed();
    };
    auto kindAndFields = [](const QByteArray &line, QByteArray *kind) {
        *kind = line.mid(5, line.indexOf('/') - 5);
        return line.mid(line.indexOf(','));
    };
    QElapsedTimer timer;
    timer.start();
    qint64 provisional = 0;
    for (qsizetype first = 0; first < contacts.size(); first += 20) {
        const qsizetype last = std::min(contacts.size(), first + 20);
        QByteArray batch = "$batch:\n";
        for (qsizetype i = first; i < last; ++i) {
            QByteArray kind;
            const QByteArray fields = kindAndFields(contacts.at(i).first(), &kind);
            batch += "$ent:1/" + QByteArray::number(i + 1) + '/' + QByteArray::number(i + 1) + "/-"
                + QByteArray::number(++provisional) + fields + '\n';
            ++run.lines;
        }
        s.write(batch + "$end:\n");
        const QList<QByteArray> mappings = answer().mid(7).split(',');
        batch = "$batch:\n";
        for (qsizetype i = first; i < last; ++i) {
            const QList<QByteArray> newId = mappings.value(i - first).split('>').value(1).split('/');
            const QByteArray keys = newId.value(1) + '/' + newId.value(2);
            for (const QByteArray &line : contacts.at(i).mid(1)) {
                QByteArray kind;
                const QByteArray fields = kindAndFields(line, &kind);
                batch += "$ent:" + kind + '/' + keys + "/-" + QByteArray::number(++provisional) + fields + '\n';
                ++run.lines;
            }
        }
        s.write(batch + "$end:\n");
        if (!answer().startsWith("$batch:"))
            return Run {};
    }
    run.seconds = timer.nsecsElapsed() / 1e9;
    return run;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int contacts = argc > 1 ? atoi(argv[1]) : 10000;
    const int runs = argc > 2 ? atoi(argv[2]) : 3;
    PhoneSimDriver sim;
    QElapsedTimer timer;
    timer.start();
    if (!sim.create({ QStringLiteral("wifi=") + phone, QStringLiteral("contacts=%1").arg(contacts),
            QStringLiteral("batch-size=100"), QStringLiteral("seed=2024") })) {
        fprintf(stderr, "cannot create the phone: %s\n", sim.lastError().constData());
        return 1;
    }
    printf("phone with %d generated contacts created in %.2f s\n", contacts, timer.elapsed() / 1000.0);
    if (!sim.start()) {
        fprintf(stderr, "cannot start the simulator: %s\n", sim.lastError().constData());
        return 1;
    }
    int port = 42300;
    QList<QByteArray> entities;
    for (int batch : { 100, 20, 500 }) {
        sim.set(phone, { QStringLiteral("batch-size=%1").arg(batch) });
        for (int i = 0; i < runs; ++i) {
            const Run r = backup(port++, entities.isEmpty());
            if (entities.isEmpty())
                entities = r.entities;
            if (r.lines == 0) {
                fprintf(stderr, "backup failed\n");
                return 1;
            }
            printf("backup, batch %3d contacts, run %d: %lld entity lines, %.1f MB in %.3f s = %.0f lines/s%s\n", batch,
                i + 1, r.lines, r.bytes / 1e6, r.seconds, r.lines / r.seconds,
                batch == 100 && i == 0 ? " (store loaded from disk first)" : "");
        }
    }
    const Run r = restore(port++, entities);
    if (r.lines == 0) {
        fprintf(stderr, "restore failed\n");
        return 1;
    }
    printf("restore, batches of 20 contacts: %lld entity lines in %.3f s = %.0f lines/s (store written after each batch)\n",
        r.lines, r.seconds, r.lines / r.seconds);
    return 0;
}
