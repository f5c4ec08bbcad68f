#ifndef TESTS_CONTACTS_DBTESTUTIL_H
#define TESTS_CONTACTS_DBTESTUTIL_H

#include "contacts/contact.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>

namespace dbtest {

// Every row of the contact tables (and the id counters) as text, read with
// libsqlite3 directly; two dumps are equal when the contents are.
QStringList dump(const QString &path);
// Runs SQL on the file with libsqlite3 directly; fails the test on error.
void exec(const QString &path, const QString &sql);
// One value of a one-row query, as text.
QString scalar(const QString &path, const QString &sql);

// Every index of the file with its definition, by name, as one text.
QString indexes(const QString &path);

// The details of SQLite's query plan for `sql`, joined by ";".
QString queryPlan(const QString &path, const QString &sql);

// A copy of the template database at `path`.
void copyTemplate(const QString &path);

Entity entity(std::initializer_list<std::pair<int, QString>> values);
Contact contact(const QString &fullName);

// A job receiver with the three slots that records every report.
class Recorder : public QObject
{
    Q_OBJECT
public:
    struct Progress
    {
        QString status;
        int percent;
        QString text;
    };
    QList<Progress> progress;
    QStringList successes;
    QStringList errors;
    std::atomic<bool> cancel { false };
    int cancelAfterProgress = -1;   // sets `cancel` after this many progress reports

public Q_SLOTS:
    void updateProgress(const QString &status, int percent, const QString &text);
    void succeed(const QString &message);
    void errorOccurred(const QString &message);
};

} // namespace dbtest

#endif
