#include "tools/phonesim/phonesimdriver.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

PhoneSimDriver::PhoneSimDriver(const QString &stateDir)
{
    if (stateDir.isEmpty()) {
        m_tempDir = std::make_unique<QTemporaryDir>();
        m_dir = m_tempDir->path() + QStringLiteral("/state");
    } else {
        m_dir = QDir(stateDir).absolutePath();
    }
}

PhoneSimDriver::~PhoneSimDriver()
{
    if (m_started)
        stop();
}

QString PhoneSimDriver::program()
{
    return QStringLiteral(PHONESIM_EXECUTABLE);
}

QString PhoneSimDriver::adbDirectory()
{
    return QStringLiteral(PHONESIM_ADB_DIR);
}

PhoneSimDriver::Result PhoneSimDriver::exec(const QString &program, const QStringList &args,
    const QProcessEnvironment &env) const
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    Result r;
    if (!process.waitForFinished(600000)) {
        process.kill();
        process.waitForFinished();
        r.err = "phonesim did not finish: " + process.errorString().toUtf8();
        m_lastError = r.err;
        return r;
    }
    r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.out = process.readAllStandardOutput();
    r.err = process.readAllStandardError();
    if (!r.ok())
        m_lastError = r.err + r.out;
    return r;
}

PhoneSimDriver::Result PhoneSimDriver::run(const QString &command, const QStringList &args) const
{
    QStringList all { command, m_dir };
    all += args;
    return exec(program(), all, QProcessEnvironment::systemEnvironment());
}

PhoneSimDriver::Result PhoneSimDriver::adb(const QStringList &args) const
{
    return exec(adbDirectory() + QStringLiteral("/adb"), args, environment());
}

QList<QStringList> PhoneSimDriver::takeAdbLog() const
{
    const Result result = run(QStringLiteral("adb-log"));
    run(QStringLiteral("adb-log"), { QStringLiteral("--clear") });
    QList<QStringList> lines;
    for (const QByteArray &line : result.out.split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        QStringList arguments;
        for (const QJsonValue &v : QJsonDocument::fromJson(line).array())
            arguments.append(v.toString());
        lines.append(arguments);
    }
    return lines;
}

bool PhoneSimDriver::create(const QStringList &phoneDescription)
{
    return run(QStringLiteral("create"), phoneDescription).ok();
}

bool PhoneSimDriver::start()
{
    const Result r = run(QStringLiteral("start"),
        { QStringLiteral("--watch-pid"), QString::number(QCoreApplication::applicationPid()) });
    m_started = m_started || r.ok();
    return r.ok();
}

bool PhoneSimDriver::stop()
{
    m_started = false;
    return run(QStringLiteral("stop")).ok();
}

QByteArray PhoneSimDriver::dump(const QString &phone, const QStringList &options) const
{
    return run(QStringLiteral("dump"), QStringList { phone } + options).out;
}

QByteArray PhoneSimDriver::transcript(const QString &phone) const
{
    return run(QStringLiteral("transcript"), { phone }).out;
}

bool PhoneSimDriver::fault(const QString &phone, const QStringList &faults)
{
    return run(QStringLiteral("fault"), QStringList { phone } + faults).ok();
}

bool PhoneSimDriver::set(const QString &phone, const QStringList &attributes)
{
    return run(QStringLiteral("set"), QStringList { phone } + attributes).ok();
}

QProcessEnvironment PhoneSimDriver::environment(const QStringList &moreStates) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PATH"), adbDirectory() + u':' + env.value(QStringLiteral("PATH")));
    env.insert(QStringLiteral("PHONESIM_STATE"), (QStringList { m_dir } + moreStates).join(u':'));
    return env;
}

void PhoneSimDriver::exportEnvironment(const QStringList &moreStates) const
{
    const QProcessEnvironment env = environment(moreStates);
    qputenv("PATH", env.value(QStringLiteral("PATH")).toLocal8Bit());
    qputenv("PHONESIM_STATE", env.value(QStringLiteral("PHONESIM_STATE")).toLocal8Bit());
}
