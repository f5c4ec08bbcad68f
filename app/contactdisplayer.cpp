#include "app/contactdisplayer.h"

ContactDisplayer::ContactDisplayer(QWidget *parent)
    : QScrollArea(parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    clearCard();
}

void ContactDisplayer::clearCard()
{
    if (QWidget *old = takeWidget())
        old->deleteLater();
    setWidget(new QWidget);
}
