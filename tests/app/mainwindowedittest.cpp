// The commands that change contacts, on local databases: add, edit (double
// click and menu), delete contacts, delete a group, delete a database, set
// and remove a group; and the group chooser.
#include "app/contactdisplayer.h"
#include "app/groupform.h"
#include "app/itemmodelcontacts.h"
#include "app/mytreeview.h"
#include "contacts/contacteditor.h"
#include "contacts/editcontactform.h"
#include "contacts/entitieseditor.h"
#include "contacts/entitykind.h"
#include "contacts/localdb.h"
#include "contacts/localdbcombinerule.h"

#include "commandfixture.h"
#include "panetestutil.h"
#include "tests/contacts/dbtestutil.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace pim;

namespace {

QList<Contact> people()
{
    return { person(QStringLiteral("Ann Lee"), QStringLiteral("ann@example.org"), QStringLiteral("+1 555 0100")),
             person(QStringLiteral("Bob Stone"), QStringLiteral("bob@example.org"), QStringLiteral("+1 555 0101")),
             person(QStringLiteral("Cleo Moss"), QStringLiteral("cleo@example.org")),
             person(QStringLiteral("Dan Ray"), QStringLiteral("dan@example.org")),
             person(QStringLiteral("\u05e9\u05e8\u05d4 <b>\U0001F600</b>"), QStringLiteral("sara@example.org")) };
}

// Types into the group chooser and presses OK.
ModalAnswers::DialogAnswer chooseGroup(const QString &text, QStringList *items = nullptr)
{
    return [text, items](QDialog &dialog) {
        auto *form = qobject_cast<GroupForm *>(&dialog);
        if (!form)
            return int(QDialog::Rejected);
        auto *box = form->findChild<QComboBox *>(QStringLiteral("cbGroups"));
        if (items) {
            for (int i = 0; i < box->count(); ++i)
                *items << box->itemText(i);
        }
        box->setEditText(text);
        form->onBtnOKPressed();
        return form->result();
    };
}

QStringList groupsIn(const QString &path)
{
    LocalDb db(path, std::make_shared<LocalDbCombineRule>());
    QStringList names;
    for (const ContactGroup &g : db.listGroups())
        names << g.name;
    return names;
}

QStringList membersOf(const QString &path, const QString &group)
{
    LocalDb db(path, std::make_shared<LocalDbCombineRule>());
    QStringList names;
    for (const ContactGroup &g : db.listGroups()) {
        if (g.name == group) {
            for (const Contact &c : db.searchContacts(g._id, QString()))
                names << c.fullName;
        }
    }
    return names;
}

} // namespace

class MainWindowEditTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void newContact();
    void newContactDuplicateNameStaysInEditor();
    void editByDoubleClick();
    void editByMenuNeedsOneRow_data();
    void editByMenuNeedsOneRow();
    void editUnchangedWritesNothing();
    void editCancelledWritesNothing();
    void editFailureRollsBack();
    void deleteThreeContacts();
    void deleteDeclined();
    void deleteGroup();
    void deleteLocalDb_data();
    void deleteLocalDb();
    void setAndRemoveGroup();
    void setGroupOtherLetterCase();
    void setGroupReplacesMembership();
    void groupFormChoices_data();
    void groupFormChoices();
    void groupFormUnreadableIsNotShown();

private:
    void openWith(const QList<Contact> &contacts, const QStringList &groups = {});
    [[nodiscard]] QString path() const { return f.dbPath(QStringLiteral("people.db")); }
    [[nodiscard]] ItemModelContacts *list() const
    {
        return qobject_cast<ItemModelContacts *>(f.treeContacts()->model());
    }

    CommandFixture f;
};

void MainWindowEditTest::initTestCase()
{
    QVERIFY(f.setUpProgram());
}

void MainWindowEditTest::init()
{
    f.clearData();
}

void MainWindowEditTest::cleanup()
{
    const QString problems = f.closeWindow();
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
}

void MainWindowEditTest::openWith(const QList<Contact> &contacts, const QStringList &groups)
{
    panetest::makeDb(path(), contacts, groups);
    f.openWindow();
    QVERIFY(f.select(QStringLiteral("people.db")) || f.select(QStringLiteral("people")));
}

