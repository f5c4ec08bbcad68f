#ifndef APP_PLATFORM_H
#define APP_PLATFORM_H

#include <QProcessEnvironment>
#include <QString>

class QUrl;

// What the program needs from the operating system: where its data lives,
// opening folders and web pages, and the one registry look-up of start-up.
// Windows uses its own calls (registry, ShellExecuteW, explorer); elsewhere
// the desktop's default handlers are used and there is no registry.
namespace platform {

enum class Os { Windows, Other };

// The fixed name of the product folder inside the data root: 32 upper-case
// hexadecimal digits.
inline constexpr char productFolderId[] = "7C3A9E51B0D24F68A1E5C97D3B8F2046";

// The system this program was built for.
[[nodiscard]] Os currentOs();

// The user's roaming application data folder for a home folder:
// home/AppData/Roaming when that folder exists; otherwise home/Application Data
// on Windows, and the XDG data home elsewhere ($XDG_DATA_HOME when it is an
// absolute path, else home/.local/share).
[[nodiscard]] QString roamingFolder(const QString &home, Os os, const QProcessEnvironment &env);

// The data folder below a roaming folder. The root is roaming/Quillmarrow,
// unless the file roaming/Quillmarrow/<productFolderId>.redirect can be read
// and names an existing folder (its content up to the first NUL byte, UTF-8,
// without a trailing line break); the data folder is the root joined with
// productFolderId. Nothing is created.
[[nodiscard]] QString dataFolderBelow(const QString &roaming);

// dataFolderBelow(roamingFolder(home, os, env)).
[[nodiscard]] QString dataFolderFor(const QString &home, Os os, const QProcessEnvironment &env);

// The program's data folder, resolved once per process from the user's home
// folder ($HOME here, so a test points it elsewhere by setting HOME before the
// first call) and created with all parents on every call. Failures to create
// it are not reported.
[[nodiscard]] QString dataFolder();

// dataFolder()/data, the folder of the local databases, created on every call.
[[nodiscard]] QString localDbFolder();

// Opens a folder in the file manager, without waiting.
void openFolder(const QString &path);

// Opens a web page in the system browser, without waiting.
void openWebPage(const QUrl &url);

// Hands an argument to the Windows shell (explorer "argument"); elsewhere the
// argument, a URL or a path, goes to the desktop's default handler.
void startExplorer(const QString &argument);

enum class RegistryKey { Present, Absent, NoRegistry };

// Whether a key below HKEY_LOCAL_MACHINE can be opened for reading. Systems
// without a registry answer NoRegistry.
[[nodiscard]] RegistryKey lookUpLocalMachineKey(const QString &subKey);

} // namespace platform

#endif
