#include "app/itemmodelcontacts.h"

#include "contacts/localdb.h"

#include <QBrush>
#include <QCollator>
#include <QColor>
#include <QImage>
#include <QSize>

#include <algorithm>
#include <numeric>

using namespace pim;

namespace {

constexpr int columnTotal = 4;
constexpr int rowHeight = 25;
constexpr int decorationWidth = 18;
// Enough for several screens of rows; one entry is about 1.3 KB.
constexpr int decorationCacheRows = 2000;
// Replaced lists at least this long are freed on the worker thread.
constexpr qsizetype disposeInBackground = 2000;
// The mobile phone type code.
constexpr int mobilePhoneType = 2;

const QPixmap &emptyContactDecoration()
{
    static const QPixmap pixmap =
        QPixmap(QStringLiteral(":res/empty_contact.png")).scaledToWidth(decorationWidth, Qt::SmoothTransformation);
    return pixmap;
}

bool samePhoto(const QByteArray &a, const QByteArray &b)
{
    // Usually the very same shared bytes; compare contents only when not.
    return (a.constData() == b.constData() && a.size() == b.size()) || a == b;
}

} // namespace

ItemModelContacts::ItemModelContacts(QObject *parent)
    : QAbstractItemModel(parent)
    , m_decorations(decorationCacheRows)
{
    m_disposer.setMaxThreadCount(1);
}

ItemModelContacts::~ItemModelContacts() = default;

int ItemModelContacts::columnCount(const QModelIndex &) const
{
    return columnTotal;
}

int ItemModelContacts::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_contacts.size());
}

QModelIndex ItemModelContacts::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return QModelIndex();
    if (column != NameColumn)
        return createIndex(row, column);
    // The list was detached when it was set, so this is our own record.
    return createIndex(row, column, const_cast<Contact *>(&m_contacts.at(row)));
}

QModelIndex ItemModelContacts::parent(const QModelIndex &) const
{
    return QModelIndex();
}

QVariant ItemModelContacts::data(const QModelIndex &index, int role) const
{
    const Contact *contact = contactAt(index);
    if (!contact)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return columnText(*contact, index.column());
    case Qt::DecorationRole:
        if (index.column() != NameColumn)
            return QVariant();
        return cachedDecoration(index.row());
    case Qt::BackgroundRole:
        return index.row() % 2 == 0 ? QBrush(QColor(250, 250, 250)) : QBrush(QColor(255, 255, 255));
    case Qt::SizeHintRole:
        return QSize(0, rowHeight);
    default:
        return QVariant();
    }
}

QVariant ItemModelContacts::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    // The English texts are the headers themselves; other languages
    // translate them.
    switch (section) {
    case NameColumn:
        return tr("Name");
    case PhoneColumn:
        return tr("Phone");
    case EmailColumn:
        return tr("E-Mail");
    case AddressColumn:
        return tr("Address");
    default:
        return QVariant();
    }
}

QString ItemModelContacts::columnText(const Contact &contact, int column)
{
    switch (column) {
    case NameColumn:
        return contact.fullName;
    case PhoneColumn:
        return phoneText(contact);
    case EmailColumn:
        return emailText(contact);
    case AddressColumn:
        return addressText(contact);
    default:
        return QString();
    }
}

void ItemModelContacts::setContacts(QList<Contact> contacts, const std::shared_ptr<LocalDb> &source)
{
    beginResetModel();
    m_source = source;
    QList<Contact> old = std::exchange(m_contacts, std::move(contacts));
    // Index pointers refer to our own copy, never to storage the caller shares.
    m_contacts.detach();
    m_unfilled.assign(size_t(m_contacts.size()), source != nullptr);
    m_unfilledCount = source ? m_contacts.size() : 0;
    if (m_sortColumn >= 0 && m_contacts.size() > 1)
        reorder(sortedRows());
    m_decorations.clear();
    endResetModel();
    dispose(std::move(old));
}