void MainWindowEditTest::newContact()
{
    openWith(people());
    f.answers().answerDialog(CommandFixture::applyEditor([](EditContactForm &form) {
        form.findChild<QLineEdit *>(QStringLiteral("txtFirstName"))->setText(QStringLiteral("Zoë"));
        form.findChild<QLineEdit *>(QStringLiteral("txtLastName"))->setText(QStringLiteral("<i>Quinn</i>"));
        auto *phones = form.findChild<EntitiesEditor *>(QStringLiteral("wdPhones"));
        phones->add();
        phones->rowWidgets(0)[1]->setProperty("text", QStringLiteral("+47 22 00 00 00"));
    }));
    f.trigger("actNewContact");
    QCOMPARE(f.answers().dialogs(), QStringList { "EditContactForm" });
    QVERIFY(CommandFixture::namesIn(path()).contains(QStringLiteral("Zoë <i>Quinn</i>")));
    // Appended as the new current row and shown on the card.
    QCOMPARE(f.listed().last(), QStringLiteral("Zoë <i>Quinn</i>"));
    QCOMPARE(f.treeContacts()->currentIndex().row(), list()->rowCount() - 1);
    const Contact *row = list()->contactAt(f.treeContacts()->currentIndex());
    QVERIFY(row && row->_id != 0);
    QCOMPARE(ItemModelContacts::phoneText(*row), QStringLiteral("+47 22 00 00 00"));
}

void MainWindowEditTest::newContactDuplicateNameStaysInEditor()
{
    openWith(people());
    f.answers().answerDialog([](QDialog &dialog) {
        auto &form = static_cast<EditContactForm &>(dialog);
        form.findChild<QLineEdit *>(QStringLiteral("txtFirstName"))->setText(QStringLiteral("ANN"));
        form.findChild<QLineEdit *>(QStringLiteral("txtLastName"))->setText(QStringLiteral("lee"));
        form.onBtnSavePressed();
        const bool stayed = form.result() != QDialog::Accepted;
        form.findChild<QLineEdit *>(QStringLiteral("txtLastName"))->setText(QStringLiteral("Leigh"));
        form.onBtnSavePressed();
        return stayed ? form.result() : int(QDialog::Rejected);
    });
    f.window()->miNewContact();
    QCOMPARE(f.answers().messageBoxTexts(), QStringList { "Contact ANN lee has already existed." });
    QVERIFY(CommandFixture::namesIn(path()).contains(QStringLiteral("ANN Leigh")));
    QCOMPARE(CommandFixture::namesIn(path()).size(), people().size() + 1);
}

void MainWindowEditTest::editByDoubleClick()
{
    openWith(people());
    const int row = int(f.listed().indexOf(QStringLiteral("Bob Stone")));
    QVERIFY(row >= 0);
    f.answers().answerDialog(CommandFixture::applyEditor([](EditContactForm &form) {
        auto *phones = form.findChild<EntitiesEditor *>(QStringLiteral("wdPhones"));
        phones->rowWidgets(0)[1]->setProperty("text", QStringLiteral("+1 555 0199"));
        auto *emails = form.findChild<EntitiesEditor *>(QStringLiteral("wdEmails"));
        emails->add();
        emails->rowWidgets(1)[1]->setProperty("text", QStringLiteral("bob@work.example"));
    }));
    emit f.treeContacts()->doubleClicked(list()->contactIndex(row));
    QCOMPARE(f.answers().dialogs(), QStringList { "EditContactForm" });

    LocalDb db(path(), std::make_shared<LocalDbCombineRule>());
    const Contact stored = db.loadContact(db.findContactIdByFullName(QStringLiteral("Bob Stone")));
    QCOMPARE(stored.entitiesOf(ENTITY_PHONE).size(), 1);
    QCOMPARE(stored.entitiesOf(ENTITY_PHONE)[0].text(data1), QStringLiteral("+1 555 0199"));
    QCOMPARE(stored.entitiesOf(ENTITY_EMAIL).size(), 2);
    // The list row shows the stored contact.
    const Contact *record = list()->contactAt(list()->contactIndex(row));
    QCOMPARE(*record, stored);
}

