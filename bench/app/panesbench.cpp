// Main window panes benchmark: how long selecting a large local database
// takes until its list is on screen, how long a page of the list takes to
// paint while scrolling (photos are decoded only for painted rows), and how
// long the card takes to show a contact.
//
//   qm_bench_panes <count>
//
// Run with HOME pointing to a scratch folder (run.sh does): the address book
// is written to the data folder as bench.db the first time (untimed) and the
// main window is started on it. Prints "<name> <value>" lines.
#include "app/contactdisplayer.h"
#include "app/itemmodelcontacts.h"
#include "app/itemmodelmaintree.h"
#include "app/mainwindow.h"
#include "app/mytreeview.h"
#include "app/platform.h"
#include "bench/common/contactgenerator.h"
#include "bench/common/processstatus.h"
#include "contacts/localdb.h"
#include "contacts/localdbcombinerule.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <QTranslator>

#include <algorithm>
#include <cstdio>

using namespace pim;

namespace {

void writeAddressBook(const QString &path, int count)
{
    LocalDb db(path, std::make_shared<LocalDbCombineRule>());
    db.create();
    db.beginTransaction();
    for (int g = 1; g <= 5; ++g)
        db.findOrCreateGroup(QStringLiteral("Group %1").arg(g));
    ContactGenerator generator;
    for (int i = 0; i < count; ++i) {
        Contact c = generator.next();
        db.insertContact(c);
        for (auto it = c.entities.begin(); it != c.entities.end(); ++it) {
            for (Entity &e : it.value())
                db.insertData(c._id, it.key(), e);
        }
    }
    db.endTransaction(true);
}

double ms(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void print(const char *name, double value)
{
    std::printf("%s %.3f\n", name, value);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <count>\n", argv[0]);
        return 2;
    }
    const int count = QByteArray(argv[1]).toInt();
    QTranslator translator;
    if (translator.load(QStringLiteral(":/en.qm")))
        QCoreApplication::installTranslator(&translator);

    const QString path = QDir(platform::localDbFolder()).filePath(QStringLiteral("bench.db"));
    if (!QFile::exists(path))
        writeAddressBook(path, count);

    MainWindow window;
    window.resize(1280, 800);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    auto *treeMain = window.findChild<MyTreeView *>(QStringLiteral("treeMain"));
    auto *contacts = window.findChild<MyTreeView *>(QStringLiteral("treeContacts"));
    auto *tree = qobject_cast<ItemModelMainTree *>(treeMain->model());
    auto *list = qobject_cast<ItemModelContacts *>(contacts->model());
    QCoreApplication::processEvents();
    const double residentBefore = processStatusMiB("VmRSS");

    // Selecting the database: groups, search, list, and the first paint.
    QElapsedTimer timer;
    timer.start();
    treeMain->setCurrentIndex(tree->indexOfNode(tree->localDbNodes().first()));
    const double handler = ms(timer);
    contacts->viewport()->repaint();
    const double shown = ms(timer);
    if (list->rowCount() != count) {
        std::fprintf(stderr, "listed %d of %d contacts\n", list->rowCount(), count);
        return 1;
    }

    // Scrolling: paint pages at random places, photos decoded as they come.
    QScrollBar *bar = contacts->verticalScrollBar();
    QRandomGenerator random(7);
    QList<double> pages;
    for (int i = 0; i < 200; ++i) {
        bar->setValue(int(random.bounded(bar->maximum() + 1)));
        QElapsedTimer page;
        page.start();
        contacts->viewport()->repaint();
        pages << ms(page);
    }
    std::sort(pages.begin(), pages.end());
    double pageSum = 0;
    for (double p : pages)
        pageSum += p;

    // The card for a contact with every section.
    auto *card = window.findChild<ContactDisplayer *>(QStringLiteral("wdContactInfo"));
    // As the window does it: the whole contact is read for the card.
    timer.restart();
    for (int i = 0; i < 20; ++i) {
        card->showContact(list->fullContact(list->contactIndex(0)));
        card->viewport()->repaint();
    }
    const double cardMs = ms(timer) / 20;

    // A very large contact: 2,000 numbers, 500 e-mails and a 216 KB note.
    Contact huge;
    huge.fullName = QStringLiteral("Huge Contact");
    for (int i = 0; i < 2000; ++i) {
        Entity phone;
        phone.setText(data1, QStringLiteral("+1 555 %1").arg(i, 7, 10, QLatin1Char('0')));
        phone.setText(data2, QString::number(1 + i % 3));
        huge.addEntity(ENTITY_PHONE, phone);
    }
    for (int i = 0; i < 500; ++i) {
        Entity email;
        email.setText(data1, QStringLiteral("huge.%1@example.org").arg(i));
        email.setText(data2, QStringLiteral("1"));
        huge.addEntity(ENTITY_EMAIL, email);
    }
    Entity note;
    QString text;
    while (text.size() < 216 * 1024)
        text += QStringLiteral("A line of the long note, number %1, with a few words to wrap.\n").arg(text.size());
    note.setText(data1, text.left(216 * 1024));
    huge.addEntity(ENTITY_NOTE, note);
    // Until the card is painted, and until its last line is in (the window
    // handles events in between).
    QList<double> hugeRuns;
    QList<double> hugeComplete;
    for (int i = 0; i < 5; ++i) {
        card->clearCard();
        QCoreApplication::processEvents();
        QElapsedTimer run;
        run.start();
        card->showContact(huge);
        card->viewport()->repaint();
        hugeRuns << ms(run);
        while (card->hasPendingLines())
            QCoreApplication::processEvents();
        hugeComplete << ms(run);
    }
    std::sort(hugeRuns.begin(), hugeRuns.end());
    std::sort(hugeComplete.begin(), hugeComplete.end());
    card->clearCard();
    QCoreApplication::processEvents();

    // The share of the database search in the selection (its pages are in
    // the cache by now, as they were not at the first selection).
    const std::shared_ptr<LocalDb> db = tree->localDbNodes().first()->db;
    timer.restart();
    QList<Contact> again = db->searchContactNames(0, QString());
    const double searchOnly = ms(timer);
    timer.restart();
    list->setContacts(std::move(again), db);
    contacts->viewport()->repaint();
    const double setOnly = ms(timer);

    // The window's memory: what the steps above left and needed.
    const double residentWindow = processStatusMiB("VmRSS");
    const double residentPeak = processStatusMiB("VmHWM");

    // What reading and decoding every photo up front would have cost (this
    // gives every row its outline, so it comes after the memory figures).
    timer.restart();
    int photos = 0;
    for (const Contact &c : list->contacts()) {
        if (const Entity *photo = c.firstEntity(ENTITY_PHOTO)) {
            Contact withBytes;
            withBytes.entitiesOf(ENTITY_PHOTO).append(*photo);
            withBytes.entitiesOf(ENTITY_PHOTO).first().setValue(data15, db->loadPhotoBytes(photo->_id));
            (void)ItemModelContacts::decorationFor(withBytes);
            ++photos;
        }
    }
    const double allPhotos = ms(timer);

    print("contacts", count);
    print("select_handler_ms", handler);
    print("select_to_shown_ms", shown);
    print("search_again_ms", searchOnly);
    print("set_and_paint_ms", setOnly);
    print("page_paint_mean_ms", pageSum / pages.size());
    print("page_paint_p95_ms", pages.at(int(pages.size() * 0.95)));
    print("page_paint_max_ms", pages.last());
    print("card_show_ms", cardMs);
    print("huge_card_show_ms", hugeRuns.at(hugeRuns.size() / 2));
    print("huge_card_complete_ms", hugeComplete.at(hugeComplete.size() / 2));
    print("photos", photos);
    print("decode_all_photos_ms", allPhotos);
    print("rss_before_mib", residentBefore);
    print("rss_after_mib", residentWindow);
    print("rss_peak_mib", residentPeak);
    return 0;
}
