#include "files/vcardtypes.h"

#include "files/asciicase.h"

namespace vcardtypes {

namespace {

struct Word
{
    int code;
    const char *text;
};

// Code-indexed tables; the reader matches their words in table order.
constexpr Word imWords[] = {
    { 1, "aim" },     { 2, "msn" },        { 3, "yahoo" }, { 4, "skype" },
    { 5, "qq" },      { 6, "googletalk" }, { 7, "icq" },   { 8, "jabber" },
    // The misspelling is what earlier versions wrote; keep both sides on it.
    { 9, "netmetting" }, { 10, "gadugadu" }, { 11, "facebook" },
};

constexpr Word relationWords[] = {
    { 1, "assistant" }, { 2, "brother" },  { 3, "child" },  { 4, "dompartner" }, { 5, "father" },
    { 6, "friend" },    { 7, "manager" },  { 8, "mother" }, { 9, "parent" },     { 10, "partner" },
    { 11, "ref" },      { 12, "relative" }, { 13, "sister" }, { 14, "spouse" },
};

constexpr Word websiteWords[] = {
    { 1, "homepage" }, { 2, "blog" }, { 3, "profile" }, { 4, "home" }, { 5, "work" }, { 6, "ftp" },
};

template<size_t N>
QByteArray wordFor(const Word (&table)[N], int code)
{
    for (const Word &w : table) {
        if (w.code == code)
            return QByteArray::fromRawData(w.text, qsizetype(qstrlen(w.text)));
    }
    return QByteArray();
}

template<size_t N>
int codeFor(const Word (&table)[N], const TypeWords &words, int fallback)
{
    for (const Word &w : table) {
        if (words.contains(QByteArrayView(w.text)))
            return w.code;
    }
    return fallback;
}

} // namespace

QByteArray phoneType(int code)
{
    switch (code) {
    case 1: return QByteArrayLiteral("home,voice");
    case 2: return QByteArrayLiteral("cell");
    case 3: return QByteArrayLiteral("work,voice");
    case 4: return QByteArrayLiteral("work,fax");
    case 5: return QByteArrayLiteral("home,fax");
    case 6: return QByteArrayLiteral("pager");
    case 9: return QByteArrayLiteral("car");
    case 11: return QByteArrayLiteral("isdn");
    case 13: return QByteArrayLiteral("fax");
    default: return QByteArray();
    }
}

QByteArray imType(int protocol)
{
    return wordFor(imWords, protocol);
}

QByteArray imType(int protocol, int imTypeCode)
{
    QByteArray word = wordFor(imWords, protocol);
    const char *extra = imTypeCode == 2 ? "work" : imTypeCode == 0 ? "other" : nullptr;
    if (extra) {
        if (!word.isEmpty())
            word += ',';
        word += extra;
    }
    return word;
}

QByteArray emailType(int code)
{
    switch (code) {
    case 0: return QByteArrayLiteral("internet,other");
    case 2: return QByteArrayLiteral("internet,work");
    case 4: return QByteArrayLiteral("internet,cell");
    default: return QByteArrayLiteral("internet");
    }
}

QByteArray relationType(int code)
{
    return wordFor(relationWords, code);
}

QByteArray addressType(int code)
{
    switch (code) {
    case 1: return QByteArrayLiteral("home");
    case 2: return QByteArrayLiteral("work");
    default: return QByteArrayLiteral("intl");
    }
}

QByteArray websiteType(int code)
{
    const QByteArray word = wordFor(websiteWords, code);
    return word.isEmpty() ? QByteArrayLiteral("other") : word;
}

QByteArray eventType(int code)
{
    return code == 1 ? QByteArrayLiteral("anniversary") : QByteArrayLiteral("other");
}

void TypeWords::add(QByteArrayView word)
{
    if (!word.isEmpty())
        m_words.append(word);
}

bool TypeWords::contains(QByteArrayView word) const
{
    for (QByteArrayView w : m_words) {
        if (asciicase::equals(w, word))
            return true;
    }
    return false;
}

int phoneCode(const TypeWords &words)
{
    const bool home = words.contains("home");
    const bool work = words.contains("work");
    if (words.contains("fax"))
        return home ? 5 : work ? 4 : 13;
    if (words.contains("cell"))
        return 2;
    if (words.contains("pager"))
        return 6;
    if (words.contains("car"))
        return 9;
    if (words.contains("isdn"))
        return 11;
    if (home)
        return 1;
    if (work)
        return 3;
    return 2;
}

int imProtocol(const TypeWords &words)
{
    return codeFor(imWords, words, -1);
}

int imTypeCode(const TypeWords &words)
{
    if (words.contains("work"))
        return 2;
    if (words.contains("home"))
        return 1;
    if (words.contains("other") || words.contains("x-other"))
        return 0;
    return 1;
}

int emailCode(const TypeWords &words)
{
    if (words.contains("work"))
        return 2;
    if (words.contains("home"))
        return 1;
    if (words.contains("cell") || words.contains("mobile") || words.contains("x-mobile"))
        return 4;
    if (words.contains("other") || words.contains("x-other"))
        return 0;
    return 1;
}

int relationCode(const TypeWords &words)
{
    return codeFor(relationWords, words, 0);
}

int addressCode(const TypeWords &words)
{
    if (words.contains("home"))
        return 1;
    if (words.contains("work"))
        return 2;
    return 0;
}

int websiteCode(const TypeWords &words)
{
    return codeFor(websiteWords, words, 0);
}

int eventCode(const TypeWords &words)
{
    return words.contains("anniversary") ? 1 : 0;
}

} // namespace vcardtypes
