// The commands that change contacts, on simulated phones: the phone's cache
// database is changed first, then the phone itself, which is checked in the
// simulator's store. Also phones leaving while a question or a progress
// form is open, and a send that fails.
#include "android/androidcontactsdb.h"
#include "android/androidwificonnector.h"
#include "android/linktimings.h"
#include "android/wireencoding.h"
#include "app/itemmodelcontacts.h"
#include "app/mytreeview.h"
#include "contacts/contactformat.h"
#include "contacts/editcontactform.h"
#include "contacts/entitieseditor.h"
#include "contacts/entitykind.h"
#include "contacts/localdb.h"
#include "tools/phonesim/phonesimdriver.h"

#include "commandfixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

using namespace pim;

namespace {

// The row lines of one contact (by display name) in a dump.
QList<QByteArray> rowsOf(const QByteArray &dump, const QString &name)
{
    QList<QByteArray> rows;
    bool inside = false;
    for (const QByteArray &line : dump.split('\n')) {
        if (line.startsWith("contact\t"))
            inside = QString::fromUtf8(line.split('\t').value(3)) == name;
        else if (inside && line.startsWith("row\t"))
            rows << line;
    }
    return rows;
}

} // namespace

class MainWindowPhoneEditTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void editNumber();
    void addEmailGetsThePhonesId();
    void newContactReachesThePhone();
    void deleteThreeContacts();
    void deleteGroup();
    void clearPhoneOf5000();
    void setAndRemoveGroup();
    void phoneLeavesDuringQuestion();
    void phoneLeavesDuringProgress();
    void failedSendReloadsThePhone_data();
    void failedSendReloadsThePhone();

private:
    // A simulated WiFi phone at `address` with `count` generated contacts,
    // shown as the current node of the window.
    void openPhone(const QString &address, int count);
    // A phone node whose cache holds `contacts` as a receive would store them.
    CommandFixture::Tree::_DBItemNode *addPhoneNode(const QString &name, const QString &deviceId,
                                                    const QByteArray &wire, PAndroidConnector connector);
    [[nodiscard]] ItemModelContacts *list() const
    {
        return qobject_cast<ItemModelContacts *>(f.treeContacts()->model());
    }
    [[nodiscard]] QByteArray dump() const { return m_sim->dump(m_phone); }
    [[nodiscard]] std::shared_ptr<LocalDb> cache() const { return m_node ? m_node->db : nullptr; }

    CommandFixture f;
    std::unique_ptr<PhoneSimDriver> m_sim;
    QString m_phone;
    QString m_deviceId;
    CommandFixture::Tree::_DBItemNode *m_node = nullptr;
};

void MainWindowPhoneEditTest::initTestCase()
{
    QVERIFY(f.setUpProgram());
}

void MainWindowPhoneEditTest::init()
{
    // The simulated agent listens right after the start request.
    LinkTimings::reset();
    LinkTimings::setStartPauseMs(100);
    f.clearData();
    m_sim = std::make_unique<PhoneSimDriver>();
    m_node = nullptr;
}

void MainWindowPhoneEditTest::cleanup()
{
    const QString problems = f.closeWindow();
    m_sim.reset();
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
}

CommandFixture::Tree::_DBItemNode *MainWindowPhoneEditTest::addPhoneNode(const QString &name, const QString &deviceId,
                                                                        const QByteArray &wire,
                                                                        PAndroidConnector connector)
{
    auto db = std::make_shared<AndroidContactsDb>(f.cachePath(deviceId), connector);
    db->create();
    db->beginTransaction();
    QHash<QString, qint64> contactIds;   // "key1/key2" -> _id
    for (const QByteArray &raw : wire.split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (!line.startsWith(QStringLiteral("$ent:")))
            continue;
        const QStringList fields = line.mid(5).split(QLatin1Char(','));
        int kind = 0;
        qint64 key1 = 0;
        qint64 key2 = 0;
        if (!parseSrcId(fields[0], &kind, &key1, &key2))
            continue;
        Entity entity;
        entity.srcId = fields[0];
        decodeEntityFields(fields, kind, entity);
        const QString key = QStringLiteral("%1/%2").arg(key1).arg(key2);
        if (kind == ENTITY_NAME) {
            Contact contact;
            contact.srcId = fields[0];
            contact.fullName = formatPersonName(entity);
            db->insertContact(contact);
            contactIds.insert(key, contact._id);
        } else if (kind == ENTITY_GROUP_MEMBERSHIP) {
            entity.setValue(data1, db->findOrCreateGroup(entity.text(data2)));
        }
        db->insertData(contactIds.value(key), kind, entity);
    }
    db->endTransaction(true);
    CommandFixture::Tree::_DBItemNode *node = f.tree()->addDevice(db, name, deviceId, CommandFixture::Tree::AndroidDevice);
    f.tree()->loadGroups(node);
    return node;
}

