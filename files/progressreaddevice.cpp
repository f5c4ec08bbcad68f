#include "files/progressreaddevice.h"

ProgressReadDevice::ProgressReadDevice(const QString &path, Watcher watcher)
    : m_file(path)
    , m_watcher(std::move(watcher))
{
}

bool ProgressReadDevice::openFile()
{
    if (!m_file.open(QIODevice::ReadOnly)) {
        setErrorString(m_file.errorString());
        return false;
    }
    // Unbuffered: every read of the reader reaches readData, so the watcher
    // sees each chunk.
    return QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

void ProgressReadDevice::close()
{
    QIODevice::close();
    m_file.close();
}

bool ProgressReadDevice::seek(qint64 pos)
{
    return QIODevice::seek(pos) && m_file.seek(pos);
}

qint64 ProgressReadDevice::readData(char *data, qint64 maxSize)
{
    if (m_stopped || (m_watcher && !m_watcher(m_file.pos(), m_file.size()))) {
        m_stopped = true;
        setErrorString(QStringLiteral("cancelled"));
        return -1;
    }
    const qint64 n = m_file.read(data, maxSize);
    if (n < 0)
        setErrorString(m_file.errorString());
    return n;
}

qint64 ProgressReadDevice::writeData(const char *, qint64)
{
    return -1;
}