void MainWindowEditTest::editByMenuNeedsOneRow_data()
{
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<bool>("opens");
    QTest::newRow("one") << QList<int> { 2 } << true;
    QTest::newRow("two") << QList<int> { 1, 2 } << false;
    QTest::newRow("none") << QList<int> {} << false;
}

void MainWindowEditTest::editByMenuNeedsOneRow()
{
    QFETCH(QList<int>, rows);
    QFETCH(bool, opens);
    openWith(people());
    f.selectRows(rows);
    if (!rows.isEmpty())
        f.treeContacts()->selectionModel()->setCurrentIndex(list()->contactIndex(rows.last()),
                                                            QItemSelectionModel::NoUpdate);
    QString title;
    if (opens) {
        f.answers().answerDialog([&title](QDialog &dialog) {
            title = dialog.findChild<QLabel *>(QStringLiteral("lbTitle"))->text();
            return int(QDialog::Rejected);
        });
    }
    f.window()->miContactEdit();
    QCOMPARE(f.answers().dialogs().size(), opens ? 1 : 0);
    if (opens)
        QCOMPARE(title, QStringLiteral("Edit Contact ") + f.listed()[rows.last()]);
}

void MainWindowEditTest::editUnchangedWritesNothing()
{
    Contact rich = person(QStringLiteral("Eve Hart"), QStringLiteral("eve@example.org"));
    rich.addEntity(ENTITY_NOTE, panetest::entity({ { data1, "first note" } }));
    rich.addEntity(ENTITY_NOTE, panetest::entity({ { data1, "second note" } }));
    rich.addEntity(ENTITY_ORGANIZATION, panetest::entity({ { data1, "Acme" }, { data2, "0" }, { data3, "Board" } }));
    rich.addEntity(ENTITY_EVENT, panetest::entity({ { data1, "--05-17" }, { data2, "3" } }));
    openWith({ rich }, { "Friends" });
    const QStringList before = dbtest::dump(path());
    f.answers().answerDialog(CommandFixture::applyEditor([](EditContactForm &) {}));
    emit f.treeContacts()->doubleClicked(list()->contactIndex(0));
    QCOMPARE(f.answers().dialogs().size(), 1);
    QCOMPARE(dbtest::dump(path()), before);
    QVERIFY(f.answers().messageBoxes().isEmpty());
}

void MainWindowEditTest::editCancelledWritesNothing()
{
    openWith(people());
    const QStringList before = dbtest::dump(path());
    f.answers().answerDialog([](QDialog &dialog) {
        dialog.findChild<QLineEdit *>(QStringLiteral("txtFirstName"))->setText(QStringLiteral("Changed"));
        return int(QDialog::Rejected);
    });
    emit f.treeContacts()->doubleClicked(list()->contactIndex(0));
    QCOMPARE(dbtest::dump(path()), before);
}

void MainWindowEditTest::editFailureRollsBack()
{
    openWith(people());
    const QStringList before = dbtest::dump(path());
    // The data table goes away while the editor is open: the save fails
    // half way and nothing of it stays.
    f.answers().answerDialog(CommandFixture::applyEditor([this](EditContactForm &form) {
        form.findChild<QLineEdit *>(QStringLiteral("txtFirstName"))->setText(QStringLiteral("Changed"));
        auto *emails = form.findChild<EntitiesEditor *>(QStringLiteral("wdEmails"));
        emails->add();
        emails->rowWidgets(1)[1]->setProperty("text", QStringLiteral("x@example.org"));
        dbtest::exec(path(), QStringLiteral("create trigger no_inserts before insert on data begin "
                                            "select raise(abort, 'inserts are off'); end"));
    }));
    emit f.treeContacts()->doubleClicked(list()->contactIndex(0));
    QCOMPARE(f.answers().messageBoxes().size(), 1);
    QCOMPARE(f.answers().messageBoxes()[0].icon, QMessageBox::Critical);
    QVERIFY(f.answers().messageBoxTexts()[0].contains(QStringLiteral("inserts are off")));
    dbtest::exec(path(), QStringLiteral("drop trigger no_inserts"));
    QCOMPARE(dbtest::dump(path()), before);
    QCOMPARE(f.listed()[0], QStringLiteral("Ann Lee"));
}

