#ifndef APP_CONTACTDISPLAYER_H
#define APP_CONTACTDISPLAYER_H

#include <QScrollArea>

// The contact card: a read-only view of one contact in a vertically
// scrolling area. Its content widget is replaced whenever the card changes.
class ContactDisplayer : public QScrollArea
{
    Q_OBJECT

public:
    explicit ContactDisplayer(QWidget *parent = nullptr);

    // Replaces the content by an empty widget; the old one is deleted later.
    void clearCard();
};

#endif
