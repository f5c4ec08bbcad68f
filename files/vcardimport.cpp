#include "files/vcardimport.h"

#include "files/vcardcontactbuilder.h"
#include "files/vcardtokenizer.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringDecoder>

#include <stdexcept>

namespace {

constexpr qint64 chunkSize = 256 * 1024;

enum class TextForm { Bytes, Utf8WithBom, Utf16BE, Utf16LE };

// vCards are byte text; only a byte-order mark or the zero bytes of UTF-16
// ("\0B\0E\0G..." for BEGIN) tell the other forms apart.
TextForm detectTextForm(QByteArrayView start)
{
    const auto at = [start](qsizetype i) { return static_cast<unsigned char>(start.at(i)); };
    if (start.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF)
        return TextForm::Utf8WithBom;
    if (start.size() >= 2 && at(0) == 0xFE && at(1) == 0xFF)
        return TextForm::Utf16BE;
    if (start.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE)
        return TextForm::Utf16LE;
    if (start.size() >= 4 && at(0) == 0 && at(1) != 0 && at(2) == 0 && at(3) != 0)
        return TextForm::Utf16BE;
    if (start.size() >= 4 && at(0) != 0 && at(1) == 0 && at(2) != 0 && at(3) == 0)
        return TextForm::Utf16LE;
    return TextForm::Bytes;
}

// Carriage returns and not one line feed in the first piece of the file.
bool endsLinesWithCarriageReturns(QByteArrayView start)
{
    return start.contains('\r') && !start.contains('\n');
}

QByteArray readRest(QIODevice &device)
{
    QByteArray rest;
    QByteArray chunk(chunkSize, Qt::Uninitialized);
    for (;;) {
        const qint64 n = device.read(chunk.data(), chunkSize);
        if (n < 0)
            throw std::runtime_error(device.errorString().toStdString());
        if (n == 0)
            return rest;
        rest.append(chunk.constData(), qsizetype(n));
    }
}

} // namespace

void VCardImport::open(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(file.errorString().toStdString());
    openDevice(file);
    file.close();
}

void VCardImport::openDevice(QIODevice &device)
{
    m_report.clear();
    m_cards.clear();
    m_cursor = 0;
    if (!device.isSequential() && device.size() > 0)
        m_cards.reserve(qsizetype(device.size()));

    VCardTokenizer tokenizer(&VCardStore::propertyBegins, &VCardStore::valueReady, &VCardStore::propertyDropped,
                             &m_cards);
    const qint64 left = device.isSequential() ? chunkSize : device.size() - device.pos() + 1;
    QByteArray chunk(qsizetype(qBound<qint64>(16, left, chunkSize)), Qt::Uninitialized);
    bool first = true;
    // Lines ended by a carriage return alone (classic Mac OS): the tokenizer
    // ends lines at line feeds, so every carriage return becomes one.
    bool crOnly = false;
    for (;;) {
        const qint64 n = device.read(chunk.data(), chunk.size());
        if (n < 0)
            throw std::runtime_error(device.errorString().toStdString());
        if (n == 0)
            break;
        QByteArrayView bytes(chunk.constData(), qsizetype(n));
        if (first) {
            first = false;
            const TextForm form = detectTextForm(bytes);
            if (form == TextForm::Utf8WithBom) {
                bytes = bytes.sliced(3);
            } else if (form == TextForm::Utf16BE || form == TextForm::Utf16LE) {
                const QByteArray all = bytes.toByteArray() + readRest(device);
                QStringDecoder decoder(form == TextForm::Utf16BE ? QStringDecoder::Utf16BE
                                                                 : QStringDecoder::Utf16LE);
                QByteArray text = QString(decoder.decode(all)).toUtf8();
                if (endsLinesWithCarriageReturns(text))
                    text.replace('\r', '\n');
                tokenizer.feed(text);
                break;
            }
            crOnly = endsLinesWithCarriageReturns(bytes);
        }
        if (crOnly) {
            const qsizetype offset = bytes.data() - chunk.constData();
            chunk.replace('\r', '\n');
            bytes = QByteArrayView(chunk.constData() + offset, qsizetype(n) - offset);
        }
        tokenizer.feed(bytes);
    }
    tokenizer.feed(QByteArrayView(), true);
    m_cards.finish();
    m_report.setFormat(QStringLiteral("vCard"));
    if (tokenizer.errorCount())
        m_report.addNotKept(QCoreApplication::translate("ImportReport", "IDS_IMPORT_NOT_KEPT_BROKEN_PROPERTY"),
                            tokenizer.errorCount());
}

