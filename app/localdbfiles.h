#ifndef APP_LOCALDBFILES_H
#define APP_LOCALDBFILES_H

#include <QFileInfoList>

// The "*.db" files of the local database folder (files only), oldest
// modification first and files of the same age in name order: the order of
// the source tree and of the database chooser.
[[nodiscard]] QFileInfoList listLocalDbFiles();

#endif
