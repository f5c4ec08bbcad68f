// quillmarrow-cli: the window's jobs for scripts, cron jobs and machines
// without a display.
#include "cli/cliarguments.h"
#include "cli/clicommands.h"
#include "cli/clierror.h"
#include "cli/interruptwatcher.h"

#include <QCoreApplication>
#include <QGuiApplication>
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

// Set while a GUI application runs for painting pages.
bool paintingPages = false;

// The jobs log their exchanges as debug lines; on a command line they
// would mix with the progress, so they only show when QM_CLI_DEBUG is set.
// So do the warnings of the offscreen platform a PDF export starts (no
// runtime folder and the like): a failure to write the file is reported
// as the command's error anyway.
void messageHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    const bool chatter = type == QtDebugMsg || type == QtInfoMsg || (paintingPages && type == QtWarningMsg);
    if (chatter && qEnvironmentVariableIsEmpty("QM_CLI_DEBUG"))
        return;
    const QByteArray bytes = message.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(messageHandler);
    QStringList rawArguments;
    for (int i = 1; i < argc; ++i)
        rawArguments.append(QString::fromLocal8Bit(argv[i]));
    std::unique_ptr<QCoreApplication> app;
    if (CliCommands::paintsPages(rawArguments)) {
        // Text on a page needs the font database of a GUI application; the
        // offscreen platform gives one without a display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        paintingPages = true;
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
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
