#include "tools/phonesim/simclient.h"

#include "tools/phonesim/simadb.h"
#include "tools/phonesim/simcli.h"
#include "tools/phonesim/simserver.h"
#include "tools/phonesim/simstate.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace phonesim {

namespace {

constexpr int lockWaitMs = 120000;

bool processAlive(qint64 pid)
{
    if (pid <= 0 || (::kill(pid_t(pid), 0) != 0 && errno != EPERM))
        return false;
    // An exited process that nobody has reaped yet is not running either.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close < 0 || text.mid(close + 2, 1) != "Z";
}

int signalPipe[2] = { -1, -1 };

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &c, 1);
}

} // namespace

SimClient::SimClient(const QString &stateDir) : m_dir(QDir(stateDir).absolutePath()) { }

bool SimClient::serverInfo(qint64 *pid, int *port) const
{
    QFile file(m_dir + QStringLiteral("/server.json"));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QJsonObject info = QJsonDocument::fromJson(file.readAll()).object();
    *pid = info.value(QStringLiteral("pid")).toInteger();
    *port = info.value(QStringLiteral("port")).toInt();
    return processAlive(*pid) && *port > 0;
}

bool SimClient::running() const
{
    qint64 pid = 0;
    int port = 0;
    return serverInfo(&pid, &port);
}

bool SimClient::call(int port, const QString &tool, const QStringList &args, const QString &cwd,
    CommandResult *result, int timeoutMs) const
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    if (!socket.waitForConnected(5000))
        return false;
    const QJsonObject request { { QStringLiteral("tool"), tool }, { QStringLiteral("args"), QJsonArray::fromStringList(args) },
        { QStringLiteral("cwd"), cwd } };
    socket.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    QDeadlineTimer deadline(timeoutMs);
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime()))) || deadline.hasExpired())
            return false;
    }
    const QJsonObject reply = QJsonDocument::fromJson(socket.readLine()).object();
    result->code = reply.value(QStringLiteral("code")).toInt();
    result->out = QByteArray::fromBase64(reply.value(QStringLiteral("out")).toString().toLatin1());
    result->err = QByteArray::fromBase64(reply.value(QStringLiteral("err")).toString().toLatin1());
    return true;
}

CommandResult SimClient::execute(const QString &tool, const QStringList &args, const QString &cwd, bool createFolder)
{
    if (!QFileInfo(m_dir).isDir()) {
        if (!createFolder || !QDir().mkpath(m_dir))
            return CommandResult::failure("phonesim: no state folder " + m_dir.toUtf8());
    }
    for (int attempt = 0; attempt < 3; ++attempt) {
        QLockFile lock(m_dir + QStringLiteral("/.lock"));
        lock.setStaleLockTime(0);
        if (!lock.tryLock(lockWaitMs))
            return CommandResult::failure("phonesim: the state folder stays locked: " + m_dir.toUtf8());
        qint64 pid = 0;
        int port = 0;
        if (serverInfo(&pid, &port)) {
            lock.unlock();
            CommandResult result;
            if (call(port, tool, args, cwd, &result, 600000))
                return result;
            continue; // the simulator was just stopping; look again
        }
        QFile::remove(m_dir + QStringLiteral("/server.json"));
        SimState state(m_dir);
        QString error;
        if (!state.load(&error))
            return CommandResult::failure("phonesim: " + error.toUtf8());
        CommandResult result = tool == u"adb" ? runAdbCommand(state, nullptr, args, cwd)
                                               : runSimCommand(state, nullptr, args);
        state.saveAll();
        return result;
    }
    return CommandResult::failure("phonesim: the simulator of " + m_dir.toUtf8() + " does not answer");
}