void MainWindowPhoneEditTest::openPhone(const QString &address, int count)
{
    m_phone = QStringLiteral("wifi-") + address;
    QVERIFY2(m_sim->create({ QStringLiteral("wifi=") + address, QStringLiteral("contacts=%1").arg(count),
                             QStringLiteral("name=Test Phone") }),
             m_sim->lastError().constData());
    QVERIFY2(m_sim->start(), m_sim->lastError().constData());
    f.openWindow();
    auto connector = std::make_shared<AndroidWifiConnector>();
    connector->hello(address);
    m_deviceId = connector->deviceId();
    m_node = addPhoneNode(QStringLiteral("Test Phone"), m_deviceId, m_sim->dump(m_phone, { "--wire" }), connector);
    QVERIFY(f.select(QStringLiteral("Test Phone")));
    QCOMPARE(f.listed().size(), count);
}

void MainWindowPhoneEditTest::editNumber()
{
    openPhone(QStringLiteral("127.0.0.141"), 4);
    if (QTest::currentTestFailed())
        return;
    int row = -1;
    for (int i = 0; i < list()->rowCount() && row < 0; ++i) {
        if (list()->contacts()[i].hasEntities(ENTITY_PHONE))
            row = i;
    }
    QVERIFY(row >= 0);
    // The list holds outlines; the editor shows the whole contact.
    const Contact before = cache()->loadContact(list()->contacts()[row]._id);
    const Entity phone = before.entitiesOf(ENTITY_PHONE)[0];
    f.answers().answerDialog(CommandFixture::applyEditor([](EditContactForm &form) {
        auto *phones = form.findChild<EntitiesEditor *>(QStringLiteral("wdPhones"));
        phones->rowWidgets(0)[1]->setProperty("text", QStringLiteral("+47 915 00 000"));
    }));
    emit f.treeContacts()->doubleClicked(list()->contactIndex(row));

    QVERIFY(m_sim->transcript(m_phone).contains("\trestore\t<\t$ent:" + phone.srcId.toUtf8() + ","));
    const QList<QByteArray> rows = rowsOf(dump(), before.fullName);
    QVERIFY(std::any_of(rows.begin(), rows.end(), [&](const QByteArray &r) {
        return r.startsWith("row\t" + phone.srcId.toUtf8() + "\tphone\t") && r.endsWith("\tnumber=+47 915 00 000");
    }));
    const Contact after = cache()->loadContact(before._id);
    QCOMPARE(after.entitiesOf(ENTITY_PHONE)[0].text(data1), QStringLiteral("+47 915 00 000"));
    QCOMPARE(after.entitiesOf(ENTITY_PHONE)[0].srcId, phone.srcId);
    QCOMPARE(ItemModelContacts::phoneText(list()->contacts()[row]).isEmpty(), false);
    QVERIFY(f.answers().messageBoxes().isEmpty());
}

void MainWindowPhoneEditTest::addEmailGetsThePhonesId()
{
    openPhone(QStringLiteral("127.0.0.142"), 3);
    if (QTest::currentTestFailed())
        return;
    const Contact before = list()->contacts()[1];
    f.answers().answerDialog(CommandFixture::applyEditor([](EditContactForm &form) {
        auto *emails = form.findChild<EntitiesEditor *>(QStringLiteral("wdEmails"));
        emails->add();
        emails->rowWidgets(emails->rowCount() - 1)[1]->setProperty("text", QStringLiteral("new@example.org"));
    }));
    emit f.treeContacts()->doubleClicked(list()->contactIndex(1));

    const QList<QByteArray> rows = rowsOf(dump(), before.fullName);
    QVERIFY(std::any_of(rows.begin(), rows.end(),
                        [](const QByteArray &r) { return r.endsWith("\taddress=new@example.org"); }));
    const Contact after = cache()->loadContact(before._id);
    const QList<Entity> &emails = after.entitiesOf(ENTITY_EMAIL);
    QCOMPARE(emails.last().text(data1), QStringLiteral("new@example.org"));
    // The phone's answer mapped the provisional id to the phone's row.
    qint64 id = 0;
    QVERIFY2(parseSrcId(emails.last().srcId, nullptr, nullptr, nullptr, &id), qPrintable(emails.last().srcId));
    QVERIFY(id > 0);
    QVERIFY(rows.contains(QByteArray()) || std::any_of(rows.begin(), rows.end(), [&](const QByteArray &r) {
        return r.startsWith("row\t" + emails.last().srcId.toUtf8() + "\temail\t");
    }));
    // The list row shows it too.
    QCOMPARE(list()->contacts()[1].entitiesOf(ENTITY_EMAIL).last().srcId, emails.last().srcId);
}

