#ifndef BENCH_FILES_LAYOUTCSVGENERATOR_H
#define BENCH_FILES_LAYOUTCSVGENERATOR_H

#include <QByteArray>
#include <QIODevice>

// Deterministic address books in the CSV layouts of other programs, for the
// reader benchmark: Google Contacts (current layout, numbered groups,
// " ::: " lists, multi-line formatted addresses) and Outlook in English
// (92 columns, most of them empty, as Outlook writes them). Every contact
// has a name, a nickname, an organization, a birthday, a note (some with a
// comma, a quote and a line break), groups, e-mails, phones, an address, a
// web page and, for Google, an IM address and a relation.
class LayoutCsvGenerator
{
public:
    enum class Layout { Google, Outlook };

    explicit LayoutCsvGenerator(Layout layout, quint32 seed = 20261208);

    // Writes the header and `count` rows; returns the bytes written.
    qint64 write(QIODevice &device, int count);

private:
    [[nodiscard]] quint32 random();
    [[nodiscard]] QByteArray header() const;
    [[nodiscard]] QByteArray row(int index);

    Layout m_layout;
    quint32 m_state;
};

#endif
