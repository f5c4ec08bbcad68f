// The contact editor dialog: its list editors, type boxes, fields that give
// stored values back, the photo, validation, the keys it ignores, and the
// change sets it yields.
#include "app/modalanswers.h"
#include "contacts/addrentitieseditor.h"
#include "contacts/changeset.h"
#include "contacts/contacteditor.h"
#include "contacts/contactformat.h"
#include "contacts/dateentitieseditor.h"
#include "contacts/editcontactform.h"
#include "contacts/entitytypebox.h"
#include "contacts/genericentitieseditor.h"
#include "contacts/imentitieseditor.h"
#include "contacts/localdb.h"
#include "contacts/localdbcombinerule.h"

#include "dbtestutil.h"

#include <QBuffer>
#include <QDateTimeEdit>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTranslator>

using namespace pim;

namespace {

Entity row(qint64 id, std::initializer_list<std::pair<int, QString>> values)
{
    Entity e = dbtest::entity(values);
    e._id = id;
    e.srcId = QStringLiteral("3/7/1007/%1").arg(id + 500);
    return e;
}

QByteArray pictureBytes(const char *format, int width, int height, QColor color = Qt::darkCyan)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// A contact with what the editor shows and what it does not: two notes,
// an organization with a type and a label, a group membership, a year-less
// birthday, a stored label that equals an item's text, a type code the
// table lacks, an address known only as formatted text, values a one-line
// field cannot hold as they are.
Contact richContact()
{
    Contact c;
    c._id = 7;
    c.srcId = QStringLiteral("1/7/1007/-7");
    c.fullName = QStringLiteral("Dr. Ann <b>Lee</b>");
    c.addEntity(ENTITY_NAME, row(1, { { data1, "Dr. Ann <b>Lee</b>" }, { data2, "Ann" }, { data3, "<b>Lee</b>" },
                                      { data4, "" }, { data5, "Dr." }, { data6, "" }, { data7, "an" },
                                      { data8, "li" } }));
    Entity photo;
    photo._id = 2;
    photo.setValue(data15, pictureBytes("JPG", 30, 20));
    photo.setText(data4, QStringLiteral("a digest the database once wrote"));
    c.addEntity(ENTITY_PHOTO, photo);
    c.addEntity(ENTITY_PHONE, row(3, { { data1, "+1 555 0100" }, { data2, "2" }, { data3, "" } }));
    c.addEntity(ENTITY_PHONE, row(4, { { data1, "+1 555 0101" }, { data2, "0" }, { data3, "Home" } }));
    c.addEntity(ENTITY_PHONE, row(5, { { data1, "+1 555 0102" }, { data2, "77" }, { data3, "" } }));
    c.addEntity(ENTITY_PHONE, row(6, { { data1, "line\nbreak" }, { data2, "1" }, { data3, "" } }));
    c.addEntity(ENTITY_EMAIL, row(7, { { data1, QString(40000, QLatin1Char('e')) }, { data2, "1" }, { data3, "" } }));
    c.addEntity(ENTITY_NICKNAME, row(8, { { data1, "\u05e9\u05e8\u05d4 \U0001F600" }, { data2, "1" }, { data3, "" } }));
    c.addEntity(ENTITY_EVENT, row(9, { { data1, "--05-17" }, { data2, "3" }, { data3, "" } }));
    c.addEntity(ENTITY_EVENT, row(10, { { data1, "1990-05-17T00:00:00" }, { data2, "1" }, { data3, "" } }));
    c.addEntity(ENTITY_GROUP_MEMBERSHIP, row(11, { { data1, "4" }, { data2, "Friends" } }));
    c.addEntity(ENTITY_IM, row(12, { { data1, "ann@jabber" }, { data2, "1" }, { data3, "" }, { data5, "-1" },
                                    { data6, "Matrix" } }));
    c.addEntity(ENTITY_NOTE, row(13, { { data1, QString(10000, QLatin1Char('n')) + "\r\nend" } }));
    c.addEntity(ENTITY_NOTE, row(14, { { data1, "second note" } }));
    c.addEntity(ENTITY_ORGANIZATION, row(15, { { data1, "Acme" }, { data2, "0" }, { data3, "Board" }, { data4, "Boss" },
                                              { data5, "R&D" }, { data6, "" }, { data7, "" }, { data9, "" } }));
    c.addEntity(ENTITY_RELATION, row(16, { { data1, "Bob" }, { data2, "14" }, { data3, "" } }));
    c.addEntity(ENTITY_POSTAL_ADDRESS, row(17, { { data1, "PO Box 9, Springfield" }, { data2, "1" }, { data3, "" },
                                                { data4, "" }, { data5, "" }, { data6, "" }, { data7, "" },
                                                { data8, "" }, { data9, "" }, { data10, "" } }));
    c.addEntity(ENTITY_WEBSITE, row(18, { { data1, "https://ann.example" }, { data2, "1" }, { data3, "" } }));
    return c;
}

QStringList describe(const ContactChangeSet &changes)
{
    QStringList out;
    for (const ContactChange &c : changes)
        out << QStringLiteral("%1:%2:%3").arg(c.kind).arg(actionName(c.action)).arg(c.entity._id);
    return out;
}

// Types `text` into the first text field of a list editor's row.
void setRowText(EntitiesEditor *editor, int row, const QString &text)
{
    for (QWidget *w : editor->rowWidgets(row)) {
        if (auto *edit = qobject_cast<QLineEdit *>(w)) {
            if (edit->parent() && qobject_cast<QComboBox *>(edit->parent()))
                continue;   // a type box's own line edit
            edit->setText(text);
            return;
        }
        if (auto *date = qobject_cast<QDateTimeEdit *>(w)) {
            date->setDateTime(QDateTime::fromString(text, Qt::ISODate));
            return;
        }
    }
    QFAIL("no text field in the row");
}

} // namespace

class EditContactFormTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void layout();
    void title_data();
    void title();
    void listEditors_data();
    void listEditors();
    void newRowsTakeDefaults_data();
    void newRowsTakeDefaults();
    void untouchedGivesNoChange();
    void singleSections_data();
    void singleSections();
    void typeBoxReading_data();
    void typeBoxReading();
    void untouchedTypeBoxKeepsStoredType_data();
    void untouchedTypeBoxKeepsStoredType();
    void eventDates_data();
    void eventDates();
    void photoChosenByClick();
    void photoChooseAndReset_data();
    void photoChooseAndReset();
    void largePhoto();
    void unreadablePhotoRefused_data();
    void unreadablePhotoRefused();
    void validation_data();
    void validation();
    void duplicateNameCheck();
    void duplicateNameCheckFailureKeepsEditorOpen();
    void ignoredKeys_data();
    void ignoredKeys();
    void cancelAsks();

private:
    template <typename T>
    T *find(EditContactForm &form, const char *name)
    {
        T *child = form.findChild<T *>(QLatin1String(name));
        if (!child)
            qWarning("no child %s", name);
        return child;
    }
    ContactChangeSet changes(const EditContactForm &form, const Contact &source) const
    {
        return form.getChanges(m_rule, source);
    }

    QTranslator m_translator;
    LocalDbCombineRule m_rule;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ModalAnswers> m_answers;
};

void EditContactFormTest::initTestCase()
{
    QVERIFY(m_translator.load(QStringLiteral(":/en.qm")));
    QCoreApplication::installTranslator(&m_translator);
}

void EditContactFormTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_answers = std::make_unique<ModalAnswers>();
}

void EditContactFormTest::cleanup()
{
    QVERIFY2(m_answers->problems().isEmpty(), qPrintable(m_answers->problems().join(u'\n')));
    m_answers.reset();
}