void MainWindowEditTest::deleteThreeContacts()
{
    openWith(people());
    f.selectRows({ 0, 2, 3 });
    f.answers().answerMessageBox(QMessageBox::Yes);
    f.window()->miContactDel();
    QCOMPARE(f.answers().messageBoxTexts(),
             (QStringList { "Confirm to delete selected contacts?", "Successfully deleted contact." }));
    QCOMPARE(CommandFixture::namesIn(path()),
             (QStringList { "Bob Stone", "\u05e9\u05e8\u05d4 <b>\U0001F600</b>" }));
    QCOMPARE(f.listed(), (QStringList { "Bob Stone", "\u05e9\u05e8\u05d4 <b>\U0001F600</b>" }));
    QCOMPARE(dbtest::scalar(path(), QStringLiteral("select count(*) from data")), QStringLiteral("5"));
}

void MainWindowEditTest::deleteDeclined()
{
    openWith(people());
    f.selectRows({ 0 });
    f.answers().answerMessageBox(QMessageBox::No);
    f.window()->miContactDel();
    QCOMPARE(CommandFixture::namesIn(path()).size(), people().size());
}

void MainWindowEditTest::deleteGroup()
{
    openWith(people(), { "Work", "", "Work", "Home" });
    QVERIFY(f.select(QStringLiteral("Work")));
    QCOMPARE(f.listed(), (QStringList { "Ann Lee", "Cleo Moss" }));
    f.answers().answerMessageBox(QMessageBox::Yes);
    f.window()->miTreeDel();
    QCOMPARE(f.answers().messageBoxTexts(),
             (QStringList { "Confirm to delete the Group?", "Successfully deleted contact." }));
    QCOMPARE(CommandFixture::namesIn(path()),
             (QStringList { "Bob Stone", "Dan Ray", "\u05e9\u05e8\u05d4 <b>\U0001F600</b>" }));
    QCOMPARE(groupsIn(path()), QStringList { "Home" });
    QCOMPARE(f.currentNodeName(), QStringLiteral("people.db"));
    auto *node = f.tree()->localDbNodes().first();
    QCOMPARE(f.nodeNames(node), QStringList { "Home" });
    QVERIFY(f.treeMain()->isExpanded(f.tree()->indexOfNode(node)));
}

void MainWindowEditTest::deleteLocalDb_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("confirmed") << true;
    QTest::newRow("declined") << false;
}

void MainWindowEditTest::deleteLocalDb()
{
    QFETCH(bool, yes);
    openWith(people());
    f.answers().answerMessageBox(yes ? QMessageBox::Yes : QMessageBox::No);
    f.window()->miTreeDel();
    QCOMPARE(QFile::exists(path()), !yes);
    QCOMPARE(f.tree()->localDbNodes().size(), yes ? 0 : 1);
    const QStringList expected = yes ? QStringList { "Confirm to delete this Local Database?",
                                                     "Successfully deleted Local Database." }
                                     : QStringList { "Confirm to delete this Local Database?" };
    QCOMPARE(f.answers().messageBoxTexts(), expected);
}

void MainWindowEditTest::setAndRemoveGroup()
{
    openWith(people(), { "", "", "", "Home", "" });
    f.selectRows({ 0, 1 });
    QStringList items;
    f.answers().answerDialog(chooseGroup(QStringLiteral("  Friends  "), &items));
    f.window()->miContactSetGroup();
    QCOMPARE(items, QStringList { "Home" });
    QCOMPARE(membersOf(path(), QStringLiteral("Friends")), (QStringList { "Ann Lee", "Bob Stone" }));
    QCOMPARE(f.answers().messageBoxTexts(), QStringList { "Successfuly set Contact Group" });
    QCOMPARE(f.currentNodeName(), QStringLiteral("people.db"));
    QCOMPARE(f.nodeNames(f.tree()->localDbNodes().first()), (QStringList { "Friends", "Home" }));

    // An empty name, confirmed: out of every group.
    f.selectRows({ 0, 3 });
    f.answers().answerMessageBox(QMessageBox::Yes);
    f.answers().answerDialog(chooseGroup(QString()));
    f.window()->miContactSetGroup();
    QCOMPARE(membersOf(path(), QStringLiteral("Friends")), QStringList { "Bob Stone" });
    QCOMPARE(membersOf(path(), QStringLiteral("Home")), QStringList());
    QCOMPARE(f.answers().messageBoxTexts().mid(1),
             (QStringList { "Confirm to remove seleted member from the Group?", "Successfuly set Contact Group" }));
}

