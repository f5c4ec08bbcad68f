#include "panetestutil.h"

#include "contacts/contactformat.h"
#include "contacts/localdb.h"
#include "contacts/localdbcombinerule.h"

#include <QBuffer>
#include <QImage>

using namespace pim;

namespace panetest {

Entity entity(std::initializer_list<std::pair<int, QString>> values)
{
    Entity e;
    for (const auto &[column, text] : values)
        e.setText(column, text);
    return e;
}

Contact contact(const QString &fullName, std::initializer_list<std::pair<int, Entity>> entities)
{
    Contact c;
    c.fullName = fullName;
    c.addEntity(ENTITY_NAME, entity({{data1, fullName}, {data2, fullName}}));
    for (const auto &[kind, e] : entities)
        c.addEntity(kind, e);
    return c;
}

Entity photo(const QByteArray &bytes)
{
    Entity e;
    e.setValue(data15, bytes);
    return e;
}

QByteArray picture(const char *format, const QColor &color, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format))
        qFatal("cannot encode a %s picture", format);
    return bytes;
}

std::shared_ptr<LocalDb> makeDb(const QString &path, const QList<Contact> &contacts, const QStringList &groups)
{
    auto db = std::make_shared<LocalDb>(path, std::make_shared<LocalDbCombineRule>());
    db->create();
    db->beginTransaction();
    for (qsizetype i = 0; i < contacts.size(); ++i) {
        Contact c = contacts.at(i);
        db->insertContact(c);
        for (auto it = c.entities.begin(); it != c.entities.end(); ++it) {
            for (Entity &e : it.value())
                db->insertData(c._id, it.key(), e);
        }
        const QString group = groups.value(i);
        if (!group.isEmpty())
            db->setContactGroup(c._id, db->findOrCreateGroup(group), group);
    }
    db->endTransaction(true);
    db->close();
    return db;
}

} // namespace panetest