void ItemModelContacts::reorder(const QList<int> &rows)
{
    QList<Contact> sorted;
    sorted.reserve(m_contacts.size());
    std::vector<bool> unfilled(m_unfilled.size());
    for (qsizetype position = 0; position < rows.size(); ++position) {
        sorted.append(std::move(m_contacts[rows.at(position)]));
        unfilled[size_t(position)] = m_unfilled[size_t(rows.at(position))];
    }
    m_contacts = std::move(sorted);
    m_unfilled = std::move(unfilled);
}

bool ItemModelContacts::fillRow(int row) const
{
    if (!m_unfilled[size_t(row)])
        return true;
    const std::shared_ptr<LocalDb> source = reachableSource();
    if (!source)
        return false;
    Contact &contact = m_contacts[row];
    try {
        contact.entities = source->loadOutlineEntities(contact._id);
    } catch (const std::exception &) {
        // Painting cannot report; the row shows its name only for now.
        return false;
    }
    m_unfilled[size_t(row)] = false;
    --m_unfilledCount;
    return true;
}

void ItemModelContacts::fillAllRows() const
{
    if (m_unfilledCount == 0)
        return;
    const std::shared_ptr<LocalDb> source = reachableSource();
    if (!source)
        return;
    QList<qint64> ids;
    ids.reserve(m_unfilledCount);
    for (qsizetype row = 0; row < m_contacts.size(); ++row) {
        if (m_unfilled[size_t(row)])
            ids.append(m_contacts.at(row)._id);
    }
    QHash<qint64, Contact::EntityMap> outlines;
    try {
        outlines = source->loadOutlineEntities(ids);
    } catch (const std::exception &) {
        return;
    }
    for (qsizetype row = 0; row < m_contacts.size(); ++row) {
        if (m_unfilled[size_t(row)]) {
            m_contacts[row].entities = outlines.take(m_contacts.at(row)._id);
            m_unfilled[size_t(row)] = false;
        }
    }
    m_unfilledCount = 0;
}

const QList<Contact> &ItemModelContacts::contacts() const
{
    fillAllRows();
    return m_contacts;
}

QList<int> ItemModelContacts::sortedRows() const
{
    // Only the name is there before the outline.
    if (m_sortColumn != NameColumn)
        fillAllRows();
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const int count = int(m_contacts.size());
    QList<QCollatorSortKey> keys;
    QList<bool> blank;
    keys.reserve(count);
    blank.reserve(count);
    for (const Contact &contact : m_contacts) {
        const QString text = columnText(contact, m_sortColumn);
        // Folded first: not every collation the system offers ignores case.
        keys.append(collator.sortKey(text.toCaseFolded()));
        blank.append(text.isEmpty());
    }
    QList<int> rows(count);
    std::iota(rows.begin(), rows.end(), 0);
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        if (blank.at(a) != blank.at(b))
            return blank.at(b);
        const int order = keys.at(a).compare(keys.at(b));
        return descending ? order > 0 : order < 0;
    });
    return rows;
}

void ItemModelContacts::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= columnTotal) {
        m_sortColumn = -1;
        return;
    }
    m_sortColumn = column;
    m_sortOrder = order;
    if (m_contacts.size() < 2)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QList<int> rows = sortedRows();
    QList<int> newRowOf(rows.size());
    for (int position = 0; position < rows.size(); ++position)
        newRowOf[rows.at(position)] = position;
    reorder(rows);
    m_decorations.clear();
    // Column-0 indexes carry the record's new address.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &old : before)
        after.append(index(newRowOf.at(old.row()), old.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ItemModelContacts::dispose(QList<Contact> &&old)
{
    if (old.size() < disposeInBackground) {
        old.clear();
        return;
    }
    // Contacts hold only implicitly shared Qt values and standard
    // containers: the last reference may go on any thread.
    m_disposer.start([list = std::move(old)]() mutable { list.clear(); });
}

void ItemModelContacts::clearContacts()
{
    setContacts(QList<Contact>());
}

void ItemModelContacts::appendContact(const Contact &contact)
{
    const int row = int(m_contacts.size());
    beginInsertRows(QModelIndex(), row, row);
    m_contacts.append(contact);
    m_unfilled.push_back(false);
    endInsertRows();
}

QModelIndex ItemModelContacts::contactIndex(int row) const
{
    return index(row, NameColumn);
}

Contact *ItemModelContacts::contactAt(const QModelIndex &index)
{
    if (!index.isValid() || index.model() != this || index.row() >= m_contacts.size())
        return nullptr;
    fillRow(index.row());
    return &m_contacts[index.row()];
}

const Contact *ItemModelContacts::contactAt(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this || index.row() >= m_contacts.size())
        return nullptr;
    fillRow(index.row());
    return &m_contacts.at(index.row());
}

std::shared_ptr<LocalDb> ItemModelContacts::reachableSource() const
{
    // A job may be reading or writing the database on its own thread.
    if (m_sourceInUse && m_sourceInUse())
        return {};
    return m_source.lock();
}

Contact ItemModelContacts::fullContact(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this || index.row() >= m_contacts.size())
        return Contact();
    const Contact *row = &m_contacts.at(index.row());
    const std::shared_ptr<LocalDb> source = row->_id != 0 ? reachableSource() : nullptr;
    if (!source)
        return *row;
    Contact full = source->loadContact(row->_id);
    return full._id != 0 ? full : *row;
}