void MainWindowEditTest::setGroupOtherLetterCase()
{
    openWith(people(), { "Friends", "", "", "", "" });
    f.selectRows({ 2 });
    f.answers().answerDialog(chooseGroup(QStringLiteral("FRIENDS")));
    f.window()->miContactSetGroup();
    QCOMPARE(groupsIn(path()), QStringList { "Friends" });
    QCOMPARE(membersOf(path(), QStringLiteral("Friends")), (QStringList { "Ann Lee", "Cleo Moss" }));
    // The membership carries the group's stored name.
    QCOMPARE(dbtest::scalar(path(), QStringLiteral("select count(*) from data where type=7 and data2='FRIENDS'")),
             QStringLiteral("0"));
}

void MainWindowEditTest::setGroupReplacesMembership()
{
    openWith(people(), { "Work", "", "", "", "" });
    f.selectRows({ 0 });
    f.answers().answerDialog(chooseGroup(QStringLiteral("Home")));
    f.window()->miContactSetGroup();
    QCOMPARE(membersOf(path(), QStringLiteral("Work")), QStringList());
    QCOMPARE(membersOf(path(), QStringLiteral("Home")), QStringList { "Ann Lee" });
    QCOMPARE(dbtest::scalar(path(), QStringLiteral("select count(*) from data where type=7")), QStringLiteral("1"));
}

void MainWindowEditTest::groupFormChoices_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("answer");   // to the ungroup question, when asked
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<QString>("name");
    QTest::newRow("existing") << "Work" << 0 << true << true << "Work";
    QTest::newRow("other letter case is new") << "work" << 0 << true << false << "work";
    QTest::newRow("new, trimmed") << " Club \U0001F3B8 " << 0 << true << false << "Club \U0001F3B8";
    QTest::newRow("empty, yes") << "  " << int(QMessageBox::Yes) << true << false << "";
    QTest::newRow("empty, no") << "" << int(QMessageBox::No) << false << false << "";
}

void MainWindowEditTest::groupFormChoices()
{
    QFETCH(QString, text);
    QFETCH(int, answer);
    QFETCH(bool, accepted);
    QFETCH(bool, existing);
    QFETCH(QString, name);

    panetest::makeDb(path(), people(), { "Work", "Home" });
    LocalDb db(path(), std::make_shared<LocalDbCombineRule>());
    GroupForm form(&db);
    QVERIFY(form.groupsRead());
    QCOMPARE(form.size(), QSize(403, 146));
    auto *box = form.findChild<QComboBox *>(QStringLiteral("cbGroups"));
    QVERIFY(box->isEditable());
    QCOMPARE(box->count(), 2);
    QCOMPARE(box->currentText(), QStringLiteral("Home"));   // the first item, by name
    form.show();
    if (answer)
        f.answers().answerMessageBox(QMessageBox::StandardButton(answer));
    box->setEditText(text);
    form.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
    QCOMPARE(form.result() == QDialog::Accepted, accepted);
    QCOMPARE(form.isVisible(), !accepted);
    if (accepted) {
        QCOMPARE(form.groupName(), name);
        QCOMPARE(form.groupId() != 0, existing);
        if (existing)
            QCOMPARE(form.groupId(), box->itemData(box->findText(name)).toLongLong());
    }
}

void MainWindowEditTest::groupFormUnreadableIsNotShown()
{
    QFile broken(path());
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray(2048, 'x'));
    broken.close();
    f.openWindow();
    QVERIFY(f.select(QStringLiteral("people.db")) || f.select(QStringLiteral("people")));
    f.window()->miContactSetGroup();
    QCOMPARE(f.answers().dialogs(), QStringList());
    QCOMPARE(f.answers().messageBoxes().size(), 1);
    QCOMPARE(f.answers().messageBoxes()[0].icon, QMessageBox::Critical);
}

QTEST_MAIN(MainWindowEditTest)
#include "mainwindowedittest.moc"
