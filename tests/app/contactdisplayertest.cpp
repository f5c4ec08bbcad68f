// The contact card: the name block, the sections with their lines, the
// photo and saving it, and how the content follows the card's width.
#include "app/contactdisplayer.h"
#include "app/modalanswers.h"
#include "panetestutil.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

using namespace pim;
using panetest::contact;
using panetest::entity;

namespace {

using Sections = QList<QStringList>;

QWidget *header(ContactDisplayer &card)
{
    QLayout *layout = card.widget()->layout();
    return layout && layout->count() > 0 ? layout->itemAt(0)->widget() : nullptr;
}

QLabel *photoLabel(ContactDisplayer &card)
{
    for (QLabel *label : card.widget()->findChildren<QLabel *>()) {
        if (label->accessibleName() == QLatin1String("imgPhoto"))
            return label;
    }
    return nullptr;
}

QLabel *nameLabel(ContactDisplayer &card)
{
    return card.widget()->findChild<QLabel *>(QStringLiteral("lbName"));
}

// Every section below the header: its title, then its lines.
Sections sections(ContactDisplayer &card)
{
    Sections out;
    QLayout *layout = card.widget()->layout();
    for (int i = 1; layout && i < layout->count(); ++i) {
        QStringList texts;
        QLayout *inner = layout->itemAt(i)->widget()->layout();
        for (int j = 0; j < inner->count(); ++j)
            texts << qobject_cast<QLabel *>(inner->itemAt(j)->widget())->text();
        out << texts;
    }
    return out;
}

Entity typed(const QString &value, const QString &type, const QString &custom = QString())
{
    Entity e = entity({{data1, value}, {data2, type}});
    if (!custom.isEmpty())
        e.setText(data3, custom);
    return e;
}

Entity organization(const QString &company, const QString &title, const QString &department,
                    const QString &type = QStringLiteral("1"))
{
    return entity({{data1, company}, {data2, type}, {data4, title}, {data5, department}});
}

void press(QWidget *widget, Qt::MouseButton button)
{
    QTest::mousePress(widget, button, Qt::NoModifier, QPoint(10, 10));
}

} // namespace

class ContactDisplayerTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void largeContactShowsEveryLine_data();
    void largeContactShowsEveryLine();
    void pendingLinesStopForTheNextContact();
    void nameBlock_data();
    void nameBlock();
    void sectionLines_data();
    void sectionLines();
    void sectionsInOrder();
    void contactWithoutEntities();
    void textIsNeverMarkup();
    void photoShownAndSaved_data();
    void photoShownAndSaved();
    void otherButtonsDoNotSave();
    void cancelledSaveWritesNothing();
    void unwritableFileWarns();
    void emptyPictureNotClickable_data();
    void emptyPictureNotClickable();
    void contentFollowsWidth();
    void clearCard();

private:
    QTemporaryDir m_dir;
};

void ContactDisplayerTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void ContactDisplayerTest::nameBlock_data()
{
    QTest::addColumn<Contact>("person");
    QTest::addColumn<QString>("expected");
    QTest::newRow("name only") << contact(QStringLiteral("Ann Lee")) << "Ann Lee";
    QTest::newRow("nickname")
        << contact(QStringLiteral("Ann Lee"), {{ENTITY_NICKNAME, typed(QStringLiteral("Annie"), QStringLiteral("1"))}})
        << "Ann Lee\n\"Annie\"";
    QTest::newRow("empty nickname")
        << contact(QStringLiteral("Ann Lee"), {{ENTITY_NICKNAME, typed(QString(), QStringLiteral("1"))}})
        << "Ann Lee";
    QTest::newRow("title, department, company")
        << contact(QStringLiteral("Bob"), {{ENTITY_ORGANIZATION, organization(QStringLiteral("Acme"),
                                                                              QStringLiteral("Manager"),
                                                                              QStringLiteral("Sales"))}})
        << "Bob\nManager - Sales\nAcme";
    QTest::newRow("company only")
        << contact(QStringLiteral("Bob"), {{ENTITY_ORGANIZATION, organization(QStringLiteral("Acme"), {}, {})}})
        << "Bob\nAcme";
    QTest::newRow("title only")
        << contact(QStringLiteral("Bob"), {{ENTITY_ORGANIZATION, organization({}, QStringLiteral("CEO"), {})}})
        << "Bob\nCEO";
    QTest::newRow("nickname and the first of two organizations")
        << contact(QStringLiteral("Bob"),
                   {{ENTITY_NICKNAME, typed(QStringLiteral("B"), QStringLiteral("4"))},
                    {ENTITY_ORGANIZATION, organization(QStringLiteral("Acme"), QStringLiteral("Dev"), {})},
                    {ENTITY_ORGANIZATION, organization(QStringLiteral("Other"), QStringLiteral("Chair"), {})}})
        << "Bob\n\"B\"\nDev\nAcme";
}

