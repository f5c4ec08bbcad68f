#ifndef BENCH_FILES_THIRDPARTYVCARDGENERATOR_H
#define BENCH_FILES_THIRDPARTYVCARDGENERATOR_H

#include <QByteArray>
#include <QIODevice>

// Deterministic address books shaped like the vCard 3.0 files that Google
// Contacts and Android phones export, for the reader benchmark: CRLF line
// ends, lines folded at 75 octets (never inside a UTF-8 sequence), custom
// labels as "item1." groups with X-ABLabel, TYPE lists in both forms
// (TYPE=CELL,VOICE and TYPE=HOME;TYPE=PREF), escaped commas, semicolons
// and line breaks in NOTE, ADR and ORG, addresses with all seven parts,
// ORG/TITLE, BDAY (some without a year), URL, CATEGORIES, X-PHONETIC-* and
// X-ANDROID-CUSTOM on some cards, and a base64 JPEG photo
// (ENCODING=b;TYPE=JPEG, folded) on one card in twenty.
class ThirdPartyVCardGenerator
{
public:
    explicit ThirdPartyVCardGenerator(quint32 seed = 20261208);

    // Writes `count` cards; returns the bytes written.
    qint64 write(QIODevice &device, int count);

private:
    [[nodiscard]] quint32 random();
    [[nodiscard]] QByteArray card(int index);
    [[nodiscard]] QByteArray photo();

    quint32 m_state;
};

#endif
