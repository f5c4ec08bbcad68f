#ifndef TOOLS_PHONESIM_PHONECONTACTGENERATOR_H
#define TOOLS_PHONESIM_PHONECONTACTGENERATOR_H

#include "tools/phonesim/phonestore.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace phonesim {

// Realistic, deterministic phone contacts. Contact number i of a seed is the
// same whatever else is generated, so two phones filled with the same seed
// hold the same people (handy for merge and transfer tests).
//
// Names come in Latin (with diacritics), Cyrillic, Greek, Chinese, Japanese,
// Korean, Arabic, Hebrew, Devanagari, Thai and Vietnamese; contacts carry one
// to three phones, e-mails, addresses, organizations, events, notes, instant
// messaging accounts, websites, relations, nicknames and groups, and one in
// eight a small JPEG photo.
class PhoneContactGenerator
{
public:
    struct Row
    {
        int kind = 0;
        QStringList values; // as in PhoneRow; the group field holds the title
        QByteArray photo;
    };

    explicit PhoneContactGenerator(quint64 seed = 1);

    QList<Row> contact(int index) const;
    // Adds contacts first .. first + count - 1 to the store.
    void fill(PhoneStore &store, int first, int count) const;
    // A small JPEG, different for every index.
    static QByteArray photo(quint64 seed, int index);

private:
    quint64 m_seed;
};

} // namespace phonesim

#endif