void ContactDisplayerTest::nameBlock()
{
    QFETCH(Contact, person);
    QFETCH(QString, expected);
    ContactDisplayer card;
    card.showContact(person);
    QLabel *name = nameLabel(card);
    QVERIFY(name);
    QCOMPARE(name->text(), expected);
    QVERIFY(name->wordWrap());
    QVERIFY(name->textInteractionFlags() & Qt::TextSelectableByMouse);
    QCOMPARE(name->styleSheet(), QStringLiteral("font-size:21px;font-weight:bold;font-style:italic"));
    QCOMPARE(card.shownContact(), person);
}

void ContactDisplayerTest::sectionLines_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QList<Entity>>("entities");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("phones")
        << int(ENTITY_PHONE)
        << QList<Entity>{typed(QStringLiteral("555-1"), QStringLiteral("2")),
                         typed(QStringLiteral("555-2"), QStringLiteral("0"), QStringLiteral("Mum's"))}
        << QStringList{"Phone:", "Mobile:555-1", "Mum's:555-2"};
    QTest::newRow("e-mail") << int(ENTITY_EMAIL) << QList<Entity>{typed(QStringLiteral("a@b.org"), QStringLiteral("2"))}
                            << QStringList{"E-Mail:", "Work:a@b.org"};
    const QString day = QLocale::system().toString(QDate(1990, 5, 17), QLocale::ShortFormat);
    QTest::newRow("event") << int(ENTITY_EVENT)
                           << QList<Entity>{typed(QStringLiteral("1990-05-17T00:00:00"), QStringLiteral("3"))}
                           << QStringList{"Date:", "Birthday:" + day};
    QTest::newRow("event stored without a time")
        << int(ENTITY_EVENT) << QList<Entity>{typed(QStringLiteral("1990-05-17"), QStringLiteral("1"))}
        << QStringList{"Date:", "Anniversary:" + day};
    QTest::newRow("event without a year is shown as stored")
        << int(ENTITY_EVENT) << QList<Entity>{typed(QStringLiteral("--05-17"), QStringLiteral("3"))}
        << QStringList{"Date:", "Birthday:--05-17"};
    Entity skype = typed(QStringLiteral("bob.l"), QStringLiteral("1"));
    skype.setText(data5, QStringLiteral("4"));
    Entity custom = typed(QStringLiteral("bob@chat"), QStringLiteral("2"));
    custom.setText(data5, QStringLiteral("-1"));
    custom.setText(data6, QStringLiteral("Matrix"));
    QTest::newRow("im") << int(ENTITY_IM) << QList<Entity>{skype, custom}
                        << QStringList{"IM:", "Home:bob.l(Skype)", "Work:bob@chat(Matrix)"};
    QTest::newRow("second organization")
        << int(ENTITY_ORGANIZATION)
        << QList<Entity>{organization(QStringLiteral("Acme"), QStringLiteral("Manager"), QStringLiteral("Sales")),
                         organization(QStringLiteral("Globex"), QStringLiteral("Advisor"), QStringLiteral("R&D")),
                         organization(QStringLiteral("Initech"), QString(), QString(), QStringLiteral("0"))}
        << QStringList{"Organization:", "Work:Advisor R&D Globex", "Other:Initech"};
    QTest::newRow("one organization has no section")
        << int(ENTITY_ORGANIZATION)
        << QList<Entity>{organization(QStringLiteral("Acme"), QStringLiteral("Manager"), QStringLiteral("Sales"))}
        << QStringList{};
    QTest::newRow("relation") << int(ENTITY_RELATION)
                              << QList<Entity>{typed(QStringLiteral("Tom"), QStringLiteral("2"))}
                              << QStringList{"Relationship:", "Brother:Tom"};
    Entity address = entity({{data2, QStringLiteral("1")},
                             {data4, QStringLiteral("1 Main St")},
                             {data7, QStringLiteral("Springfield")},
                             {data8, QStringLiteral("IL")},
                             {data9, QStringLiteral("62701")},
                             {data10, QStringLiteral("USA")}});
    QTest::newRow("address") << int(ENTITY_POSTAL_ADDRESS) << QList<Entity>{address}
                             << QStringList{"Address:", "<b>Home</b><br/>1 Main St<br/>Springfield, IL 62701<br/>USA"};
    QTest::newRow("website") << int(ENTITY_WEBSITE)
                             << QList<Entity>{typed(QStringLiteral("http://bob.example"), QStringLiteral("2"))}
                             << QStringList{"Website:", "Blog:http://bob.example"};
    QTest::newRow("notes") << int(ENTITY_NOTE)
                           << QList<Entity>{entity({{data1, QStringLiteral("Likes tea.\nNo sugar.")}}),
                                            entity({{data1, QStringLiteral("Second")}})}
                           << QStringList{"Notes:", "Likes tea.\nNo sugar.", "Second"};
    QTest::newRow("group memberships have no section")
        << int(ENTITY_GROUP_MEMBERSHIP) << QList<Entity>{entity({{data1, QStringLiteral("1")}})} << QStringList{};
}