void MainWindowPhoneEditTest::newContactReachesThePhone()
{
    openPhone(QStringLiteral("127.0.0.153"), 2);
    if (QTest::currentTestFailed())
        return;
    f.answers().answerDialog(CommandFixture::applyEditor([](EditContactForm &form) {
        form.findChild<QLineEdit *>(QStringLiteral("txtFirstName"))->setText(QStringLiteral("Øyvind"));
        form.findChild<QLineEdit *>(QStringLiteral("txtLastName"))->setText(QStringLiteral("<b>Ås</b> \u05e9"));
        auto *phones = form.findChild<EntitiesEditor *>(QStringLiteral("wdPhones"));
        phones->add();
        phones->rowWidgets(0)[1]->setProperty("text", QStringLiteral("+47 22 33 44 55"));
    }));
    f.window()->miNewContact();
    const QString name = QStringLiteral("Øyvind <b>Ås</b> \u05e9");
    QVERIFY(CommandFixture::namesInStore(dump()).contains(name));
    const QList<QByteArray> rows = rowsOf(dump(), name);
    QVERIFY(std::any_of(rows.begin(), rows.end(),
                        [](const QByteArray &r) { return r.endsWith("\tnumber=+47 22 33 44 55"); }));
    // The cache holds the phone's ids for the contact and both rows.
    const Contact stored = cache()->loadContact(cache()->findContactIdByFullName(name));
    qint64 id = 0;
    QVERIFY2(parseSrcId(stored.srcId, nullptr, nullptr, nullptr, &id) && id > 0, qPrintable(stored.srcId));
    for (int kind : { int(ENTITY_NAME), int(ENTITY_PHONE) }) {
        const Entity *e = stored.firstEntity(kind);
        QVERIFY(e);
        QVERIFY2(parseSrcId(e->srcId, nullptr, nullptr, nullptr, &id) && id > 0, qPrintable(e->srcId));
    }
    QCOMPARE(f.listed().last(), name);
}

void MainWindowPhoneEditTest::deleteThreeContacts()
{
    openPhone(QStringLiteral("127.0.0.143"), 6);
    if (QTest::currentTestFailed())
        return;
    const QStringList gone = f.listed().mid(0, 3);
    f.selectRows({ 0, 1, 2 });
    f.answers().answerMessageBox(QMessageBox::Yes);
    f.window()->miContactDel();
    QCOMPARE(f.answers().messageBoxTexts(),
             (QStringList { "Confirm to delete selected contacts?", "Successfully deleted contact." }));
    const QStringList left = CommandFixture::namesInStore(dump());
    QCOMPARE(left.size(), 3);
    for (const QString &name : gone)
        QVERIFY(!left.contains(name));
    QCOMPARE(f.listed().size(), 3);
    QCOMPARE(cache()->searchContacts(0, QString()).size(), 3);
}

void MainWindowPhoneEditTest::deleteGroup()
{
    openPhone(QStringLiteral("127.0.0.144"), 30);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(!m_node->children.isEmpty());
    const auto *group = static_cast<CommandFixture::Tree::_GroupItemNode *>(m_node->children.first());
    const QString groupName = group->group.name;
    QVERIFY(f.select(groupName));
    const QStringList members = f.listed();
    QVERIFY(!members.isEmpty());
    f.answers().answerMessageBox(QMessageBox::Yes);
    f.window()->miTreeDel();

    const QByteArray after = dump();
    for (const QString &name : members)
        QVERIFY2(!CommandFixture::namesInStore(after).contains(name), qPrintable(name));
    QCOMPARE(CommandFixture::namesInStore(after).size(), 30 - members.size());
    QVERIFY(!after.contains("\tgroup=" + groupName.toUtf8() + "\n"));
    QCOMPARE(f.currentNodeName(), QStringLiteral("Test Phone"));
    QStringList groups;
    for (const auto *child : m_node->children)
        groups << child->name;
    QVERIFY(!groups.contains(groupName));
}

