#include "files/vcardstore.h"

#include "files/asciicase.h"

#include <algorithm>
#include <cstring>

// Record layout: length-prefixed name, parameter count, length-prefixed
// parameter names and values, length-prefixed value. Lengths are base-128
// varints, so short names cost one byte of overhead.

namespace {

bool readLength(const char *&at, const char *end, qsizetype &length)
{
    quint64 value = 0;
    for (int shift = 0; at < end && shift < 64; shift += 7) {
        const auto byte = static_cast<unsigned char>(*at++);
        value |= quint64(byte & 0x7F) << shift;
        if (!(byte & 0x80)) {
            length = qsizetype(value);
            return length >= 0 && length <= end - at;
        }
    }
    return false;
}

bool readBytes(const char *&at, const char *end, QByteArrayView &bytes)
{
    qsizetype length = 0;
    if (!readLength(at, end, length))
        return false;
    bytes = QByteArrayView(at, length);
    at += length;
    return true;
}


// Writers into room already made: a varint length, and length plus bytes.
char *putLength(char *out, qsizetype length)
{
    auto value = quint64(length);
    while (value >= 0x80) {
        *out++ = char((value & 0x7F) | 0x80);
        value >>= 7;
    }
    *out++ = char(value);
    return out;
}

char *putBytes(char *out, QByteArrayView bytes)
{
    out = putLength(out, bytes.size());
    if (!bytes.isEmpty())
        std::memcpy(out, bytes.data(), size_t(bytes.size()));
    return out + bytes.size();
}

} // namespace

VCardStore::Cursor::Cursor(const VCardStore &store, qsizetype card) : m_store(&store), m_card(card)
{
    const char *data = store.m_data.get();
    if (card < 0 || card >= store.cardCount()) {
        m_at = m_end = data;
        m_resumed = store.m_resumptions.size();
        return;
    }
    const qsizetype start = store.m_cardStarts[size_t(card)];
    m_at = data + start;
    m_end = data + store.segmentEnd(start, card);
    // The card's resumptions come after its start.
    m_resumed = size_t(std::lower_bound(store.m_resumptions.cbegin(), store.m_resumptions.cend(), start,
                                        [](const Resumption &r, qsizetype at) { return r.start < at; })
                       - store.m_resumptions.cbegin());
}

// Moves on to the card's next resumption, if it has one.
bool VCardStore::Cursor::nextSegment()
{
    const std::vector<Resumption> &resumptions = m_store->m_resumptions;
    while (m_resumed < resumptions.size()) {
        const Resumption &r = resumptions[m_resumed++];
        if (r.card == m_card) {
            m_at = m_store->m_data.get() + r.start;
            m_end = m_store->m_data.get() + m_store->segmentEnd(r.start, -1);
            return true;
        }
    }
    return false;
}

bool VCardStore::Cursor::next(Property &property)
{
    while (m_at >= m_end) {
        if (!nextSegment())
            return false;
    }
    qsizetype count = 0;
    if (!readBytes(m_at, m_end, property.name) || !readLength(m_at, m_end, count) || count > m_end - m_at) {
        m_at = m_end;
        return false;
    }
    property.params.resize(count);
    for (Parameter &p : property.params) {
        if (!readBytes(m_at, m_end, p.name) || !readBytes(m_at, m_end, p.value)) {
            m_at = m_end;
            return false;
        }
    }
    if (!readBytes(m_at, m_end, property.value)) {
        m_at = m_end;
        return false;
    }
    return true;
}

qsizetype VCardStore::segmentEnd(qsizetype start, qsizetype card) const
{
    qsizetype end = m_size;
    if (card >= 0) {
        // A card's own records end where the next card begins (which may
        // be at the same place, for an empty card).
        if (size_t(card + 1) < m_cardStarts.size())
            end = m_cardStarts[size_t(card + 1)];
    } else {
        const auto next = std::upper_bound(m_cardStarts.cbegin(), m_cardStarts.cend(), start);
        if (next != m_cardStarts.cend())
            end = qMin(end, *next);
    }
    if (!m_resumptions.empty()) {
        // Resumptions are in file order; an empty card ends where one begins.
        const auto before = [](const Resumption &r, qsizetype at) { return r.start < at; };
        const auto next = std::lower_bound(m_resumptions.cbegin(), m_resumptions.cend(),
                                           card >= 0 ? start : start + 1, before);
        if (next != m_resumptions.cend())
            end = qMin(end, next->start);
    }
    return end;
}