void ContactDisplayerTest::sectionLines()
{
    QFETCH(int, kind);
    QFETCH(QList<Entity>, entities);
    QFETCH(QStringList, expected);
    Contact person = contact(QStringLiteral("Bob"));
    for (const Entity &e : entities)
        person.addEntity(kind, e);
    ContactDisplayer card;
    card.showContact(person);
    const Sections shown = sections(card);
    QCOMPARE(shown, expected.isEmpty() ? Sections{} : Sections{expected});
    if (expected.isEmpty())
        return;
    QLayout *layout = card.widget()->layout();
    QWidget *section = layout->itemAt(1)->widget();
    QCOMPARE(layout->itemAt(1)->alignment(), Qt::AlignTop);
    QCOMPARE(section->styleSheet(), QStringLiteral("font-size:16px;"));
    auto *title = qobject_cast<QLabel *>(section->layout()->itemAt(0)->widget());
    QCOMPARE(title->styleSheet(), QStringLiteral("font-size:18px;font-style:italic;font-weight:bold;"));
    auto *line = qobject_cast<QLabel *>(section->layout()->itemAt(1)->widget());
    QVERIFY(line->wordWrap());
    QVERIFY(line->textInteractionFlags() & Qt::TextSelectableByMouse);
    QCOMPARE(line->textFormat(), kind == ENTITY_POSTAL_ADDRESS ? Qt::RichText : Qt::PlainText);
}

void ContactDisplayerTest::sectionsInOrder()
{
    Contact person = contact(QStringLiteral("Everything"));
    // Added in an order unlike the card's.
    person.addEntity(ENTITY_NOTE, entity({{data1, QStringLiteral("n")}}));
    person.addEntity(ENTITY_WEBSITE, typed(QStringLiteral("w"), QStringLiteral("1")));
    person.addEntity(ENTITY_POSTAL_ADDRESS, entity({{data4, QStringLiteral("street")}}));
    person.addEntity(ENTITY_RELATION, typed(QStringLiteral("r"), QStringLiteral("6")));
    person.addEntity(ENTITY_ORGANIZATION, organization(QStringLiteral("one"), {}, {}));
    person.addEntity(ENTITY_ORGANIZATION, organization(QStringLiteral("two"), {}, {}));
    person.addEntity(ENTITY_IM, typed(QStringLiteral("i"), QStringLiteral("0")));
    person.addEntity(ENTITY_EVENT, typed(QStringLiteral("2001-02-03T00:00:00"), QStringLiteral("3")));
    person.addEntity(ENTITY_EMAIL, typed(QStringLiteral("e"), QStringLiteral("1")));
    person.addEntity(ENTITY_PHONE, typed(QStringLiteral("p"), QStringLiteral("1")));
    person.addEntity(ENTITY_PHOTO, panetest::photo(panetest::picture("PNG", Qt::gray)));
    ContactDisplayer card;
    card.showContact(person);
    QStringList titles;
    for (const QStringList &section : sections(card))
        titles << section.first();
    QCOMPARE(titles, (QStringList{"Phone:", "E-Mail:", "Date:", "IM:", "Organization:", "Relationship:", "Address:",
                                  "Website:", "Notes:"}));
    const QMargins margins = card.widget()->layout()->contentsMargins();
    QCOMPARE(margins, QMargins(15, 0, 15, 15));
}

