#ifndef APP_CONTACTDISPLAYER_H
#define APP_CONTACTDISPLAYER_H

#include "contacts/contact.h"

#include <QScrollArea>

class QLabel;
class QVBoxLayout;

// The contact card: a read-only view of one contact in a vertically
// scrolling area. The photo and the name block (nickname, job title,
// department, company) head the card; below them one section per kind of
// detail. Its content widget is replaced whenever the card changes and
// always spans the width of the area.
//
// A left click on a real photo offers to save the photo's bytes, unchanged,
// to a file.
//
// A very large contact (thousands of numbers, a note of hundreds of
// kilobytes) is shown in steps: the header and the first lines of each
// section at once, the remaining lines from the event loop a slice at a
// time, so the card shows at once and the window never freezes. A long note
// is shown in pieces split at line breaks, one label each.
class ContactDisplayer : public QScrollArea
{
    Q_OBJECT

public:
    explicit ContactDisplayer(QWidget *parent = nullptr);

    // Replaces the content by an empty widget; the old one is deleted later.
    void clearCard();
    // Rebuilds the content for the contact and keeps a copy of it.
    void showContact(const Contact &contact);

    [[nodiscard]] const Contact &shownContact() const { return m_contact; }
    // True while lines of the shown contact are still to be added.
    [[nodiscard]] bool hasPendingLines() const { return !m_pending.isEmpty(); }

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void installContent(QWidget *content);
    // Sizes the content to the visible width and the height it needs there.
    void fitContent();
    [[nodiscard]] QLabel *makePhotoLabel(const Contact &contact);
    void addSection(QVBoxLayout *layout, const QString &title, int kind, const QList<Entity> &entities,
                    int &budget);
    // Adds pending lines for a while, then comes back later for the rest.
    void addPendingLines();
    void savePhoto();

    Contact m_contact;

    // Lines not shown yet: their text, its format, the section they go to
    // and how many lines the text holds.
    struct PendingLine
    {
        QVBoxLayout *section;
        QString text;
        Qt::TextFormat format;
        int lines;
    };
    QList<PendingLine> m_pending;
    qsizetype m_nextPending = 0;
    // Counts the contents installed, so a slice knows its content is gone.
    quint64 m_generation = 0;
};

#endif
