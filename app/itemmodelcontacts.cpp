#include "app/itemmodelcontacts.h"

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

void ItemModelContacts::setContacts(QList<Contact> contacts)
{
    beginResetModel();
    QList<Contact> old = std::exchange(m_contacts, std::move(contacts));
    // Index pointers refer to our own copy, never to storage the caller shares.
    m_contacts.detach();
    if (m_sortColumn >= 0 && m_contacts.size() > 1) {
        const QList<int> rows = sortedRows();
        QList<Contact> sorted;
        sorted.reserve(m_contacts.size());
        for (int row : rows)
            sorted.append(std::move(m_contacts[row]));
        m_contacts = std::move(sorted);
    }
    m_decorations.clear();
    endResetModel();
    dispose(std::move(old));
}

QList<int> ItemModelContacts::sortedRows() const
{
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
    QList<Contact> sorted;
    sorted.reserve(m_contacts.size());
    for (int position = 0; position < rows.size(); ++position) {
        newRowOf[rows.at(position)] = position;
        sorted.append(std::move(m_contacts[rows.at(position)]));
    }
    m_contacts = std::move(sorted);
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
    return &m_contacts[index.row()];
}

const Contact *ItemModelContacts::contactAt(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this || index.row() >= m_contacts.size())
        return nullptr;
    return &m_contacts.at(index.row());
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
    const QByteArray bytes = photo->bytes(data15);
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
    const QByteArray bytes = photo->bytes(data15);
    if (const Decoration *cached = m_decorations.object(row); cached && samePhoto(cached->photo, bytes))
        return cached->pixmap;
    auto *decoration = new Decoration{bytes, decorationFor(contact)};
    const QPixmap pixmap = decoration->pixmap;
    m_decorations.insert(row, decoration);
    return pixmap;
}
