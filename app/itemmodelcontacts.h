#ifndef APP_ITEMMODELCONTACTS_H
#define APP_ITEMMODELCONTACTS_H

#include "contacts/contact.h"

#include <QAbstractItemModel>
#include <QCache>
#include <QList>
#include <QPixmap>
#include <QThreadPool>

#include <functional>
#include <memory>
#include <optional>

class LocalDb;

// The contact list: one flat row per contact with the columns Name, Phone,
// E-Mail and Address, in the order it was given (the database search sorts
// by full name). Rows alternate between two background shades and are 25
// pixels high.
//
// The photo shown beside a name is decoded only when a view asks for it (that
// is, when the row is painted) and kept in a small cache, so setting a list of
// a hundred thousand contacts costs no decoding at all.
//
// A list read from a database is set as names only (LocalDb::
// searchContactNames); a row gets its outline (LocalDb::loadOutlineEntities:
// what the columns show, the photo's bytes left in the database) when it is
// first shown or resolved, and every row at once when the list is sorted by
// another column than the name or when contacts() is asked for. A hundred
// thousand contacts thus cost their names and what has been on screen.
// fullContact() loads the whole contact of a row from its database, for the
// card and for commands; the decoration loads photo bytes as rows are
// painted.
//
// A column-0 index carries a pointer to the stored record; commands that edit
// a contact in place work on it. The pointer is valid until the list is
// replaced, sorted or appended to; contactAt() resolves an index by its row
// instead.
//
// sort() reorders the list itself (rows stay direct positions in contacts()),
// moving persistent indexes, and so a view's selection, with their contacts.
// Once sorted, every new list is given the same order; appended contacts go
// to the end.
class ItemModelContacts : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Column {
        NameColumn = 0,
        PhoneColumn = 1,
        EmailColumn = 2,
        AddressColumn = 3,
    };

    explicit ItemModelContacts(QObject *parent = nullptr);
    ~ItemModelContacts() override;

    [[nodiscard]] int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    [[nodiscard]] int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    [[nodiscard]] QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    [[nodiscard]] QModelIndex parent(const QModelIndex &child) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role = Qt::DisplayRole) const override;

    // Sorts by a column's text, ignoring case; rows without a text go last
    // either way and rows of equal text keep their order. Column -1 keeps the
    // present order and stops sorting new lists.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    [[nodiscard]] int sortColumn() const { return m_sortColumn; }
    [[nodiscard]] Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // Replaces the list inside a model reset. `source` is the database the
    // contacts were read from, if any: its rows are then taken as names to
    // be given their outlines from it. The model keeps no reference that
    // would keep the database open.
    void setContacts(QList<Contact> contacts, const std::shared_ptr<LocalDb> &source = {});
    void clearContacts();
    // Tells whether the list's database may be in use on another thread
    // (by a running job); while it says so the model leaves the database
    // alone: photos show the empty picture and fullContact() gives the row.
    void setSourceInUse(std::function<bool()> inUse) { m_sourceInUse = std::move(inUse); }
    // Appends a copy as the new last row.
    void appendContact(const Contact &contact);
    // The column-0 index of a row; invalid for a row outside the list.
    [[nodiscard]] QModelIndex contactIndex(int row) const;

    // Every row with its outline (read from the database first if needed).
    [[nodiscard]] const QList<Contact> &contacts() const;
    // The stored contact of an index of this model (any column), or nullptr.
    [[nodiscard]] Contact *contactAt(const QModelIndex &index);
    [[nodiscard]] const Contact *contactAt(const QModelIndex &index) const;
    // The whole contact of a row: loaded by its id from the list's database,
    // or the stored record itself when the list has no database (or the
    // contact is no longer in it, or a job is using the database). An empty
    // contact for an index outside the list. Throws when the database cannot
    // be read.
    [[nodiscard]] Contact fullContact(const QModelIndex &index) const;

    // The texts of the Phone, E-Mail and Address columns: the first mobile
    // number (else the first number), the first e-mail, the first address.
    [[nodiscard]] static QString phoneText(const Contact &contact);
    [[nodiscard]] static QString emailText(const Contact &contact);
    [[nodiscard]] static QString addressText(const Contact &contact);
    // The picture beside a name: the contact's photo decoded as JPEG, else as
    // PNG, else the empty-contact picture; 18 pixels wide.
    [[nodiscard]] static QPixmap decorationFor(const Contact &contact);

private:
    [[nodiscard]] QPixmap cachedDecoration(int row) const;
    // Gives a row read as a name only its outline; false while the database
    // is out of reach (the row then shows as a name only).
    bool fillRow(int row) const;
    void fillAllRows() const;
    // Moves the rows (and their fill marks) into the order of `rows`.
    void reorder(const QList<int> &rows);
    [[nodiscard]] static QPixmap decode(const QByteArray &bytes);
    // The bytes of an outline's photo from the list's database; nothing while
    // the database is out of reach (gone, unreadable, or in use by a job).
    [[nodiscard]] std::optional<QByteArray> photoBytes(qint64 dataId) const;
    // The list's database while no job may be using it; null otherwise.
    [[nodiscard]] std::shared_ptr<LocalDb> reachableSource() const;
    [[nodiscard]] static QString columnText(const Contact &contact, int column);
    // The rows of the list in sorted order (old row numbers).
    [[nodiscard]] QList<int> sortedRows() const;
    // Frees a replaced list; a large one on a worker thread, since freeing a
    // hundred thousand contacts takes the better part of a second.
    void dispose(QList<Contact> &&old);

    QThreadPool m_disposer;
    // Filled in on demand by const accessors, hence mutable.
    mutable QList<Contact> m_contacts;
    // Rows still waiting for their outline, by row.
    mutable std::vector<bool> m_unfilled;
    mutable qsizetype m_unfilledCount = 0;
    std::weak_ptr<LocalDb> m_source;
    std::function<bool()> m_sourceInUse;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;

    // Decorations of rows painted lately, by row. The photo bytes (or, for
    // an outline, the photo's row id) are kept beside the picture so a
    // contact edited in place gets a new one.
    struct Decoration
    {
        qint64 photoId = 0;
        QByteArray photo;
        QPixmap pixmap;
    };
    mutable QCache<int, Decoration> m_decorations;
};

#endif