std::optional<QByteArray> ItemModelContacts::photoBytes(qint64 dataId) const
{
    const std::shared_ptr<LocalDb> source = reachableSource();
    if (!source)
        return std::nullopt;
    try {
        return source->loadPhotoBytes(dataId);
    } catch (const std::exception &) {
        // Painting cannot report; the row shows the empty picture.
        return std::nullopt;
    }
}

QString ItemModelContacts::phoneText(const Contact &contact)
{
    const QList<Entity> &phones = contact.entitiesOf(ENTITY_PHONE);
    for (const Entity &phone : phones) {
        if (phone.toInt(data2) == mobilePhoneType)
            return phone.text(data1);
    }
    return phones.isEmpty() ? QString() : phones.first().text(data1);
}

QString ItemModelContacts::emailText(const Contact &contact)
{
    const Entity *email = contact.firstEntity(ENTITY_EMAIL);
    return email ? email->text(data1) : QString();
}

QString ItemModelContacts::addressText(const Contact &contact)
{
    const Entity *address = contact.firstEntity(ENTITY_POSTAL_ADDRESS);
    return address ? address->text(data1) : QString();
}

QPixmap ItemModelContacts::decorationFor(const Contact &contact)
{
    const Entity *photo = contact.firstEntity(ENTITY_PHOTO);
    if (!photo)
        return emptyContactDecoration();
    return decode(photo->bytes(data15));
}

QPixmap ItemModelContacts::decode(const QByteArray &bytes)
{
    QImage image;
    if (!image.loadFromData(bytes, "JPG") && !image.loadFromData(bytes, "PNG"))
        return emptyContactDecoration();
    return QPixmap::fromImage(image.scaledToWidth(decorationWidth, Qt::SmoothTransformation));
}

QPixmap ItemModelContacts::cachedDecoration(int row) const
{
    const Contact &contact = m_contacts.at(row);
    const Entity *photo = contact.firstEntity(ENTITY_PHOTO);
    if (!photo)
        return emptyContactDecoration();
    const Decoration *cached = m_decorations.object(row);
    if (!photo->has(data15) && photo->_id != 0) {
        // An outline: the bytes stay in the database until the row shows.
        if (cached && cached->photoId == photo->_id && cached->photo.isNull())
            return cached->pixmap;
        const std::optional<QByteArray> bytes = photoBytes(photo->_id);
        if (!bytes)
            return emptyContactDecoration();
        auto *decoration = new Decoration{photo->_id, QByteArray(), decode(*bytes)};
        const QPixmap pixmap = decoration->pixmap;
        m_decorations.insert(row, decoration);
        return pixmap;
    }
    const QByteArray bytes = photo->bytes(data15);
    if (cached && !cached->photo.isNull() && samePhoto(cached->photo, bytes))
        return cached->pixmap;
    auto *decoration = new Decoration{0, bytes, decode(bytes)};
    const QPixmap pixmap = decoration->pixmap;
    m_decorations.insert(row, decoration);
    return pixmap;
}