void MainWindowPhoneEditTest::clearPhoneOf5000()
{
    openPhone(QStringLiteral("127.0.0.145"), 5000);
    if (QTest::currentTestFailed())
        return;
    f.answers().answerMessageBox(QMessageBox::Yes);
    f.select(QStringLiteral("Test Phone"));
    f.window()->miTreeDel();
    QCOMPARE(f.answers().messageBoxTexts(),
             (QStringList { "Confirm to clear all Android Contacts?", "Successfully deleted contact." }));
    QCOMPARE(m_sim->dump(m_phone, { "--count" }).trimmed(), QByteArray("0"));
    QCOMPARE(f.listed(), QStringList());
}

void MainWindowPhoneEditTest::setAndRemoveGroup()
{
    openPhone(QStringLiteral("127.0.0.146"), 5);
    if (QTest::currentTestFailed())
        return;
    const QStringList chosen { f.listed()[0], f.listed()[3] };
    f.selectRows({ 0, 3 });
    f.answers().answerDialog([](QDialog &dialog) {
        dialog.findChild<QComboBox *>(QStringLiteral("cbGroups"))->setEditText(QStringLiteral("Chess Club ♞"));
        QMetaObject::invokeMethod(&dialog, "onBtnOKPressed");
        return dialog.result();
    });
    f.window()->miContactSetGroup();
    QCOMPARE(f.answers().messageBoxTexts(), QStringList { "Successfuly set Contact Group" });
    QByteArray phone = dump();
    for (const QString &name : chosen) {
        const QList<QByteArray> rows = rowsOf(phone, name);
        QCOMPARE(std::count_if(rows.begin(), rows.end(), [](const QByteArray &r) { return r.contains("\tgroup\t"); }),
                 1);
        QVERIFY(std::any_of(rows.begin(), rows.end(),
                            [](const QByteArray &r) { return r.endsWith("\tgroup=Chess Club ♞"); }));
    }

    // Out of every group again.
    f.selectRows({ 0, 3 });
    f.answers().answerMessageBox(QMessageBox::Yes);
    f.answers().answerDialog([](QDialog &dialog) {
        dialog.findChild<QComboBox *>(QStringLiteral("cbGroups"))->setEditText(QString());
        QMetaObject::invokeMethod(&dialog, "onBtnOKPressed");
        return dialog.result();
    });
    f.window()->miContactSetGroup();
    phone = dump();
    for (const QString &name : chosen) {
        const QList<QByteArray> rows = rowsOf(phone, name);
        QVERIFY(std::none_of(rows.begin(), rows.end(), [](const QByteArray &r) { return r.contains("\tgroup\t"); }));
    }
    QVERIFY(m_sim->transcript(m_phone).contains("\trestore\t<\t$ungroup:"));
}

void MainWindowPhoneEditTest::phoneLeavesDuringQuestion()
{
    openPhone(QStringLiteral("127.0.0.147"), 4);
    if (QTest::currentTestFailed())
        return;
    // Another phone that arrives while the question is open and becomes
    // current: it must not lose the rows picked on the first one.
    // The other phone holds the same contacts in a cache of its own.
    const QByteArray otherWire = m_sim->dump(m_phone, { "--wire" });
    const QByteArray before = dump();
    f.selectRows({ 0, 1 });
    CommandFixture::Tree::_DBItemNode *other = nullptr;
    f.answers().answerMessageBox([&](QMessageBox &) {
        f.tree()->removeDevice(m_deviceId);
        other = addPhoneNode(QStringLiteral("Other Phone"), QStringLiteral("OTHER1"), otherWire,
                             std::make_shared<AndroidWifiConnector>());
        f.select(QStringLiteral("Other Phone"));
        return QMessageBox::Yes;
    });
    f.window()->miContactDel();
    QVERIFY(other);
    QCOMPARE(other->db->searchContacts(0, QString()).size(), 4);
    // The window lists the current phone once the job has ended.
    QTRY_COMPARE(f.listed().size(), 4);
    QCOMPARE(dump(), before);
    QCOMPARE(f.answers().messageBoxTexts(), QStringList { "Confirm to delete selected contacts?" });
}