void ContactDisplayerTest::contactWithoutEntities()
{
    Contact bare;
    bare.fullName = QStringLiteral("Nobody");
    ContactDisplayer card;
    card.showContact(bare);
    QCOMPARE(card.widget()->layout()->count(), 1);
    QCOMPARE(nameLabel(card)->text(), QStringLiteral("Nobody"));
    QLabel *photo = photoLabel(card);
    QVERIFY(photo);
    QCOMPARE(photo->pixmap().toImage(), QPixmap(QStringLiteral(":res/empty_contact.png")).toImage());
    QVERIFY(header(card)->isAncestorOf(photo));
}

void ContactDisplayerTest::textIsNeverMarkup()
{
    Contact person = contact(QStringLiteral("<b>Bold</b> & <i>Co</i>"));
    person.addEntity(ENTITY_NOTE, entity({{data1, QStringLiteral("<img src=\"x.png\">")}}));
    person.addEntity(ENTITY_POSTAL_ADDRESS, entity({{data2, QStringLiteral("0")},
                                                    {data3, QStringLiteral("<i>Lab</i>")},
                                                    {data4, QStringLiteral("1 <Main> & Co")},
                                                    {data10, QStringLiteral("X")}}));
    ContactDisplayer card;
    card.showContact(person);
    QCOMPARE(nameLabel(card)->textFormat(), Qt::PlainText);
    QCOMPARE(nameLabel(card)->text(), QStringLiteral("<b>Bold</b> & <i>Co</i>"));
    const Sections shown = sections(card);
    QCOMPARE(shown.value(0), (QStringList{"Address:", "<b>&lt;i&gt;Lab&lt;/i&gt;</b><br/>1 &lt;Main&gt; &amp; Co<br/>X"}));
    QCOMPARE(shown.value(1), (QStringList{"Notes:", "<img src=\"x.png\">"}));
}

void ContactDisplayerTest::photoShownAndSaved_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("png under a .jpg name") << panetest::picture("PNG", QColor(10, 120, 200), 64, 64) << "saved.jpg";
    QTest::newRow("jpeg") << panetest::picture("JPG", QColor(200, 120, 10), 256, 300) << "photo.jpg";
    QTest::newRow("png under another name") << panetest::picture("PNG", Qt::yellow, 50, 20) << "picture.bin";
}

void ContactDisplayerTest::photoShownAndSaved()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, fileName);
    ModalAnswers answers;
    const QString target = m_dir.filePath(fileName);
    QFile::remove(target);
    answers.answerFile(target);

    ContactDisplayer card;
    card.showContact(contact(QStringLiteral("Ann Lee"), {{ENTITY_PHOTO, panetest::photo(bytes)}}));
    QLabel *photo = photoLabel(card);
    QVERIFY(photo);
    QCOMPARE(photo->size(), QSize(128, 128));
    QCOMPARE(photo->styleSheet(), QStringLiteral("border:1px solid #A9A9A9;"));
    QCOMPARE(photo->pixmap().width(), 128);
    QCOMPARE(photo->cursor().shape(), Qt::PointingHandCursor);

    press(photo, Qt::LeftButton);
    QCOMPARE(answers.fileQuestions().size(), 1);
    const ModalAnswers::FileQuestion question = answers.fileQuestions().first();
    QVERIFY(question.save);
    QVERIFY(question.caption.isEmpty());
    QVERIFY(question.filter.isEmpty());
    QCOMPARE(question.proposed, QDir::homePath() + QStringLiteral("/Ann Lee.jpg"));
    QFile saved(target);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), bytes);
    QVERIFY(answers.messageBoxes().isEmpty());
}