void EditContactFormTest::layout()
{
    EditContactForm form(Contact(), nullptr);
    QCOMPARE(form.objectName(), QStringLiteral("EditContactForm"));
    QCOMPARE(int(form.windowFlags() & 0xFFF), 0x803);
    QCOMPARE(find<QPushButton>(form, "btnSave")->text(), QStringLiteral("Apply"));
    QCOMPARE(find<QPushButton>(form, "btnCancel")->text(), QStringLiteral("Cancel"));
    QVERIFY(find<ContactEditor>(form, "wdEditContact"));
    QCOMPARE(form.editor()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(find<QLabel>(form, "lbPhoto")->size(), QSize(64, 64));
    QCOMPARE(find<QLabel>(form, "lbPhoto")->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(find<QPlainTextEdit>(form, "txtNote")->maximumHeight(), 80);
    const QStringList placeholders { "Prefix", "First Name", "Middle Name", "Last Name", "Suffix",
                                     "Nickname", "Job Title", "Department", "Company" };
    const char *names[] = { "txtPrefix", "txtFirstName", "txtMiddleName", "txtLastName", "txtSuffix",
                            "txtNickname", "txtJobTitle", "txtDepartment", "txtCompany" };
    for (int i = 0; i < placeholders.size(); ++i)
        QCOMPARE(find<QLineEdit>(form, names[i])->placeholderText(), placeholders[i]);
    // The list editors start without rows.
    for (const char *name : { "wdPhones", "wdEmails", "wdEvents", "wdIMs", "wdRelations", "wdAddresses",
                              "wdWebsites" })
        QCOMPARE(find<EntitiesEditor>(form, name)->rowCount(), 0);
}

void EditContactFormTest::title_data()
{
    QTest::addColumn<qint64>("id");
    QTest::addColumn<QString>("fullName");
    QTest::addColumn<QString>("title");
    QTest::newRow("new") << qint64(0) << QString() << "Add New Contact";
    QTest::newRow("existing") << qint64(3) << "Ann Lee" << "Edit Contact Ann Lee";
    QTest::newRow("markup shown as typed") << qint64(3) << "<i>Ann</i>" << "Edit Contact <i>Ann</i>";
}

void EditContactFormTest::title()
{
    QFETCH(qint64, id);
    QFETCH(QString, fullName);
    QFETCH(QString, title);
    Contact c = dbtest::contact(fullName);
    c._id = id;
    EditContactForm form(c, nullptr);
    QLabel *label = find<QLabel>(form, "lbTitle");
    QCOMPARE(label->text(), title);
    QCOMPARE(label->textFormat(), Qt::PlainText);
}

void EditContactFormTest::listEditors_data()
{
    QTest::addColumn<QString>("editorName");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("storedIndex");
    QTest::addColumn<QString>("value");

    QTest::newRow("phones") << "wdPhones" << int(ENTITY_PHONE) << 0 << "+44 20 7946 0000";
    QTest::newRow("e-mail") << "wdEmails" << int(ENTITY_EMAIL) << 0 << "zoë@example.org";
    QTest::newRow("events") << "wdEvents" << int(ENTITY_EVENT) << 1 << "2001-02-03T00:00:00";
    QTest::newRow("IM") << "wdIMs" << int(ENTITY_IM) << 0 << "\u05e9@example.org";
    QTest::newRow("relations") << "wdRelations" << int(ENTITY_RELATION) << 0 << "<script>x</script>";
    QTest::newRow("addresses") << "wdAddresses" << int(ENTITY_POSTAL_ADDRESS) << 0 << "Norway";
    QTest::newRow("websites") << "wdWebsites" << int(ENTITY_WEBSITE) << 0 << "https://zoë.example/\U0001F600";
}

void EditContactFormTest::listEditors()
{
    QFETCH(QString, editorName);
    QFETCH(int, kind);
    QFETCH(int, storedIndex);
    QFETCH(QString, value);

    const Contact source = richContact();
    const QList<Entity> &stored = source.entitiesOf(kind);
    const qint64 storedId = stored[storedIndex]._id;

    {   // A row added and filled in.
        EditContactForm form(source, nullptr);
        auto *editor = form.findChild<EntitiesEditor *>(editorName);
        QVERIFY(editor);
        QCOMPARE(editor->rowCount(), stored.size());
        editor->addButton()->click();
        QCOMPARE(editor->rowCount(), stored.size() + 1);
        QCOMPARE(editor->entities().last()._id, 0);
        setRowText(editor, editor->rowCount() - 1, value);
        const ContactChangeSet set = changes(form, source);
        QCOMPARE(describe(set), QStringList { QStringLiteral("%1:ACTION_ADDED:0").arg(kind) });
        const int column = kind == ENTITY_POSTAL_ADDRESS ? int(data10) : int(data1);
        QCOMPARE(set[0].entity.text(column), value);
        QVERIFY(set[0].entity.srcId.isEmpty());
    }
    {   // A stored row changed.
        EditContactForm form(source, nullptr);
        auto *editor = form.findChild<EntitiesEditor *>(editorName);
        setRowText(editor, storedIndex, value);
        const ContactChangeSet set = changes(form, source);
        QCOMPARE(describe(set), QStringList { QStringLiteral("%1:ACTION_UPDATED:%2").arg(kind).arg(storedId) });
        QCOMPARE(set[0].entity.srcId, stored[storedIndex].srcId);
    }
    {   // A stored row removed.
        EditContactForm form(source, nullptr);
        auto *editor = form.findChild<EntitiesEditor *>(editorName);
        auto *remove = qobject_cast<QToolButton *>(editor->rowWidgets(storedIndex).last());
        QVERIFY(remove);
        QCOMPARE(remove->objectName(), QStringLiteral("btnRemove"));
        remove->click();
        QCOMPARE(editor->rowCount(), stored.size() - 1);
        QCOMPARE(describe(changes(form, source)),
                 QStringList { QStringLiteral("%1:ACTION_DELETED:%2").arg(kind).arg(storedId) });
    }
}

void EditContactFormTest::newRowsTakeDefaults_data()
{
    QTest::addColumn<QString>("editorName");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("typeText");
    QTest::newRow("phones: Mobile") << "wdPhones" << 2 << "Mobile";
    QTest::newRow("e-mail: Home") << "wdEmails" << 1 << "Home";
    QTest::newRow("events: Birthday") << "wdEvents" << 3 << "Birthday";
    QTest::newRow("IM: Home") << "wdIMs" << 1 << "Home";
    QTest::newRow("relations: Assistant") << "wdRelations" << 1 << "Assistant";
    QTest::newRow("addresses: Home") << "wdAddresses" << 1 << "Home";
    QTest::newRow("websites: Home page") << "wdWebsites" << 1 << "Home page";
}

void EditContactFormTest::newRowsTakeDefaults()
{
    QFETCH(QString, editorName);
    QFETCH(int, type);
    QFETCH(QString, typeText);
    EditContactForm form(Contact(), nullptr);
    auto *editor = form.findChild<EntitiesEditor *>(editorName);
    editor->add();
    auto *box = qobject_cast<EntityTypeBox *>(editor->rowWidgets(0).first());
    QVERIFY(box);
    QCOMPARE(box->currentText(), typeText);
    const Entity e = editor->entities().first();
    QCOMPARE(e.toInt(data2), type);
    QCOMPARE(e.text(data3), QString());
    if (editorName == QLatin1String("wdIMs"))
        QCOMPARE(e.toInt(data5), 0);   // protocol Other
    if (editorName == QLatin1String("wdEvents"))
        QCOMPARE(e.text(data1), QDateTime(QDate::currentDate(), QTime(0, 0)).toString(Qt::ISODate));
}

void EditContactFormTest::untouchedGivesNoChange()
{
    const Contact source = richContact();
    EditContactForm form(source, nullptr);
    const ContactChangeSet set = changes(form, source);
    QVERIFY2(set.isEmpty(), qPrintable(describe(set).join(u' ')));
    // Apply accepts it as it is.
    form.show();
    form.onBtnSavePressed();
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QVERIFY(m_answers->messageBoxes().isEmpty());
}

void EditContactFormTest::singleSections_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first name") << "txtFirstName" << int(ENTITY_NAME) << int(data2) << "Anna" << "1:ACTION_UPDATED:1";
    QTest::newRow("nickname") << "txtNickname" << int(ENTITY_NICKNAME) << int(data1) << "Nan" << "5:ACTION_UPDATED:8";
    QTest::newRow("nickname cleared") << "txtNickname" << int(ENTITY_NICKNAME) << int(data1) << ""
                                      << "5:ACTION_DELETED:8";
    QTest::newRow("company") << "txtCompany" << int(ENTITY_ORGANIZATION) << int(data1) << "Initech"
                             << "10:ACTION_UPDATED:15";
    QTest::newRow("job title") << "txtJobTitle" << int(ENTITY_ORGANIZATION) << int(data4) << "CTO"
                               << "10:ACTION_UPDATED:15";
    QTest::newRow("department") << "txtDepartment" << int(ENTITY_ORGANIZATION) << int(data5) << "Sales"
                                << "10:ACTION_UPDATED:15";
    QTest::newRow("note") << "txtNote" << int(ENTITY_NOTE) << int(data1) << "new note" << "9:ACTION_UPDATED:13";
}

void EditContactFormTest::singleSections()
{
    QFETCH(QString, field);
    QFETCH(int, kind);
    QFETCH(int, column);
    QFETCH(QString, value);
    QFETCH(QString, expected);

    const Contact source = richContact();
    EditContactForm form(source, nullptr);
    if (auto *line = form.findChild<QLineEdit *>(field))
        line->setText(value);
    else
        form.findChild<QPlainTextEdit *>(field)->setPlainText(value);
    const ContactChangeSet set = changes(form, source);
    QCOMPARE(describe(set), QStringList { expected });
    if (set[0].action == ContactChange::ACTION_UPDATED) {
        QCOMPARE(set[0].entity.text(column), value);
        // Columns the editor does not show come from the stored entity.
        const Entity &stored = *source.firstEntity(kind);
        for (int hidden : { data2, data3, data7, data8 }) {
            if (kind != ENTITY_NOTE && column != hidden && kind != ENTITY_NICKNAME)
                QCOMPARE(set[0].entity.text(hidden), stored.text(hidden));
        }
    }
}

void EditContactFormTest::typeBoxReading_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("label");
    QTest::newRow("item text") << "Home" << 1 << "";
    QTest::newRow("other letter case") << "home" << 0 << "home";
    QTest::newRow("empty") << "" << 0 << "";
    QTest::newRow("trimmed") << "  Work  " << 3 << "";
    QTest::newRow("own label") << "Boat \U0001F6A4" << 0 << "Boat \U0001F6A4";
    QTest::newRow("markup") << "<b>x</b>" << 0 << "<b>x</b>";
}