void MainWindowPhoneEditTest::phoneLeavesDuringProgress()
{
    openPhone(QStringLiteral("127.0.0.148"), 4);
    if (QTest::currentTestFailed())
        return;
    const std::shared_ptr<LocalDb> db = cache();
    const QByteArray otherWire = m_sim->dump(m_phone, { "--wire" });
    f.selectRows({ 0 });
    const QString gone = f.listed()[0];
    f.answers().answerMessageBox(QMessageBox::Yes);
    CommandFixture::Tree::_DBItemNode *other = nullptr;
    f.answers().answerLiveDialog([&](QDialog &dialog) {
        // The phone is unplugged and another one shows up while the job runs.
        f.tree()->removeDevice(m_deviceId);
        other = addPhoneNode(QStringLiteral("Other Phone"), QStringLiteral("OTHER2"), otherWire,
                             std::make_shared<AndroidWifiConnector>());
        f.select(QStringLiteral("Other Phone"));
        return dialog.exec();
    });
    f.window()->miContactDel();
    QVERIFY(other);
    // The other phone's rows and list are untouched; the first phone's cache
    // lost the contact.
    QCOMPARE(other->db->searchContacts(0, QString()).size(), 4);
    // The window lists the current phone once the job has ended.
    QTRY_COMPARE(f.listed().size(), 4);
    QCOMPARE(db->searchContacts(0, QString()).size(), 3);
    QVERIFY(!CommandFixture::namesInStore(dump()).contains(gone));
}

void MainWindowPhoneEditTest::failedSendReloadsThePhone_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("address");
    QTest::newRow("edit") << "edit" << "127.0.0.150";
    QTest::newRow("delete") << "delete" << "127.0.0.151";
    QTest::newRow("set group") << "group" << "127.0.0.152";
}

void MainWindowPhoneEditTest::failedSendReloadsThePhone()
{
    QFETCH(QString, command);
    QFETCH(QString, address);
    openPhone(address, 4);
    if (QTest::currentTestFailed())
        return;
    const std::shared_ptr<LocalDb> oldCache = cache();
    // The agent answers the batch with an error; a deletion, whose answer is
    // not awaited, fails by the phone's WiFi going off.
    QVERIFY(m_sim->fault(m_phone, { "error-at=1", "scope=restore", "error-message=disk full" }));
    if (command == QLatin1String("delete"))
        QVERIFY(m_sim->run(QStringLiteral("wifi"), { m_phone, QStringLiteral("off") }).ok());
    if (command == QLatin1String("edit")) {
        f.answers().answerDialog(CommandFixture::applyEditor([](EditContactForm &form) {
            form.findChild<QLineEdit *>(QStringLiteral("txtNickname"))->setText(QStringLiteral("Changed"));
        }));
        emit f.treeContacts()->doubleClicked(list()->contactIndex(0));
    } else if (command == QLatin1String("delete")) {
        f.selectRows({ 0 });
        f.answers().answerMessageBox(QMessageBox::Yes);
        f.window()->miContactDel();
    } else {
        f.selectRows({ 0, 1 });
        f.answers().answerDialog([](QDialog &dialog) {
            dialog.findChild<QComboBox *>(QStringLiteral("cbGroups"))->setEditText(QStringLiteral("Never Sent"));
            QMetaObject::invokeMethod(&dialog, "onBtnOKPressed");
            return dialog.result();
        });
        f.window()->miContactSetGroup();
    }

    // The job's error is shown, no success follows.
    const QStringList texts = f.answers().messageBoxTexts();
    const QList<ModalAnswers::MessageBoxShown> &boxes = f.answers().messageBoxes();
    QVERIFY2(std::any_of(boxes.begin(), boxes.end(),
                         [](const ModalAnswers::MessageBoxShown &box) { return box.icon == QMessageBox::Critical; }),
             qPrintable(texts.join(u'|')));
    if (command != QLatin1String("delete"))
        QVERIFY(std::any_of(texts.begin(), texts.end(), [](const QString &t) { return t.contains("disk full"); }));
    QVERIFY(!texts.contains(QStringLiteral("Successfully deleted contact.")));
    QVERIFY(!texts.contains(QStringLiteral("Successfuly set Contact Group")));
    // The phone is read again: its cache was closed for that.
    QVERIFY(!oldCache->isOpen());
    if (command == QLatin1String("group")) {
        // The group change never became part of the cache.
        QCOMPARE(oldCache->searchContacts(0, QString()).size(), 4);
        for (const ContactGroup &g : oldCache->listGroups())
            QVERIFY(g.name != QLatin1String("Never Sent"));
        for (const Contact &c : oldCache->searchContacts(0, QString())) {
            for (const Entity &m : c.entitiesOf(ENTITY_GROUP_MEMBERSHIP))
                QVERIFY(m.text(data2) != QLatin1String("Never Sent"));
        }
        oldCache->close();
    }
}

QTEST_MAIN(MainWindowPhoneEditTest)
#include "mainwindowphoneedittest.moc"
