#ifndef FILES_VCARDTYPES_H
#define FILES_VCARDTYPES_H

#include <QByteArray>
#include <QByteArrayView>
#include <QVarLengthArray>

// The TYPE values the vCard writer puts on its lines, and the matching the
// reader does the other way. Both sides share one table per kind so that
// the program's own files always read back to the codes they were written
// from.
namespace vcardtypes {

// The TYPE value written for a type code; empty where no TYPE is written.
[[nodiscard]] QByteArray phoneType(int code);        // TEL, by data2
[[nodiscard]] QByteArray imType(int protocol);       // X-IM, by data5
// X-IM, by data5 and data2: the protocol word, then "work" or "other" for
// those IM types (home, the default, adds nothing).
[[nodiscard]] QByteArray imType(int protocol, int imTypeCode);
// EMAIL, by data2: "internet", then "work", "other" or "cell" for those
// types (home, the default, adds nothing).
[[nodiscard]] QByteArray emailType(int code);
[[nodiscard]] QByteArray relationType(int code);     // X-REL, by data2
[[nodiscard]] QByteArray addressType(int code);      // ADR: home, work, else intl
[[nodiscard]] QByteArray websiteType(int code);      // URL: ..., else other
[[nodiscard]] QByteArray eventType(int code);        // X-EVENT: anniversary, else other

// The type words of one property: every comma-separated item of its TYPE
// parameters and the name of every parameter written without a value
// (vCard 2.1 writes TEL;WORK;VOICE). Compared without regard to ASCII case.
class TypeWords
{
public:
    void add(QByteArrayView word);
    [[nodiscard]] bool contains(QByteArrayView word) const;
    [[nodiscard]] bool isEmpty() const { return m_words.isEmpty(); }

private:
    QVarLengthArray<QByteArrayView, 8> m_words;
};

// Codes read from the type words. "pref", "voice", "internet" and unknown
// words carry no type; the defaults apply only when no known word is there.
[[nodiscard]] int phoneCode(const TypeWords &words);      // default 2 (mobile)
[[nodiscard]] int imProtocol(const TypeWords &words);     // -1 when none matches
[[nodiscard]] int imTypeCode(const TypeWords &words);     // work 2, other 0, else 1 (home)
[[nodiscard]] int emailCode(const TypeWords &words);      // work 2, home 1, cell/mobile 4, other 0; default 1
[[nodiscard]] int relationCode(const TypeWords &words);   // default 0
[[nodiscard]] int addressCode(const TypeWords &words);    // default 0
[[nodiscard]] int websiteCode(const TypeWords &words);    // default 0
[[nodiscard]] int eventCode(const TypeWords &words);      // 1 anniversary, else 0

} // namespace vcardtypes

#endif
