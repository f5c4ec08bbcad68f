#include "app/localdbfiles.h"

#include "app/platform.h"

#include <QDateTime>
#include <QDir>

#include <algorithm>

QFileInfoList listLocalDbFiles()
{
    QFileInfoList files = QDir(platform::localDbFolder())
                              .entryInfoList({QStringLiteral("*.db")}, QDir::Files, QDir::Name);
    std::stable_sort(files.begin(), files.end(), [](const QFileInfo &a, const QFileInfo &b) {
        return a.lastModified() < b.lastModified();
    });
    return files;
}
