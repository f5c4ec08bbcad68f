// Not a test: a picture of the main window at work, for looking at the panes
// under a virtual display. Two sample local databases are written to the data
// folder (below $HOME, so point HOME at a scratch folder), the window starts
// maximized, a database and one of its groups are selected, a keyword is
// searched and a contact is shown on the card:
//     HOME=$(mktemp -d) xvfb-run -s "-screen 0 1280x800x24" build/tests/app/panesshot shot.png [delay-ms]
#include "app/itemmodelmaintree.h"
#include "app/mainwindow.h"
#include "app/mytreeview.h"
#include "app/platform.h"
#include "contacts/contactformat.h"
#include "contacts/localdb.h"
#include "contacts/localdbcombinerule.h"

#include <QApplication>
#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>

#include <cstdio>

using namespace pim;

namespace {

Entity values(std::initializer_list<std::pair<int, QString>> list)
{
    Entity e;
    for (const auto &[column, text] : list)
        e.setText(column, text);
    return e;
}

// A head-and-shoulders portrait on a soft background, as a phone's camera
// picture would be stored.
QByteArray portrait(const QColor &background, const QColor &shirt, const QColor &hair)
{
    QImage image(240, 240, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient back(0, 0, 0, 240);
    back.setColorAt(0, background.lighter(130));
    back.setColorAt(1, background);
    p.fillRect(image.rect(), back);
    p.setPen(Qt::NoPen);
    p.setBrush(shirt);
    p.drawEllipse(QRectF(30, 165, 180, 150));
    p.setBrush(QColor(232, 190, 160));
    p.drawRect(QRectF(102, 130, 36, 45));
    p.drawEllipse(QRectF(72, 50, 96, 110));
    p.setBrush(hair);
    QPainterPath top;
    top.moveTo(70, 100);
    top.cubicTo(66, 30, 174, 30, 170, 100);
    top.cubicTo(150, 70, 100, 66, 70, 100);
    p.drawPath(top);
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 88);
    return bytes;
}

struct Person
{
    QString first, last, mobile, email, city, company, title, group;
};

Contact makeContact(const Person &who)
{
    Contact c;
    Entity name = values({{data2, who.first}, {data3, who.last}});
    name.setText(data1, formatPersonName(name));
    c.fullName = name.text(data1);
    c.addEntity(ENTITY_NAME, name);
    c.addEntity(ENTITY_PHONE, values({{data1, who.mobile}, {data2, QStringLiteral("2")}}));
    c.addEntity(ENTITY_EMAIL, values({{data1, who.email}, {data2, QStringLiteral("2")}}));
    Entity address = values({{data2, QStringLiteral("2")},
                             {data4, QStringLiteral("%1 Harbour Road").arg(who.first.size() * 7)},
                             {data7, who.city},
                             {data10, QStringLiteral("United Kingdom")}});
    address.setText(data1, formatPostalAddress(address));
    c.addEntity(ENTITY_POSTAL_ADDRESS, address);
    if (!who.company.isEmpty())
        c.addEntity(ENTITY_ORGANIZATION,
                    values({{data1, who.company}, {data2, QStringLiteral("1")}, {data4, who.title}}));
    return c;
}

void store(LocalDb &db, Contact c, const QString &group)
{
    db.insertContact(c);
    for (auto it = c.entities.begin(); it != c.entities.end(); ++it) {
        for (Entity &e : it.value())
            db.insertData(c._id, it.key(), e);
    }
    if (!group.isEmpty())
        db.setContactGroup(c._id, db.findOrCreateGroup(group), group);
}

void writeSamples(const QDir &folder)
{
    const QString family = folder.filePath(QStringLiteral("Family.db"));
    const QString work = folder.filePath(QStringLiteral("Work Contacts.db"));
    if (QFile::exists(family) && QFile::exists(work))
        return;
    {
        LocalDb db(family, std::make_shared<LocalDbCombineRule>());
        db.create();
        db.beginTransaction();
        const QList<Person> people{
            {"Margaret", "Holloway", "+44 7700 900101", "maggie.h@example.net", "York", {}, {}, "Parents"},
            {"Peter", "Holloway", "+44 7700 900102", "peter.h@example.net", "York", {}, {}, "Parents"},
            {"Lucy", "Holloway", "+44 7700 900103", "lucy@example.net", "Leeds", {}, {}, "Siblings"},
            {"Tom", "Holloway", "+44 7700 900104", "tom.holloway@example.net", "Bristol", {}, {}, "Siblings"},
        };
        for (const Person &p : people)
            store(db, makeContact(p), p.group);
        db.endTransaction(true);
    }
    {
        LocalDb db(work, std::make_shared<LocalDbCombineRule>());
        db.create();
        db.beginTransaction();
        const QList<Person> people{
            {"Hannah", "Whitfield", "+44 7700 900201", "hannah.whitfield@northwind.example", "Manchester",
             "Northwind Traders", "Head of Design", "Team"},
            {"Daniel", "Okafor", "+44 7700 900202", "d.okafor@northwind.example", "Manchester", "Northwind Traders",
             "Developer", "Team"},
            {"Anna", "Kowalczyk", "+44 7700 900203", "anna.k@northwind.example", "Liverpool", "Northwind Traders",
             "Product Manager", "Team"},
            {"Joanna", "Reyes", "+44 7700 900204", "joanna.reyes@northwind.example", "Salford", "Northwind Traders",
             "Tester", "Team"},
            {"Ian", "Campbell", "+44 7700 900205", "ian@campbell-supplies.example", "Glasgow", "Campbell Supplies",
             "Owner", "Suppliers"},
            {"Priya", "Raman", "+44 7700 900206", "priya.raman@contoso.example", "London", "Contoso", "Buyer",
             "Clients"},
            {"Shanice", "Brown", "+44 7700 900207", "s.brown@fabrikam.example", "Cardiff", "Fabrikam",
             "Account Manager", "Clients"},
            {"Oliver", "Grant", "+44 7700 900208", "oliver.grant@northwind.example", "Manchester",
             "Northwind Traders", "Support", "Team"},
            {"Mei", "Tanaka", "+44 7700 900209", "mei.tanaka@contoso.example", "London", "Contoso", "Engineer",
             "Clients"},
            {"Rob", "Fletcher", "+44 7700 900210", "rob@fletcher-print.example", "Sheffield", "Fletcher Print",
             "Printer", "Suppliers"},
        };
        for (const Person &p : people) {
            Contact c = makeContact(p);
            if (p.first == QLatin1String("Hannah")) {
                Entity photo;
                photo.setValue(data15, portrait(QColor(120, 170, 210), QColor(60, 90, 140), QColor(90, 55, 30)));
                c.addEntity(ENTITY_PHOTO, photo);
                c.addEntity(ENTITY_NICKNAME, values({{data1, QStringLiteral("Hanna")}, {data2, QStringLiteral("1")}}));
                c.addEntity(ENTITY_PHONE, values({{data1, QStringLiteral("+44 161 496 0000")},
                                                  {data2, QStringLiteral("3")}}));
                c.addEntity(ENTITY_EMAIL, values({{data1, QStringLiteral("hannah.w@example.net")},
                                                  {data2, QStringLiteral("1")}}));
                c.addEntity(ENTITY_EVENT, values({{data1, QStringLiteral("1988-04-23T00:00:00")},
                                                  {data2, QStringLiteral("3")}}));
                c.addEntity(ENTITY_IM, values({{data1, QStringLiteral("hannah.whitfield")},
                                               {data2, QStringLiteral("2")},
                                               {data5, QStringLiteral("4")}}));
                c.entitiesOf(ENTITY_ORGANIZATION).first().setText(data5, QStringLiteral("Studio"));
                c.addEntity(ENTITY_WEBSITE, values({{data1, QStringLiteral("https://hannah.example")},
                                                    {data2, QStringLiteral("3")}}));
                c.addEntity(ENTITY_NOTE, values({{data1, QStringLiteral("Prefers calls after 10am. Met at the spring "
                                                                        "design fair in Manchester.")}}));
            } else if (p.first == QLatin1String("Anna")) {
                Entity photo;
                photo.setValue(data15, portrait(QColor(210, 180, 120), QColor(150, 60, 70), QColor(200, 160, 90)));
                c.addEntity(ENTITY_PHOTO, photo);
            }
            store(db, c, p.group);
        }
        db.endTransaction(true);
    }
    // Family is the older file, so it is listed first.
    QFile file(family);
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(QDateTime::currentDateTime().addDays(-30), QFileDevice::FileModificationTime);
}

QModelIndex find(const QAbstractItemModel *model, const QString &text)
{
    return model->match(model->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchExactly | Qt::MatchRecursive)
        .value(0);
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
    writeSamples(QDir(platform::localDbFolder()));

    MainWindow window;
    window.showMaximized();
    // Without a window manager nothing maximizes the window: fill the screen.
    window.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    QTimer::singleShot(delay / 3, &window, [&window] {
        auto *tree = window.findChild<MyTreeView *>(QStringLiteral("treeMain"));
        tree->setCurrentIndex(find(tree->model(), QStringLiteral("Work Contacts.db")));
        tree->setCurrentIndex(find(tree->model(), QStringLiteral("Team")));
        auto *keyword = window.findChild<QLineEdit *>(QStringLiteral("txtKeyword"));
        keyword->setText(QStringLiteral("ann"));
        emit keyword->returnPressed();
        auto *contacts = window.findChild<MyTreeView *>(QStringLiteral("treeContacts"));
        contacts->setCurrentIndex(find(contacts->model(), QStringLiteral("Hannah Whitfield")));
    });
    int result = 0;
    QTimer::singleShot(delay, &window, [&] {
        const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
        result = shot.save(path) ? 0 : 1;
        app.quit();
    });
    app.exec();
    return result;
}
