#ifndef TESTS_FILES_EXPORTFIXTURES_H
#define TESTS_FILES_EXPORTFIXTURES_H

#include "contacts/contact.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QString>
#include <QtEndian>

#include <initializer_list>
#include <utility>

// Contacts and photo bytes for the export, print and import tests.
namespace exportfixture {

inline Entity entity(std::initializer_list<std::pair<int, QString>> values)
{
    Entity e;
    for (const auto &[column, text] : values)
        e.setText(column, text);
    return e;
}

inline Contact contact(qint64 id, const QString &fullName,
                       std::initializer_list<std::pair<int, Entity>> entities = {})
{
    Contact c;
    c._id = id;
    c.fullName = fullName;
    for (const auto &[kind, e] : entities)
        c.addEntity(kind, e);
    return c;
}

inline Entity photo(const QByteArray &bytes)
{
    Entity e;
    e.setValue(pim::data15, bytes);
    return e;
}

inline QByteArray picture(const char *format, const QColor &color, int width = 40, int height = 40)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

inline quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char ch : bytes) {
        crc ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    QByteArray length(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), length.data());
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(crc32(type + data), crc.data());
    return length + type + data + crc;
}

// A PNG file whose header declares width x height pixels of 8-bit RGB; the
// pixel data is a few bytes of nothing. A reader that believes the header
// would allocate width * height * 4 bytes.
inline QByteArray declaredHugePng(quint32 width, quint32 height)
{
    QByteArray ihdr(13, '\0');
    qToBigEndian<quint32>(width, ihdr.data());
    qToBigEndian<quint32>(height, ihdr.data() + 4);
    ihdr[8] = 8;   // bit depth
    ihdr[9] = 2;   // RGB
    const QByteArray idat = QByteArray::fromHex("789c030000000001");
    return QByteArray::fromHex("89504e470d0a1a0a") + pngChunk("IHDR", ihdr) + pngChunk("IDAT", idat)
        + pngChunk("IEND", QByteArray());
}

// The whole content of a file; empty when it cannot be read.
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace exportfixture

#endif
