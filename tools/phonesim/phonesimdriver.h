#ifndef TOOLS_PHONESIM_PHONESIMDRIVER_H
#define TOOLS_PHONESIM_PHONESIMDRIVER_H

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// Drives the phone simulator from tests through its command-line tool
// (tools/phonesim/README.md). One driver owns one state folder: by default
// a fresh temporary folder that is removed with the driver. A simulator the
// driver started is stopped by its destructor; it also stops by itself when
// the test process ends.
//
//   PhoneSimDriver sim;
//   QVERIFY(sim.create({ "serial=SIM1", "contacts=20" }));
//   QVERIFY(sim.start());
//   sim.exportEnvironment();   // "adb" now runs the stand-in, for this state
//   ...
//   QVERIFY(sim.dump("SIM1").contains("given=Anna"));
class PhoneSimDriver
{
public:
    struct Result
    {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
        bool ok() const { return exitCode == 0; }
    };

    explicit PhoneSimDriver(const QString &stateDir = QString());
    ~PhoneSimDriver();
    PhoneSimDriver(const PhoneSimDriver &) = delete;
    PhoneSimDriver &operator=(const PhoneSimDriver &) = delete;

    static QString program();      // the phonesim executable
    static QString adbDirectory(); // the folder holding the stand-in "adb"
    QString stateDir() const { return m_dir; }

    // phonesim COMMAND STATE ARGS...
    Result run(const QString &command, const QStringList &args = {}) const;
    // Runs the stand-in adb with this state (PHONESIM_STATE set for it only).
    Result adb(const QStringList &args) const;

    bool create(const QStringList &phoneDescription);
    bool start();
    bool stop();
    QByteArray dump(const QString &phone, const QStringList &options = {}) const;
    QByteArray transcript(const QString &phone) const;
    bool fault(const QString &phone, const QStringList &faults);
    bool set(const QString &phone, const QStringList &attributes);
    // The stand-in adb's command lines since the log was last cleared, one
    // argument list per run, and clears the log.
    QList<QStringList> takeAdbLog() const;

    // PATH with the stand-in adb first and PHONESIM_STATE naming this state
    // and `moreStates`; exportEnvironment() puts them into this process so
    // that programs it starts (the code under test) use them.
    QProcessEnvironment environment(const QStringList &moreStates = {}) const;
    void exportEnvironment(const QStringList &moreStates = {}) const;

    // The last failed command's output, for QVERIFY2 messages.
    QByteArray lastError() const { return m_lastError; }

private:
    Result exec(const QString &program, const QStringList &args, const QProcessEnvironment &env) const;

    std::unique_ptr<QTemporaryDir> m_tempDir;
    QString m_dir;
    bool m_started = false;
    mutable QByteArray m_lastError;
};

#endif
