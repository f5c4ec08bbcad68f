// Not a test: shows the contact editor on a contact with something of every
// kind and saves a picture of the whole screen, for looking at the dialog
// under a virtual display:
//     xvfb-run -a -s "-screen 0 1024x768x24" build/tests/contacts/editorshot shot.png [delay-ms]
#include "contacts/contactformat.h"
#include "contacts/editcontactform.h"
#include "contacts/entitykind.h"

#include <QApplication>
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

using namespace pim;

namespace {

Entity entity(std::initializer_list<std::pair<int, QString>> values)
{
    Entity e;
    for (const auto &[column, text] : values)
        e.setText(column, text);
    return e;
}

Contact sample()
{
    Contact c;
    c._id = 1;
    Entity name = entity({ { data5, "Dr." }, { data2, "Zoë" }, { data4, "" }, { data3, "Quinn-Ås" }, { data6, "" } });
    name.setText(data1, formatPersonName(name));
    c.fullName = name.text(data1);
    c.addEntity(ENTITY_NAME, name);
    QImage face(120, 120, QImage::Format_RGB32);
    face.fill(QColor(0x3B, 0x8E, 0xA5));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    face.save(&buffer, "JPG");
    Entity photo;
    photo.setValue(data15, bytes);
    c.addEntity(ENTITY_PHOTO, photo);
    c.addEntity(ENTITY_NICKNAME, entity({ { data1, "Zo" } }));
    c.addEntity(ENTITY_ORGANIZATION, entity({ { data1, "Acme" }, { data4, "Engineer" }, { data5, "R&D" } }));
    c.addEntity(ENTITY_PHONE, entity({ { data1, "+47 22 33 44 55" }, { data2, "2" } }));
    c.addEntity(ENTITY_PHONE, entity({ { data1, "+47 915 00 000" }, { data2, "0" }, { data3, "Boat" } }));
    c.addEntity(ENTITY_EMAIL, entity({ { data1, "zoe@example.org" }, { data2, "1" } }));
    c.addEntity(ENTITY_EVENT, entity({ { data1, "1990-05-17T00:00:00" }, { data2, "3" } }));
    c.addEntity(ENTITY_IM, entity({ { data1, "zoe@jabber.example" }, { data2, "1" }, { data5, "8" } }));
    c.addEntity(ENTITY_POSTAL_ADDRESS, entity({ { data2, "1" }, { data10, "Norway" }, { data8, "Oslo" },
                                                { data7, "Oslo" }, { data4, "Karl Johans gate 1" }, { data9, "0154" } }));
    c.addEntity(ENTITY_NOTE, entity({ { data1, "<b>Not bold</b> \u05e9\u05dc\u05d5\u05dd \U0001F600" } }));
    return c;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s picture.png [delay-ms]\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int delay = argc > 2 ? QByteArray(argv[2]).toInt() : 1500;
    QTranslator translator;
    if (translator.load(QStringLiteral(":/en.qm")))
        QCoreApplication::installTranslator(&translator);

    EditContactForm form(sample(), nullptr);
    form.move(40, 40);
    form.show();
    QTimer::singleShot(delay, &app, [&] {
        const bool saved = QGuiApplication::primaryScreen()->grabWindow(0).save(path)
            || form.grab().save(path);
        app.exit(saved ? 0 : 1);
    });
    return app.exec();
}
