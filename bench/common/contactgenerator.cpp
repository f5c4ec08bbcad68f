#include "bench/common/contactgenerator.h"

#include "contacts/contactformat.h"

#include <QBuffer>
#include <QDateTime>
#include <QImage>
#include <QPainter>

using namespace pim;

namespace {

const QStringList &firstNames()
{
    static const QStringList names { "Ann", "Bob", "Chloé", "David", "Eva", "Farid", "Greta", "Hiro", "Ines",
                                     "Jamal", "Kasia", "Liam", "Mei", "Nora", "Omar", "Pia", "Quentin", "Rosa",
                                     "Sven", "Tomás", "Uma", "Viktor", "Wen", "Ximena", "Yusuf", "Zoë" };
    return names;
}

const QStringList &lastNames()
{
    static const QStringList names { "Anders", "Brown", "Castro", "Dubois", "Eriksen", "Fischer", "García",
                                     "Huang", "Ivanova", "Jones", "Kowalski", "López", "Müller", "Nakamura",
                                     "O'Brien", "Petrov", "Quinn", "Rossi", "Schmidt", "Tanaka", "Ullah",
                                     "Vasquez", "Weber", "Xu", "Yilmaz", "Zhang" };
    return names;
}

const QStringList &cities()
{
    static const QStringList names { "Springfield", "Lyon", "Kraków", "Osaka", "Porto", "Leeds", "Graz", "Cork" };
    return names;
}

QByteArray smallJpeg()
{
    static const QByteArray bytes = [] {
        QImage image(48, 48, QImage::Format_RGB32);
        image.fill(QColor(90, 140, 200));
        QPainter painter(&image);
        painter.setBrush(QColor(240, 200, 160));
        painter.drawEllipse(12, 8, 24, 24);
        painter.end();
        QByteArray data;
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPG", 80);
        return data;
    }();
    return bytes;
}

Entity typed(const QString &value, int type)
{
    Entity e;
    e.setText(data1, value);
    e.setText(data2, QString::number(type));
    return e;
}

} // namespace

ContactGenerator::ContactGenerator(quint32 seed)
    : m_state(seed ? seed : 1)
{
}

quint32 ContactGenerator::random()
{
    // xorshift32: fast and the same on every machine.
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return m_state;
}

QString ContactGenerator::pick(const QStringList &list)
{
    return list.at(int(random() % quint32(list.size())));
}

Contact ContactGenerator::next()
{
    const int i = m_index++;
    Contact c;

    Entity name;
    if (!m_names.isEmpty() && random() % 100 < 3) {
        const QStringList parts = m_names.at(int(random() % quint32(m_names.size()))).split(QLatin1Char(' '));
        name.setText(data2, parts.value(0));
        name.setText(data3, parts.mid(1).join(QLatin1Char(' ')));
    } else {
        name.setText(data2, pick(firstNames()));
        name.setText(data3, pick(lastNames()) + QLatin1Char(' ') + QString::number(i));
    }
    name.setText(data1, formatPersonName(name));
    c.fullName = name.text(data1);
    m_names.append(c.fullName);
    c.addEntity(ENTITY_NAME, name);

    if (i % 20 == 0) {
        Entity photo;
        photo.setValue(data15, smallJpeg());
        c.addEntity(ENTITY_PHOTO, photo);
    }
    const QString number = QStringLiteral("+1 555 %1").arg(i, 7, 10, QLatin1Char('0'));
    c.addEntity(ENTITY_PHONE, typed(number, 2));
    c.addEntity(ENTITY_PHONE, typed(QStringLiteral("+1 444 %1").arg(i, 7, 10, QLatin1Char('0')), 1));

    const QString first = name.text(data2).toLower();
    c.addEntity(ENTITY_EMAIL, typed(QStringLiteral("%1.%2@example.org").arg(first).arg(i), 1));

    Entity address;
    address.setText(data2, QStringLiteral("1"));
    address.setText(data4, QStringLiteral("%1 Market Street").arg(1 + random() % 400));
    address.setText(data7, pick(cities()));
    address.setText(data9, QString::number(10000 + random() % 89999));
    address.setText(data10, QStringLiteral("Utopia"));
    address.setText(data1, formatPostalAddress(address));
    c.addEntity(ENTITY_POSTAL_ADDRESS, address);

    Entity org;
    org.setText(data1, QStringLiteral("Company %1").arg(random() % 500));
    org.setText(data2, QStringLiteral("1"));
    org.setText(data4, QStringLiteral("Engineer"));
    org.setText(data5, QStringLiteral("R&D"));
    c.addEntity(ENTITY_ORGANIZATION, org);

    const QDate birthday = QDate(1950, 1, 1).addDays(qint64(random() % 20000));
    c.addEntity(ENTITY_EVENT, typed(birthday.startOfDay().toString(Qt::ISODate), 3));

    Entity note;
    note.setText(data1, QStringLiteral("Met at the conference, table %1.\nCall back after the holidays.").arg(i % 97));
    c.addEntity(ENTITY_NOTE, note);

    Entity group;
    const int g = int(random() % 5);
    group.setValue(data1, qint64(g + 1));
    group.setText(data2, QStringLiteral("Group %1").arg(g + 1));
    c.addEntity(ENTITY_GROUP_MEMBERSHIP, group);
    return c;
}

QList<Contact> ContactGenerator::generate(int count)
{
    QList<Contact> contacts;
    contacts.reserve(count);
    for (int n = 0; n < count; ++n)
        contacts.append(next());
    return contacts;
}
