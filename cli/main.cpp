// quillmarrow-cli: the window's jobs for scripts, cron jobs and machines
// without a display.
#include "cli/cliarguments.h"
#include "cli/clicommands.h"
#include "cli/clierror.h"
#include "cli/interruptwatcher.h"

#include <QCoreApplication>
#include <QTranslator>

#include <cstdio>
#include <exception>
#include <memory>

namespace {

void printError(const QString &message)
{
    // One line: a message from a file or a phone may hold line breaks.
    QString line = message.simplified();
    const QByteArray bytes = QStringLiteral("quillmarrow-cli: %1\n").arg(line).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

// The jobs log their exchanges as debug lines; on a command line they
// would mix with the progress, so they only show when QM_CLI_DEBUG is set.
void messageHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if ((type == QtDebugMsg || type == QtInfoMsg) && qEnvironmentVariableIsEmpty("QM_CLI_DEBUG"))
        return;
    const QByteArray bytes = message.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(messageHandler);
    QCoreApplication app(argc, argv);
    QTranslator translator;
    if (translator.load(QStringLiteral(":/en.qm")))
        QCoreApplication::installTranslator(&translator);
    const InterruptWatcher interrupts;

    int code = 0;
    try {
        const CliArguments arguments(QCoreApplication::arguments().mid(1));
        CliCommands commands(arguments);
        code = commands.run();
    } catch (const CliError &error) {
        printError(QString::fromUtf8(error.what()));
        if (error.code() == CliError::Usage)
            std::fputs("quillmarrow-cli: see quillmarrow-cli --help\n", stderr);
        code = error.code();
    } catch (const std::exception &error) {
        printError(QString::fromUtf8(error.what()));
        code = CliError::Failure;
    }
    if (code != CliError::Usage && InterruptWatcher::interrupted())
        code = CliError::Cancelled;
    std::fflush(stdout);
    std::fflush(stderr);
    return code;
}