CommandResult SimClient::start(qint64 watchPid)
{
    qint64 pid = 0;
    int port = 0;
    if (serverInfo(&pid, &port))
        return { 0, QByteArray::number(pid) + '\n', {} };
    if (!QDir().mkpath(m_dir))
        return CommandResult::failure("phonesim: cannot create " + m_dir.toUtf8());
    const QString log = m_dir + QStringLiteral("/server.log");
    QProcess process;
    process.setProgram(QCoreApplication::applicationFilePath());
    QStringList args { QStringLiteral("serve"), m_dir };
    if (watchPid > 0)
        args << QStringLiteral("--watch-pid") << QString::number(watchPid);
    process.setArguments(args);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(log);
    process.setStandardErrorFile(log, QIODevice::Append);
    qint64 child = 0;
    if (!process.startDetached(&child))
        return CommandResult::failure("phonesim: cannot start the simulator: " + process.errorString().toUtf8());
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        if (serverInfo(&pid, &port)) {
            CommandResult pong;
            if (call(port, QStringLiteral("phonesim"), { QStringLiteral("ping") }, QString(), &pong, 5000))
                return { 0, QByteArray::number(pid) + '\n', {} };
        }
        if (!processAlive(child)) {
            QFile file(log);
            file.open(QIODevice::ReadOnly);
            return CommandResult::failure("phonesim: the simulator did not start:\n" + file.readAll());
        }
        QThread::msleep(20);
    }
    return CommandResult::failure("phonesim: the simulator did not become ready; see " + log.toUtf8());
}

CommandResult SimClient::stop()
{
    qint64 pid = 0;
    int port = 0;
    if (!serverInfo(&pid, &port))
        return {};
    CommandResult ignored;
    call(port, QStringLiteral("phonesim"), { QStringLiteral("stop") }, QString(), &ignored, 10000);
    QDeadlineTimer deadline(30000);
    while (processAlive(pid) && !deadline.hasExpired())
        QThread::msleep(20);
    if (processAlive(pid)) {
        ::kill(pid_t(pid), SIGTERM);
        QThread::msleep(2000);
        if (processAlive(pid))
            ::kill(pid_t(pid), SIGKILL);
        return CommandResult::failure("phonesim: the simulator had to be killed");
    }
    return {};
}

CommandResult SimClient::status()
{
    qint64 pid = 0;
    int port = 0;
    if (serverInfo(&pid, &port))
        return { 0, QStringLiteral("running pid=%1 port=%2\n").arg(pid).arg(port).toUtf8(), {} };
    return { 3, "stopped\n", {} };
}

int SimClient::serve(qint64 watchPid)
{
    QDir().mkpath(m_dir);
    QLockFile lock(m_dir + QStringLiteral("/.lock"));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(lockWaitMs)) {
        fprintf(stderr, "phonesim: the state folder stays locked: %s\n", qPrintable(m_dir));
        return 1;
    }
    if (running()) {
        fprintf(stderr, "phonesim: a simulator serves %s already\n", qPrintable(m_dir));
        return 1;
    }
    SimState state(m_dir);
    QString error;
    if (!state.load(&error)) {
        fprintf(stderr, "phonesim: %s\n", qPrintable(error));
        return 1;
    }
    SimServer server(state);
    if (!server.start(&error)) {
        fprintf(stderr, "phonesim: %s\n", qPrintable(error));
        server.shutdown();
        return 1;
    }
    if (watchPid > 0)
        server.watchProcess(watchPid);
    lock.unlock();
    fprintf(stderr, "phonesim: serving %s (pid %lld)\n", qPrintable(m_dir), QCoreApplication::applicationPid());

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGTERM, &action, nullptr);
        ::sigaction(SIGINT, &action, nullptr);
        ::sigaction(SIGHUP, &action, nullptr);
        auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &server);
        QObject::connect(notifier, &QSocketNotifier::activated, &server, &SimServer::stopRequested);
    }
    ::signal(SIGPIPE, SIG_IGN);
    QObject::connect(&server, &SimServer::stopRequested, &server, [&] {
        QLockFile stopLock(m_dir + QStringLiteral("/.lock"));
        stopLock.setStaleLockTime(0);
        stopLock.tryLock(lockWaitMs);
        server.shutdown();
        QCoreApplication::quit();
    });
    const int code = QCoreApplication::exec();
    fprintf(stderr, "phonesim: stopped serving %s\n", qPrintable(m_dir));
    return code;
}

} // namespace phonesim