qsizetype VCardImport::count() const
{
    return m_cards.cardCount();
}

bool VCardImport::hasNext() const
{
    return m_cursor < m_cards.cardCount();
}

Contact VCardImport::next()
{
    if (!hasNext())
        return Contact();
    m_report.addRead();
    return VCardContactBuilder::build(m_cards, m_cursor++, &m_report);
}

void VCardImport::close()
{
}

QList<VCard> parseVCardText(QByteArrayView bytes)
{
    VCardStore store;
    store.reserve(bytes.size());
    VCardTokenizer tokenizer(&VCardStore::propertyBegins, &VCardStore::valueReady, &VCardStore::propertyDropped,
                             &store);
    tokenizer.feed(bytes, true);
    store.finish();
    QList<VCard> cards;
    cards.reserve(store.cardCount());
    for (qsizetype i = 0; i < store.cardCount(); ++i)
        cards.append(store.card(i));
    return cards;
}

QString decodePropertyText(const VCardProperty &property)
{
    const QByteArray *charset = property.findParamIgnoringCase("CHARSET");
    return VCardContactBuilder::decodeText(property.value, charset ? QByteArrayView(*charset) : QByteArrayView());
}

QStringList splitComponents(const QString &text)
{
    QStringList components;
    const QChar *const begin = text.constData();
    const QChar *const end = begin + text.size();
    qsizetype separators = 0;
    bool escapes = false;
    for (const QChar *at = begin; at < end; ++at) {
        separators += *at == u';';
        escapes |= *at == u'\\';
    }
    if (!escapes) {
        // The common case: cut at every ";", into a list sized once.
        const bool lastEmpty = end == begin || end[-1] == u';';
        components.resize(separators + (lastEmpty ? 0 : 1));
        QString *out = components.data();
        const QChar *start = begin;
        for (const QChar *at = begin; at < end; ++at) {
            if (*at == u';') {
                *out++ = QString(start, at - start);
                start = at + 1;
            }
        }
        if (start < end)
            *out = QString(start, end - start);
        return components;
    }
    components.reserve(separators + 1);
    const QChar *at = begin;
    while (at < end) {
        // One component: up to the next ";" that no backslash escapes. It is
        // never longer than the text it is read from, so it is written into
        // a string sized once; an empty one is a null string.
        const QChar *stop = at;
        while (stop < end && *stop != u';')
            stop += *stop == u'\\' && end - stop > 1 ? 2 : 1;
        QString component;
        if (stop > at) {
            component.resize(stop - at);
            QChar *out = component.data();
            for (const QChar *in = at; in < stop; ++in) {
                if (*in != u'\\') {
                    *out++ = *in;
                } else if (++in < stop) {
                    // the backslash itself is dropped and the next character
                    // taken as it is; "\n" is a line break
                    *out++ = *in == u'n' || *in == u'N' ? QChar(u'\n') : *in;
                }
            }
            const qsizetype length = out - component.constData();
            if (length == 0)
                component = QString();
            else
                component.truncate(length);
        }
        if (stop == end) {
            if (!component.isEmpty())
                components.append(std::move(component));
            break;
        }
        components.append(std::move(component));
        at = stop + 1;
    }
    return components;
}
