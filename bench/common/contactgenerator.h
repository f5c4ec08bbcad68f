#ifndef BENCH_COMMON_CONTACTGENERATOR_H
#define BENCH_COMMON_CONTACTGENERATOR_H

#include "contacts/contact.h"

#include <QList>

// Deterministic address books for the benchmarks. Every contact has a name,
// two phones, an e-mail, an address, an organization, an event, a note and a
// group; one in twenty carries a small JPEG photo; about 3% of the names
// repeat an earlier name.
class ContactGenerator
{
public:
    explicit ContactGenerator(quint32 seed = 20261207);

    [[nodiscard]] Contact next();
    [[nodiscard]] QList<Contact> generate(int count);

private:
    [[nodiscard]] quint32 random();
    [[nodiscard]] QString pick(const QStringList &list);

    quint32 m_state;
    int m_index = 0;
    QList<QString> m_names;   // names handed out so far, for the repeats
};

#endif
