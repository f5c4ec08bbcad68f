#include "app/platform.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <shellapi.h>
#endif

namespace platform {

namespace {

const QString productName = QStringLiteral("Quillmarrow");

QString xdgDataHome(const QString &home, const QProcessEnvironment &env)
{
    const QString fromEnv = env.value(QStringLiteral("XDG_DATA_HOME"));
    if (!fromEnv.isEmpty() && QDir::isAbsolutePath(fromEnv))
        return QDir::cleanPath(fromEnv);
    return QDir(home).filePath(QStringLiteral(".local/share"));
}

// The folder named by the redirect file, or an empty text.
QString redirectTarget(const QString &roaming)
{
    QFile file(QDir(roaming).filePath(productName + u'/' + QLatin1String(productFolderId) + QStringLiteral(".redirect")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray content = file.readAll();
    const qsizetype nul = content.indexOf('\0');
    if (nul >= 0)
        content.truncate(nul);
    QString path = QString::fromUtf8(content);
    // Editors end a saved line with a line break; it is never part of the path.
    while (path.endsWith(u'\n') || path.endsWith(u'\r'))
        path.chop(1);
    if (path.isEmpty() || !QFileInfo::exists(path))
        return {};
    return path;
}

} // namespace

Os currentOs()
{
#ifdef Q_OS_WIN
    return Os::Windows;
#else
    return Os::Other;
#endif
}

QString roamingFolder(const QString &home, Os os, const QProcessEnvironment &env)
{
    const QDir homeDir(home);
    const QString appData = homeDir.filePath(QStringLiteral("AppData/Roaming"));
    if (QFileInfo(appData).isDir())
        return appData;
    if (os == Os::Windows)
        return homeDir.filePath(QStringLiteral("Application Data"));
    return xdgDataHome(home, env);
}

QString dataFolderBelow(const QString &roaming)
{
    QString root = redirectTarget(roaming);
    if (root.isEmpty())
        root = QDir(roaming).filePath(productName);
    return QDir(root).filePath(QLatin1String(productFolderId));
}

QString dataFolderFor(const QString &home, Os os, const QProcessEnvironment &env)
{
    return dataFolderBelow(roamingFolder(home, os, env));
}

QString dataFolder()
{
    // Resolved once; a function-local static is initialised thread-safely.
    static const QString folder =
        dataFolderFor(QDir::homePath(), currentOs(), QProcessEnvironment::systemEnvironment());
    QDir().mkpath(folder);
    return folder;
}

QString localDbFolder()
{
    const QString folder = QDir(dataFolder()).filePath(QStringLiteral("data"));
    QDir().mkpath(folder);
    return folder;
}

void startExplorer(const QString &argument)
{
#ifdef Q_OS_WIN
    QProcess process;
    process.setProgram(QStringLiteral("explorer"));
    process.setNativeArguments(u'"' + argument + u'"');
    process.startDetached();
#else
    const QUrl url = QUrl::fromUserInput(argument, QDir::currentPath(), QUrl::AssumeLocalFile);
    QDesktopServices::openUrl(url);
#endif
}

void openFolder(const QString &path)
{
#ifdef Q_OS_WIN
    startExplorer(QDir::toNativeSeparators(path));
#else
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
#endif
}

void openWebPage(const QUrl &url)
{
#ifdef Q_OS_WIN
    const QString text = url.toString();
    ShellExecuteW(nullptr, L"open", reinterpret_cast<const wchar_t *>(text.utf16()), nullptr, nullptr, SW_SHOW);
#else
    QDesktopServices::openUrl(url);
#endif
}

RegistryKey lookUpLocalMachineKey(const QString &subKey)
{
#ifdef Q_OS_WIN
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, reinterpret_cast<const wchar_t *>(subKey.utf16()), 0, KEY_READ, &key)
        != ERROR_SUCCESS)
        return RegistryKey::Absent;
    RegCloseKey(key);
    return RegistryKey::Present;
#else
    Q_UNUSED(subKey)
    return RegistryKey::NoRegistry;
#endif
}

} // namespace platform