void VCardStore::reserve(qsizetype bytes)
{
    if (bytes > m_capacity) {
        std::unique_ptr<char[]> bigger(new char[size_t(bytes)]);
        if (m_size)
            std::memcpy(bigger.get(), m_data.get(), size_t(m_size));
        m_data = std::move(bigger);
        m_capacity = bytes;
    }
}

char *VCardStore::room(qsizetype bytes)
{
    if (m_size + bytes > m_capacity)
        reserve(qMax(m_capacity + m_capacity / 2, m_size + bytes + 4096));
    return m_data.get() + m_size;
}

void VCardStore::clear()
{
    m_data.reset();
    m_size = m_capacity = 0;
    m_cardStarts = std::vector<qsizetype>();
    m_resumptions.clear();
    m_enclosing.clear();
    m_card = -1;
    m_resume = false;
    m_inCard = m_inProperty = m_valuePending = false;
}

void VCardStore::appendLength(qsizetype length)
{
    m_size = putLength(room(10), length) - m_data.get();
}

void VCardStore::appendBytes(QByteArrayView bytes)
{
    m_size = putBytes(room(10 + bytes.size()), bytes) - m_data.get();
}

void VCardStore::closeProperty()
{
    if (m_valuePending)
        appendLength(0);
    m_valuePending = false;
    m_inProperty = false;
}

void VCardStore::propertyBegins(void *user, QByteArrayView name, const VCardTokenizer::Parameter *params,
                                qsizetype count)
{
    auto *self = static_cast<VCardStore *>(user);
    self->closeProperty();
    if (asciicase::equals(name, "BEGIN")) {
        if (self->m_inCard)
            self->m_enclosing.push_back(self->m_card);
        self->m_card = self->cardCount();
        self->m_cardStarts.push_back(self->m_size);
        self->m_inCard = true;
        self->m_resume = false;
    } else if (asciicase::equals(name, "END")) {
        self->m_inCard = !self->m_enclosing.empty();
        self->m_resume = self->m_inCard;
        if (self->m_inCard) {
            self->m_card = self->m_enclosing.back();
            self->m_enclosing.pop_back();
        }
    } else if (self->m_inCard) {
        if (self->m_resume) {
            self->m_resumptions.push_back(Resumption { self->m_card, self->m_size });
            self->m_resume = false;
        }
        self->m_propertyStart = self->m_size;
        // Room for the whole record head at once: ten bytes per length at most.
        qsizetype bytes = 20 + name.size();
        for (qsizetype i = 0; i < count; ++i)
            bytes += 20 + params[i].name.size() + params[i].value.size();
        char *out = putLength(putBytes(self->room(bytes), name), count);
        for (qsizetype i = 0; i < count; ++i)
            out = putBytes(putBytes(out, params[i].name), params[i].value);
        self->m_size = out - self->m_data.get();
        self->m_inProperty = true;
        self->m_valuePending = true;
    }
}

void VCardStore::valueReady(void *user, QByteArrayView value)
{
    auto *self = static_cast<VCardStore *>(user);
    if (self->m_inProperty && self->m_valuePending) {
        self->appendBytes(value);
        self->m_valuePending = false;
    }
}

void VCardStore::propertyDropped(void *user)
{
    auto *self = static_cast<VCardStore *>(user);
    if (self->m_inProperty) {
        self->m_size = self->m_propertyStart;
        // A resumption that would start with it starts with the next line.
        if (!self->m_resumptions.empty() && self->m_resumptions.back().start == self->m_size) {
            self->m_resumptions.pop_back();
            self->m_resume = true;
        }
    }
    self->m_inProperty = false;
    self->m_valuePending = false;
}

void VCardStore::finish()
{
    closeProperty();
}

VCard VCardStore::card(qsizetype index) const
{
    VCard result;
    Cursor cursor(*this, index);
    Property p;
    while (cursor.next(p)) {
        VCardProperty property(p.name.toByteArray(), p.value.toByteArray());
        for (const Parameter &param : p.params)
            property.setParam(param.name.toByteArray(), param.value.toByteArray());
        result.append(std::move(property));
    }
    return result;
}
