#ifndef FILES_ABSIMPORT_H
#define FILES_ABSIMPORT_H

#include "contacts/contact.h"
#include "files/importreport.h"

#include <QString>

// A contact file reader. The import job opens a file, asks how many
// contacts it holds and pulls them one by one; the whole file is read by
// open(), so next() does no file access. Failures are std::runtime_error
// with a UTF-8 message.
//
// Alongside, the reader keeps a report of what it read: the contacts, what
// it could not keep and the rows it found malformed. open() starts a new
// report; it is complete once the last contact has been taken.
class AbsImport
{
public:
    virtual ~AbsImport();

    virtual void open(const QString &path) = 0;
    [[nodiscard]] virtual qsizetype count() const = 0;
    [[nodiscard]] virtual bool hasNext() const = 0;
    // The contact at the cursor; advances the cursor. An empty contact once
    // the cursor has passed the last one.
    [[nodiscard]] virtual Contact next() = 0;
    virtual void close() = 0;

    [[nodiscard]] const ImportReport &report() const { return m_report; }

protected:
    ImportReport m_report;
};

#endif