void ContactDisplayerTest::otherButtonsDoNotSave()
{
    ModalAnswers answers;
    ContactDisplayer card;
    card.showContact(contact(QStringLiteral("Ann"), {{ENTITY_PHOTO, panetest::photo(panetest::picture("PNG", Qt::red))}}));
    QLabel *photo = photoLabel(card);
    QMouseEvent right(QEvent::MouseButtonPress, QPointF(5, 5), photo->mapToGlobal(QPointF(5, 5)), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    // The press is consumed: the label never sees it.
    QVERIFY(QCoreApplication::sendEvent(photo, &right));
    press(photo, Qt::MiddleButton);
    QVERIFY(answers.fileQuestions().isEmpty());
}

void ContactDisplayerTest::cancelledSaveWritesNothing()
{
    ModalAnswers answers;
    answers.answerFile(QString());   // the user cancels
    ContactDisplayer card;
    card.showContact(contact(QStringLiteral("Ann"), {{ENTITY_PHOTO, panetest::photo(panetest::picture("PNG", Qt::red))}}));
    press(photoLabel(card), Qt::LeftButton);
    QCOMPARE(answers.fileQuestions().size(), 1);
    QVERIFY(answers.messageBoxes().isEmpty());
    QVERIFY(answers.problems().isEmpty());
}

void ContactDisplayerTest::unwritableFileWarns()
{
    ModalAnswers answers;
    // A folder cannot be opened as a file.
    answers.answerFile(m_dir.path());
    ContactDisplayer card;
    card.showContact(contact(QStringLiteral("Ann"), {{ENTITY_PHOTO, panetest::photo(panetest::picture("PNG", Qt::red))}}));
    press(photoLabel(card), Qt::LeftButton);
    QCOMPARE(answers.messageBoxes().size(), 1);
    QCOMPARE(answers.messageBoxes().first().icon, QMessageBox::Warning);
    QFile probe(m_dir.path());
    QVERIFY(!probe.open(QIODevice::WriteOnly));
    QCOMPARE(answers.messageBoxes().first().text, probe.errorString());
}

void ContactDisplayerTest::emptyPictureNotClickable_data()
{
    QTest::addColumn<bool>("hasPhoto");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("no photo") << false << QByteArray();
    QTest::newRow("bytes that do not decode") << true << QByteArray("GIF89a-not-really");
}

void ContactDisplayerTest::emptyPictureNotClickable()
{
    QFETCH(bool, hasPhoto);
    QFETCH(QByteArray, bytes);
    ModalAnswers answers;
    answers.answerFile(m_dir.filePath(QStringLiteral("never.jpg")));
    Contact person = contact(QStringLiteral("Ann"));
    if (hasPhoto)
        person.addEntity(ENTITY_PHOTO, panetest::photo(bytes));
    ContactDisplayer card;
    card.showContact(person);
    QLabel *photo = photoLabel(card);
    QCOMPARE(photo->pixmap().toImage(), QPixmap(QStringLiteral(":res/empty_contact.png")).toImage());
    QVERIFY(photo->cursor().shape() != Qt::PointingHandCursor);
    press(photo, Qt::LeftButton);
    QVERIFY(answers.fileQuestions().isEmpty());
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("never.jpg"))));
    QCOMPARE(answers.unusedAnswers(), 1);
}

