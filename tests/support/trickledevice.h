#ifndef TESTS_SUPPORT_TRICKLEDEVICE_H
#define TESTS_SUPPORT_TRICKLEDEVICE_H

#include <QByteArray>
#include <QIODevice>

#include <cstring>
#include <utility>

// A sequential device that hands out at most `step` bytes per read, so that
// rows, lines and byte-order marks straddle a reader's buffer refills.
class TrickleDevice : public QIODevice
{
public:
    TrickleDevice(QByteArray data, qint64 step)
        : m_data(std::move(data))
        , m_step(step)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *out, qint64 max) override
    {
        const qint64 n = qMin(qMin(max, m_step), qint64(m_data.size()) - m_at);
        if (n <= 0)
            return 0;
        std::memcpy(out, m_data.constData() + m_at, size_t(n));
        m_at += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_step;
    qint64 m_at = 0;
};

#endif
