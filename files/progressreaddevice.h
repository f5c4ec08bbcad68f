#ifndef FILES_PROGRESSREADDEVICE_H
#define FILES_PROGRESSREADDEVICE_H

#include <QFile>
#include <QIODevice>

#include <functional>

// A read-only view of a file that tells how far reading has come and can
// stop it: before each read it calls the watcher with the bytes read so far
// and the file's size; when the watcher answers false, the read fails with
// the error text "cancelled". Readers that read a device in chunks thus
// become cancellable without knowing it.
class ProgressReadDevice : public QIODevice
{
    Q_OBJECT

public:
    // Called with (bytes read so far, file size); returns false to stop.
    using Watcher = std::function<bool(qint64 done, qint64 total)>;

    ProgressReadDevice(const QString &path, Watcher watcher);

    // Opens the file for reading; false with the file's error text in
    // errorString() when it cannot be opened.
    bool openFile();
    void close() override;

    [[nodiscard]] bool isSequential() const override { return false; }
    [[nodiscard]] qint64 size() const override { return m_file.size(); }
    bool seek(qint64 pos) override;
    // True after the watcher has stopped a read.
    [[nodiscard]] bool wasStopped() const { return m_stopped; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 maxSize) override;

private:
    QFile m_file;
    Watcher m_watcher;
    bool m_stopped = false;
};

#endif
