#ifndef FILES_ASCIICASE_H
#define FILES_ASCIICASE_H

#include <QByteArrayView>
#include <QtGlobal>

#include <cstring>

// vCard names and parameters match without regard to ASCII letter case.
// These compare a byte string against a literal without a locale or a
// strlen, which matters when every property of a big file is checked.
namespace asciicase {

constexpr char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

template<qsizetype N>
constexpr bool equals(QByteArrayView text, const char (&literal)[N])
{
    if (text.size() != N - 1)
        return false;
    for (qsizetype i = 0; i < N - 1; ++i) {
        if (lower(text.data()[i]) != lower(literal[i]))
            return false;
    }
    return true;
}

inline bool equals(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (lower(a.data()[i]) != lower(b.data()[i]))
            return false;
    }
    return true;
}

// True when no byte has its high bit set; eight bytes are tested at a time,
// since nearly all text in contact files is ASCII.
inline bool isAscii(QByteArrayView bytes)
{
    const char *p = bytes.data();
    const char *const end = p + bytes.size();
    quint64 high = 0;
    for (; end - p >= 8; p += 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        high |= word;
    }
    for (; p < end; ++p)
        high |= quint64(static_cast<unsigned char>(*p));
    return !(high & 0x8080808080808080ULL);
}

} // namespace asciicase

#endif