void EditContactFormTest::typeBoxReading()
{
    QFETCH(QString, text);
    QFETCH(int, type);
    QFETCH(QString, label);
    const Contact source = richContact();
    EditContactForm form(source, nullptr);
    auto *phones = form.findChild<EntitiesEditor *>(QStringLiteral("wdPhones"));
    auto *box = qobject_cast<EntityTypeBox *>(phones->rowWidgets(0).first());
    box->setEditText(text);
    const Entity e = phones->entities().first();
    QCOMPARE(e.toInt(data2), type);
    QCOMPARE(e.text(data3), label);
}

void EditContactFormTest::untouchedTypeBoxKeepsStoredType_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("shown");
    QTest::newRow("label equal to an item's text") << 1 << "Home";
    QTest::newRow("code the table lacks") << 2 << "Other";
}

void EditContactFormTest::untouchedTypeBoxKeepsStoredType()
{
    QFETCH(int, row);
    QFETCH(QString, shown);
    const Contact source = richContact();
    EditContactForm form(source, nullptr);
    auto *phones = form.findChild<EntitiesEditor *>(QStringLiteral("wdPhones"));
    auto *box = qobject_cast<EntityTypeBox *>(phones->rowWidgets(row).first());
    QCOMPARE(box->currentText(), shown);
    const Entity stored = source.entitiesOf(ENTITY_PHONE)[row];
    QCOMPARE(phones->entities()[row].toInt(data2), stored.toInt(data2));
    QCOMPARE(phones->entities()[row].text(data3), stored.text(data3));
    // Once the user picks the same text again by hand, it reads as shown.
    box->setEditText(QStringLiteral("Work"));
    box->setEditText(shown);
    QCOMPARE(phones->entities()[row].toInt(data2), stored.toInt(data2));
}

