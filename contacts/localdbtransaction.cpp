#include "contacts/localdbtransaction.h"

#include "contacts/localdb.h"

#include <QDebug>

#include <exception>

LocalDbTransaction::LocalDbTransaction(LocalDb &db)
    : m_db(db)
{
    m_db.beginTransaction();
    m_open = true;
}

LocalDbTransaction::~LocalDbTransaction()
{
    rollback();
}

void LocalDbTransaction::commit()
{
    if (!m_open)
        return;
    m_db.endTransaction(true);
    m_open = false;
}

void LocalDbTransaction::rollback() noexcept
{
    if (!m_open)
        return;
    m_open = false;
    try {
        m_db.endTransaction(false);
    } catch (const std::exception &error) {
        qWarning("LocalDbTransaction, rollback failed: %s", error.what());
    } catch (...) {
        qWarning("LocalDbTransaction, rollback failed");
    }
}
