#ifndef FILES_VCARDSTORE_H
#define FILES_VCARDSTORE_H

#include "files/vcardproperty.h"
#include "files/vcardtokenizer.h"

#include <QByteArray>
#include <QVarLengthArray>

#include <memory>
#include <vector>

// The cards of a parsed vCard file, packed into one byte array: the reader
// keeps a whole address book between open() and the last next(), and one
// allocation per card, property and parameter would cost several times the
// file's size.
//
// It is the tokenizer's receiver: BEGIN (in any letter case) starts a new
// card, END closes it, every other property inside a card is stored with
// all its parameters in file order; properties outside a card are dropped,
// and so is a property the tokenizer found broken.
// A card that was never closed is kept as it stands. A card inside a card
// (a vCard 2.1 AGENT) is a card of its own, and the lines after its END
// belong to the card around it again.
class VCardStore
{
public:
    struct Parameter
    {
        QByteArrayView name;
        QByteArrayView value;   // empty for a parameter without "="
    };
    struct Property
    {
        QByteArrayView name;
        QVarLengthArray<Parameter, 6> params;   // in file order, repeats kept
        QByteArrayView value;
    };

    // Walks the properties of one card. Views stay valid while the store
    // is neither changed nor destroyed.
    class Cursor
    {
    public:
        Cursor(const VCardStore &store, qsizetype card);
        bool next(Property &property);

    private:
        bool nextSegment();

        const VCardStore *m_store;
        qsizetype m_card;
        size_t m_resumed = 0;   // the first of the store's resumptions not looked at
        const char *m_at;
        const char *m_end;
    };

    // Room for about this many bytes of cards.
    void reserve(qsizetype bytes);
    void clear();

    // Tokenizer callbacks; `user` is the store.
    static void propertyBegins(void *user, QByteArrayView name, const VCardTokenizer::Parameter *params,
                               qsizetype count);
    static void valueReady(void *user, QByteArrayView value);
    static void propertyDropped(void *user);
    // Closes the last property once the tokenizer is done.
    void finish();

    [[nodiscard]] qsizetype cardCount() const { return qsizetype(m_cardStarts.size()); }
    // One card as property values (a parameter given twice keeps its last value).
    [[nodiscard]] VCard card(qsizetype index) const;

private:
    // Where the card's lines go on after a card nested in it ended.
    struct Resumption
    {
        qsizetype card;
        qsizetype start;
    };

    void closeProperty();
    // The end of the records that start at `start`: the next card or
    // resumption, or the end of the data.
    [[nodiscard]] qsizetype segmentEnd(qsizetype start, qsizetype card) const;
    char *room(qsizetype bytes);
    void appendLength(qsizetype length);
    void appendBytes(QByteArrayView bytes);

    // The records; a plain buffer, as appending is most of the work of open().
    std::unique_ptr<char[]> m_data;
    qsizetype m_size = 0;
    qsizetype m_capacity = 0;
    std::vector<qsizetype> m_cardStarts;
    std::vector<Resumption> m_resumptions;   // by start; none without nested cards
    std::vector<qsizetype> m_enclosing;      // cards around the current one
    qsizetype m_card = -1;                   // the current card
    bool m_resume = false;                   // its next line starts a resumption
    bool m_inCard = false;
    bool m_inProperty = false;      // the last record is the current property
    qsizetype m_propertyStart = 0;  // ... and starts here
    bool m_valuePending = false;    // ... and its value is not written yet
};

#endif