void EditContactFormTest::eventDates_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("newDate");
    QTest::addColumn<QString>("expected");
    QTest::newRow("year-less kept") << 0 << QString() << "--05-17";
    QTest::newRow("ISO kept") << 1 << QString() << "1990-05-17T00:00:00";
    QTest::newRow("year-less set") << 0 << "2000-05-17T08:30:00" << "2000-05-17T08:30:00";
    QTest::newRow("ISO changed") << 1 << "1991-06-18T00:00:00" << "1991-06-18T00:00:00";
}

void EditContactFormTest::eventDates()
{
    QFETCH(int, row);
    QFETCH(QString, newDate);
    QFETCH(QString, expected);
    const Contact source = richContact();
    EditContactForm form(source, nullptr);
    auto *events = form.findChild<EntitiesEditor *>(QStringLiteral("wdEvents"));
    if (!newDate.isEmpty())
        setRowText(events, row, newDate);
    QCOMPARE(events->entities()[row].text(data1), expected);
    QCOMPARE(changes(form, source).size(), newDate.isEmpty() ? 0 : 1);
}

void EditContactFormTest::photoChosenByClick()
{
    const QString file = m_dir->filePath(QStringLiteral("face.png"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(pictureBytes("PNG", 640, 480, Qt::red));
    out.close();

    EditContactForm form(Contact(), nullptr);
    form.show();
    m_answers->answerFile(file);
    QTest::mouseClick(find<QLabel>(form, "lbPhoto"), Qt::LeftButton);
    QCOMPARE(m_answers->fileQuestions().size(), 1);
    QCOMPARE(m_answers->fileQuestions()[0].filter, QStringLiteral("Images (*.png *.jpg)"));
    QVERIFY(!m_answers->fileQuestions()[0].save);
    const QImage photo = QImage::fromData(form.editor()->photo(), "JPEG");
    QCOMPARE(photo.size(), QSize(320, 240));
    QVERIFY(!find<QLabel>(form, "lbPhoto")->pixmap().isNull());
}

void EditContactFormTest::photoChooseAndReset_data()
{
    QTest::addColumn<bool>("hasPhoto");
    QTest::addColumn<bool>("choose");
    QTest::addColumn<bool>("reset");
    QTest::addColumn<QString>("expected");
    QTest::newRow("replaced") << true << true << false << "2:ACTION_UPDATED:2";
    QTest::newRow("deleted") << true << false << true << "2:ACTION_DELETED:2";
    QTest::newRow("added") << false << true << false << "2:ACTION_ADDED:0";
    QTest::newRow("added then deleted") << false << true << true << "";
    QTest::newRow("none, deleted") << false << false << true << "";
}

void EditContactFormTest::photoChooseAndReset()
{
    QFETCH(bool, hasPhoto);
    QFETCH(bool, choose);
    QFETCH(bool, reset);
    QFETCH(QString, expected);

    Contact source = richContact();
    if (!hasPhoto)
        source.entities.remove(ENTITY_PHOTO);
    const QString file = m_dir->filePath(QStringLiteral("face.jpg"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(pictureBytes("JPG", 100, 400, Qt::blue));
    out.close();

    EditContactForm form(source, nullptr);
    form.show();
    auto *link = find<QLabel>(form, "lbDeletePhoto");
    QCOMPARE(link->isVisible(), hasPhoto);   // nothing to delete, no link
    if (choose)
        QVERIFY(form.editor()->loadPhoto(file));
    QCOMPARE(link->isVisible(), hasPhoto || choose);
    if (reset) {
        QVERIFY(link->text().contains(QStringLiteral("href=\"#\"")));
        QVERIFY(link->text().contains(QStringLiteral("Delete Photo")));
        QMetaObject::invokeMethod(link, "linkActivated", Q_ARG(QString, QStringLiteral("#")));
        QVERIFY(form.editor()->photo().isEmpty());
        QVERIFY(!link->isVisible());
    }
    const ContactChangeSet set = changes(form, source);
    QCOMPARE(describe(set).join(u' '), expected);
    if (choose && !reset) {
        QCOMPARE(QImage::fromData(set[0].entity.bytes(data15), "JPEG").size(), QSize(80, 320));
        QCOMPARE(set[0].entity.text(data4), photoDigest(set[0].entity));
    }
}

void EditContactFormTest::largePhoto()
{
    // Some 20 MB of PNG that does not compress.
    QImage noise(2600, 2000, QImage::Format_ARGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < noise.height(); ++y) {
        auto *line = reinterpret_cast<quint32 *>(noise.scanLine(y));
        for (int x = 0; x < noise.width(); ++x)
            line[x] = random.generate();
    }
    const QString file = m_dir->filePath(QStringLiteral("big.png"));
    QVERIFY(noise.save(file, "PNG", 0));
    QVERIFY(QFileInfo(file).size() > 20'000'000);

    EditContactForm form(Contact(), nullptr);
    QVERIFY(form.editor()->loadPhoto(file));
    const QImage photo = QImage::fromData(form.editor()->photo(), "JPEG");
    QCOMPARE(photo.size(), QSize(320, 246));
    QVERIFY(form.editor()->photo().size() < 1'000'000);
}

void EditContactFormTest::unreadablePhotoRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("text") << QByteArray("<html>not a picture</html>");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("truncated PNG") << pictureBytes("PNG", 50, 50).left(40);
    QTest::newRow("BMP") << pictureBytes("BMP", 10, 10);
}

void EditContactFormTest::unreadablePhotoRefused()
{
    QFETCH(QByteArray, content);
    const QString file = m_dir->filePath(QStringLiteral("bad.jpg"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(content);
    out.close();

    const Contact source = richContact();
    EditContactForm form(source, nullptr);
    const QByteArray before = form.editor()->photo();
    QVERIFY(!form.editor()->loadPhoto(file));
    QCOMPARE(form.editor()->photo(), before);
    QCOMPARE(m_answers->messageBoxTexts(),
             QStringList { QStringLiteral("The file bad.jpg is not a JPEG or PNG picture; the photo stays as it was.") });
    QCOMPARE(m_answers->messageBoxes()[0].icon, QMessageBox::Warning);
    QVERIFY(changes(form, source).isEmpty());
}

void EditContactFormTest::validation_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("first only") << "Ann" << "" << true;
    QTest::newRow("last only") << "" << "Lee" << true;
    QTest::newRow("both blank") << "" << "" << false;
    QTest::newRow("spaces only") << "   " << "\t" << false;
    QTest::newRow("emoji") << "\U0001F600" << "" << true;
}

void EditContactFormTest::validation()
{
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(bool, accepted);

    EditContactForm form(Contact(), nullptr);
    form.show();
    find<QLineEdit>(form, "txtFirstName")->setText(first);
    find<QLineEdit>(form, "txtLastName")->setText(last);
    find<QLineEdit>(form, "txtMiddleName")->setText(QStringLiteral("M"));
    find<QPushButton>(form, "btnSave")->click();
    QCOMPARE(form.isVisible(), !accepted);
    QCOMPARE(form.result(), accepted ? int(QDialog::Accepted) : 0);
    if (accepted) {
        QVERIFY(m_answers->messageBoxes().isEmpty());
        const ContactChangeSet set = changes(form, Contact());
        QCOMPARE(set[0].kind, int(ENTITY_NAME));
        QCOMPARE(set[0].action, int(ContactChange::ACTION_ADDED));
        QCOMPARE(set[0].entity.text(data1), formatPersonName(set[0].entity));
    } else {
        QCOMPARE(m_answers->messageBoxTexts(), QStringList { "First name or Last name can't be blank." });
    }
}

void EditContactFormTest::duplicateNameCheck()
{
    const QString path = m_dir->filePath(QStringLiteral("d.db"));
    LocalDb db(path, std::make_shared<LocalDbCombineRule>());
    db.create();
    Contact existing = dbtest::contact(QStringLiteral("Ann Lee"));
    db.insertContact(existing);

    {
        EditContactForm form(Contact(), &db);
        form.show();
        find<QLineEdit>(form, "txtFirstName")->setText(QStringLiteral("ann"));
        find<QLineEdit>(form, "txtLastName")->setText(QStringLiteral("LEE"));
        form.onBtnSavePressed();
        QVERIFY(form.isVisible());
        QCOMPARE(m_answers->messageBoxTexts(), QStringList { "Contact ann LEE has already existed." });
        find<QLineEdit>(form, "txtLastName")->setText(QStringLiteral("Li"));
        form.onBtnSavePressed();
        QCOMPARE(form.result(), int(QDialog::Accepted));
    }
    {   // Editing an existing contact: no database, no check.
        EditContactForm form(existing, nullptr);
        form.show();
        find<QLineEdit>(form, "txtFirstName")->setText(QStringLiteral("Ann"));
        find<QLineEdit>(form, "txtLastName")->setText(QStringLiteral("Lee"));
        form.onBtnSavePressed();
        QCOMPARE(form.result(), int(QDialog::Accepted));
    }
}

void EditContactFormTest::duplicateNameCheckFailureKeepsEditorOpen()
{
    // A file that is no database: the check throws, the error is shown, the
    // editor stays open with what was typed.
    const QString path = m_dir->filePath(QStringLiteral("broken.db"));
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(QByteArray(4096, 'x'));
    out.close();
    LocalDb db(path, std::make_shared<LocalDbCombineRule>());

    EditContactForm form(Contact(), &db);
    form.show();
    find<QLineEdit>(form, "txtFirstName")->setText(QStringLiteral("Ann"));
    form.onBtnSavePressed();
    QVERIFY(form.isVisible());
    QCOMPARE(form.result(), 0);
    QCOMPARE(m_answers->messageBoxes().size(), 1);
    QCOMPARE(m_answers->messageBoxes()[0].icon, QMessageBox::Critical);
    QCOMPARE(find<QLineEdit>(form, "txtFirstName")->text(), QStringLiteral("Ann"));
}

void EditContactFormTest::ignoredKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Escape") << int(Qt::Key_Escape) << int(Qt::NoModifier) << false;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << false;
    QTest::newRow("Return presses the default button") << int(Qt::Key_Return) << int(Qt::NoModifier) << true;
}

void EditContactFormTest::ignoredKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, closes);

    EditContactForm form(richContact(), nullptr);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    find<QPushButton>(form, "btnSave")->setDefault(true);
    QLineEdit *first = find<QLineEdit>(form, "txtFirstName");
    first->setFocus();
    QTest::keyClick(first, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTest::keyClick(&form, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCoreApplication::processEvents();
    QCOMPARE(!form.isVisible(), closes);
    QCOMPARE(form.result(), closes ? int(QDialog::Accepted) : 0);
}

void EditContactFormTest::cancelAsks()
{
    EditContactForm form(richContact(), nullptr);
    form.show();
    m_answers->answerMessageBox(QMessageBox::No);
    find<QPushButton>(form, "btnCancel")->click();
    QVERIFY(form.isVisible());
    m_answers->answerMessageBox(QMessageBox::Yes);
    find<QPushButton>(form, "btnCancel")->click();
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QCOMPARE(m_answers->messageBoxTexts(), (QStringList { "Discard the editing?", "Discard the editing?" }));
}

QTEST_MAIN(EditContactFormTest)
#include "editcontactformtest.moc"
