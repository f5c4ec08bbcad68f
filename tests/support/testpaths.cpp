#include "tests/support/testpaths.h"

#include <QDir>
#include <QFileInfo>

namespace testpaths {

QString sourceDir()
{
    return QStringLiteral(QM_SOURCE_DIR);
}

QString binaryDir()
{
    return QStringLiteral(QM_BINARY_DIR);
}

QString testData(const QString &relative)
{
    return sourceDir() + QStringLiteral("/tests/data/") + relative;
}

QString corpusDir()
{
    const QString fromEnv = qEnvironmentVariable("QM_CORPUS_DIR");
    if (!fromEnv.isEmpty())
        return QFileInfo(fromEnv).isDir() ? fromEnv : QString();
    const QString beside = QDir(sourceDir()).absoluteFilePath(QStringLiteral("../shared/corpus"));
    return QFileInfo(beside).isDir() ? QDir::cleanPath(beside) : QString();
}

} // namespace testpaths
