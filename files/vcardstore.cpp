#include "files/vcardstore.h"

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

bool sameWord(QByteArrayView a, const char *b)
{
    return a.compare(QByteArrayView(b), Qt::CaseInsensitive) == 0;
}

} // namespace

VCardStore::Cursor::Cursor(const VCardStore &store, qsizetype card)
{
    const char *data = store.m_data.constData();
    if (card < 0 || card >= store.cardCount()) {
        m_at = m_end = data;
        return;
    }
    m_at = data + store.m_cardStarts[size_t(card)];
    m_end = card + 1 < store.cardCount() ? data + store.m_cardStarts[size_t(card + 1)]
                                         : data + store.m_data.size();
}

bool VCardStore::Cursor::next(Property &property)
{
    if (m_at >= m_end)
        return false;
    property.params.clear();
    qsizetype count = 0;
    if (!readBytes(m_at, m_end, property.name) || !readLength(m_at, m_end, count)) {
        m_at = m_end;
        return false;
    }
    for (qsizetype i = 0; i < count; ++i) {
        Parameter p;
        if (!readBytes(m_at, m_end, p.name) || !readBytes(m_at, m_end, p.value)) {
            m_at = m_end;
            return false;
        }
        property.params.append(p);
    }
    if (!readBytes(m_at, m_end, property.value)) {
        m_at = m_end;
        return false;
    }
    return true;
}

void VCardStore::reserve(qsizetype bytes)
{
    m_data.reserve(bytes);
}

void VCardStore::clear()
{
    m_data = QByteArray();
    m_cardStarts = std::vector<qsizetype>();
    m_inCard = m_inProperty = m_valuePending = false;
}

void VCardStore::appendLength(qsizetype length)
{
    auto value = quint64(length);
    while (value >= 0x80) {
        m_data.append(char((value & 0x7F) | 0x80));
        value >>= 7;
    }
    m_data.append(char(value));
}

void VCardStore::appendBytes(QByteArrayView bytes)
{
    appendLength(bytes.size());
    m_data.append(bytes.data(), bytes.size());
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
    if (sameWord(name, "BEGIN")) {
        self->m_cardStarts.push_back(self->m_data.size());
        self->m_inCard = true;
    } else if (sameWord(name, "END")) {
        self->m_inCard = false;
    } else if (self->m_inCard) {
        self->m_propertyStart = self->m_data.size();
        self->appendBytes(name);
        self->appendLength(count);
        for (qsizetype i = 0; i < count; ++i) {
            self->appendBytes(params[i].name);
            self->appendBytes(params[i].value);
        }
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
    if (self->m_inProperty)
        self->m_data.truncate(self->m_propertyStart);
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
