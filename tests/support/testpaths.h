#ifndef TESTS_SUPPORT_TESTPATHS_H
#define TESTS_SUPPORT_TESTPATHS_H

#include <QString>

namespace testpaths {

// The repository's top folder and the build folder.
QString sourceDir();
QString binaryDir();
// tests/data/<relative>.
QString testData(const QString &relative);
// The shared compatibility corpus of real contact files, from QM_CORPUS_DIR
// or beside the repository; empty when it is not there.
QString corpusDir();

} // namespace testpaths

#endif