void ContactDisplayerTest::contentFollowsWidth()
{
    ContactDisplayer card;
    QCOMPARE(card.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    Contact person = contact(QStringLiteral("Somebody With A Rather Long Name Indeed"));
    for (int i = 0; i < 30; ++i)
        person.addEntity(ENTITY_NOTE, entity({{data1, QStringLiteral("A note that wraps when the card is narrow %1")
                                                             .arg(i)}}));
    card.showContact(person);
    card.resize(300, 400);
    card.show();
    QVERIFY(QTest::qWaitForWindowExposed(&card));
    const int narrow = card.widget()->width();
    const int narrowHeight = card.widget()->height();
    QCOMPARE(narrow, card.viewport()->width());
    card.resize(600, 400);
    QTRY_COMPARE(card.widget()->width(), card.viewport()->width());
    QVERIFY(card.widget()->width() > narrow);
    // Wider lines wrap less.
    QVERIFY(card.widget()->height() < narrowHeight);
    // The content needs more than the card's height: it scrolls vertically only.
    QVERIFY(card.verticalScrollBar()->isVisible());
    QVERIFY(!card.horizontalScrollBar()->isVisible());
    // Every label has the room it needs for its wrapped text.
    for (QLabel *label : card.widget()->findChildren<QLabel *>()) {
        if (label->wordWrap())
            QVERIFY2(label->height() >= label->heightForWidth(label->width()), qPrintable(label->text()));
    }
}

void ContactDisplayerTest::clearCard()
{
    ContactDisplayer card;
    card.showContact(contact(QStringLiteral("Ann")));
    QPointer<QWidget> old = card.widget();
    card.clearCard();
    QVERIFY(card.widget() != old.data());
    QVERIFY(card.widget()->findChildren<QWidget *>().isEmpty());
    QTRY_VERIFY(old.isNull());
}

void ContactDisplayerTest::largeContactShowsEveryLine_data()
{
    QTest::addColumn<int>("phones");
    QTest::addColumn<int>("emails");
    QTest::addColumn<int>("noteLines");
    QTest::newRow("small") << 3 << 2 << 2;
    QTest::newRow("just over the first lines") << 119 << 2 << 1;
    QTest::newRow("thousands of numbers") << 2000 << 500 << 1;
    QTest::newRow("long note") << 1 << 1 << 4000;
    QTest::newRow("both") << 2000 << 500 << 4000;
}

// Lines beyond the first ones arrive from the event loop, later lines of a
// section sharing labels, a long note in pieces: once all are in, the card
// holds every line of every section in order.
void ContactDisplayerTest::largeContactShowsEveryLine()
{
    QFETCH(int, phones);
    QFETCH(int, emails);
    QFETCH(int, noteLines);
    Contact person = contact(QStringLiteral("Large"));
    QStringList phoneLines;
    for (int i = 0; i < phones; ++i) {
        person.addEntity(ENTITY_PHONE, typed(QStringLiteral("+1 555 %1").arg(i), QStringLiteral("2")));
        phoneLines << QStringLiteral("Mobile:+1 555 %1").arg(i);
    }
    QStringList emailLines;
    for (int i = 0; i < emails; ++i) {
        person.addEntity(ENTITY_EMAIL, typed(QStringLiteral("p%1@example.org").arg(i), QStringLiteral("1")));
        emailLines << QStringLiteral("Home:p%1@example.org").arg(i);
    }
    QStringList noteText;
    for (int i = 0; i < noteLines; ++i)
        noteText << QStringLiteral("Note line %1 with some words, \"quoted\", & <b>not bold</b>.").arg(i);
    const QString note = noteText.join(QLatin1Char('\n'));
    person.addEntity(ENTITY_NOTE, entity({{data1, note}}));

    ContactDisplayer card;
    card.resize(400, 600);
    card.show();
    card.showContact(person);
    QTRY_VERIFY_WITH_TIMEOUT(!card.hasPendingLines(), 60000);
    const Sections shown = sections(card);
    QCOMPARE(shown.size(), 3);
    auto lines = [](const QStringList &section, const QString &separator) {
        return section.mid(1).join(QLatin1Char('\n')).split(separator);
    };
    QCOMPARE(shown.at(0).first(), QStringLiteral("Phone:"));
    QCOMPARE(lines(shown.at(0), QStringLiteral("\n")), phoneLines);
    QCOMPARE(shown.at(1).first(), QStringLiteral("E-Mail:"));
    QCOMPARE(lines(shown.at(1), QStringLiteral("\n")), emailLines);
    QCOMPARE(shown.at(2).first(), QStringLiteral("Notes:"));
    QCOMPARE(shown.at(2).mid(1).join(QLatin1Char('\n')), note);
    // Every label of the card stays plain text, selectable and wrapped.
    for (int s = 0; s < 3; ++s) {
        QLayout *section = card.widget()->layout()->itemAt(s + 1)->widget()->layout();
        for (int j = 1; j < section->count(); ++j) {
            auto *label = qobject_cast<QLabel *>(section->itemAt(j)->widget());
            QCOMPARE(label->textFormat(), Qt::PlainText);
            QVERIFY(label->wordWrap());
            QVERIFY(label->textInteractionFlags() & Qt::TextSelectableByMouse);
        }
    }
    if (phones + emails + 1 <= 120 && note.size() <= 4096)   // one label per line, as for any contact
        QCOMPARE(shown.at(0).size() + shown.at(1).size() + shown.at(2).size(), 3 + phones + emails + 1);
}

// A new contact while lines are pending: only the new contact's lines.
void ContactDisplayerTest::pendingLinesStopForTheNextContact()
{
    Contact large = contact(QStringLiteral("Large"));
    for (int i = 0; i < 1000; ++i)
        large.addEntity(ENTITY_PHONE, typed(QStringLiteral("+1 555 %1").arg(i), QStringLiteral("2")));
    ContactDisplayer card;
    card.showContact(large);
    QVERIFY(card.hasPendingLines());
    card.showContact(contact(QStringLiteral("Small"), {{ENTITY_PHONE, typed(QStringLiteral("1"), QStringLiteral("2"))}}));
    QVERIFY(!card.hasPendingLines());
    QTest::qWait(50);
    QCOMPARE(sections(card), (Sections{{QStringLiteral("Phone:"), QStringLiteral("Mobile:1")}}));
    card.showContact(large);
    card.clearCard();
    QVERIFY(!card.hasPendingLines());
    QTest::qWait(50);
    QCOMPARE(sections(card), Sections{});
}

QTEST_MAIN(ContactDisplayerTest)
#include "contactdisplayertest.moc"
