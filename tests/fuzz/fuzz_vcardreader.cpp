// libFuzzer target: the vCard reader on arbitrary bytes.
//
// Besides "no crash, no sanitizer report", it checks that the tokenizer
// gives the same cards whether the text comes in one piece or in small
// pieces (the run-at-a-time fast paths must agree with the byte path), and
// that every contact read can be written again, the direct writer giving
// the same bytes as the serialized property list.

#include "files/asciicase.h"
#include "files/eventdate.h"
#include "files/vcardcontactbuilder.h"
#include "files/vcardexport.h"
#include "files/vcardimport.h"
#include "files/vcardstore.h"
#include "files/vcardtokenizer.h"

#include <QBuffer>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));

    const QList<VCard> whole = parseVCardText(bytes);

    VCardStore store;
    VCardTokenizer tokenizer(&VCardStore::propertyBegins, &VCardStore::valueReady, &VCardStore::propertyDropped,
                             &store);
    const qsizetype step = size ? 1 + data[0] % 7 : 1;
    for (qsizetype at = 0; at < bytes.size(); at += step)
        tokenizer.feed(QByteArrayView(bytes).sliced(at, qMin(step, bytes.size() - at)));
    tokenizer.feed(QByteArrayView(), true);
    store.finish();
    if (store.cardCount() != whole.size())
        std::abort();
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (store.card(i) != whole.at(i))
            std::abort();
    }

    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    VCardImport reader;
    reader.openDevice(buffer);
    VCardExport writer;
    while (reader.hasNext()) {
        const Contact contact = reader.next();
        const QByteArray card = writer.exportContact(contact);
        if (!card.startsWith("BEGIN:VCARD\r\n") || !card.endsWith("END:VCARD\r\n"))
            std::abort();
        // The direct writer and the property list agree.
        if (card != serializeCard(VCardExport::buildCard(contact)))
            std::abort();
    }
    if (reader.report().read() != reader.count())
        std::abort();

    // Dates and text escapes on the input as text; a stored date reads back
    // as itself, and unescaping never makes a text longer.
    const QString text = QString::fromUtf8(bytes);
    const QString date = EventDate::fromIso(text);
    if (!date.isEmpty() && EventDate::fromIso(date) != date)
        std::abort();
    if (VCardContactBuilder::unescapeText(text).size() > text.size())
        std::abort();

    // ASCII values unescaped and cut on their bytes read as when decoded
    // first, null and empty strings alike.
    if (asciicase::isAscii(bytes)) {
        const QString latin1 = QString::fromLatin1(bytes);
        const QString unescaped = VCardContactBuilder::unescapedAscii(bytes);
        const QString expected = VCardContactBuilder::unescapeText(latin1);
        if (unescaped != expected || unescaped.isNull() != expected.isNull())
            std::abort();
        const QStringList components = splitComponents(latin1);
        const qsizetype skip = size ? data[0] % 3 : 0;
        const QStringList ascii = VCardContactBuilder::asciiComponents(bytes, skip);
        if (ascii.size() != components.size())
            std::abort();
        for (qsizetype i = skip; i < components.size(); ++i) {
            if (ascii.at(i) != components.at(i) || ascii.at(i).isNull() != components.at(i).isNull())
                std::abort();
        }
    }
    return 0;
}
