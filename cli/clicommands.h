#ifndef CLI_CLICOMMANDS_H
#define CLI_CLICOMMANDS_H

#include "android/iandroidconnector.h"
#include "cli/cliarguments.h"
#include "cli/cliprogress.h"
#include "contacts/contact.h"

#include <QList>
#include <QString>

#include <memory>

class AndroidContactsDb;
class LocalDb;
class QThread;

// The subcommands of quillmarrow-cli. Each one runs the same job the window
// runs for it, reporting to a CliProgress instead of the progress form;
// results go to standard output, progress and errors to standard error.
// Failures are thrown (CliError or any std::exception) and caught by main.
class CliCommands
{
public:
    explicit CliCommands(const CliArguments &arguments);

    // Runs the subcommand; returns the exit code of a normal end.
    int run();

    [[nodiscard]] static QString usage();
    // True for a command line that paints pages (export --format pdf): that
    // needs Qt's fonts, so main makes a GUI application (offscreen) for it.
    [[nodiscard]] static bool paintsPages(const QStringList &arguments);

private:
    int dbs();
    int list();
    int show();
    int importFiles();
    int exportFile();
    void exportPdf(const QList<Contact> &contacts, const QString &path);
    int devices();
    int backup();
    int restore();
    int transfer();

    // A database argument: a path when it names a folder too, else a name
    // in the local database folder (".db" added when missing). `mustExist`:
    // an unknown database throws.
    [[nodiscard]] static QString databasePath(const QString &argument, bool mustExist);
    // The database at `path`, made from the template when it does not exist.
    [[nodiscard]] static std::shared_ptr<LocalDb> openDatabase(const QString &path, bool create);
    // The id of a group by name; throws when the database has no such group.
    [[nodiscard]] static qint64 groupId(LocalDb &db, const QString &name);
    [[nodiscard]] QList<Contact> selectedContacts(LocalDb &db) const;

    // The connector of a phone argument: an IP address is a WiFi phone, a
    // device id one of the --wifi addresses answers for is that phone, any
    // other text an adb serial that must be attached. `deviceId` receives
    // the phone's device id.
    [[nodiscard]] PAndroidConnector connectPhone(const QString &phone, QString &deviceId) const;
    // Reads the phone into its cache database, rebuilt from the template,
    // the way the window loads a phone.
    [[nodiscard]] std::shared_ptr<AndroidContactsDb> receivePhone(const QString &phone);
    // Sends contacts to a phone whose cache database was just received.
    void sendToPhone(const QList<Contact> &contacts, const std::shared_ptr<AndroidContactsDb> &phone);
    // What the phone bridge could not carry (photos), as a line of the report.
    void printPhotosNote(AndroidContactsDb &phone) const;

    // Runs a job; throws CliError for a failure (its message) or a cancel.
    void runJob(QThread &job);
    void print(const QString &text) const;

    const CliArguments &m_arguments;
    CliProgress m_progress;
};

#endif
