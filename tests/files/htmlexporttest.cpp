// The HTML export: page header and footer, the block of each contact
// against golden pages, escaping of contact text, and the photo files.
#include "exportfixtures.h"
#include "files/htmlexport.h"
#include "tests/support/testpaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace pim;
using exportfixture::contact;
using exportfixture::entity;
using exportfixture::readFile;
using exportfixture::photo;
using exportfixture::picture;

namespace {

Entity organization(const QString &company, const QString &title, const QString &department)
{
    Entity e = entity({{data2, QStringLiteral("1")}});
    if (!company.isEmpty())
        e.setText(data1, company);
    if (!title.isEmpty())
        e.setText(data4, title);
    if (!department.isEmpty())
        e.setText(data5, department);
    return e;
}

// Text content and attributes of a well-formed page, read as XML.
struct PageContent
{
    QStringList nameBlocks;      // text of each <div class="ct_name">, <br/> as "\n"
    QStringList listItems;       // text of each <li>
    QStringList elementNames;    // every element, in order
    QStringList imageSources;    // src of every <img>
    QString error;
};

PageContent readPage(const QByteArray &page)
{
    PageContent content;
    QXmlStreamReader xml(page);
    QString *collecting = nullptr;
    int depth = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            content.elementNames << xml.name().toString();
            if (xml.name() == QLatin1String("img"))
                content.imageSources << xml.attributes().value(QLatin1String("src")).toString();
            if (collecting) {
                ++depth;
                if (xml.name() == QLatin1String("br"))
                    *collecting += u'\n';
            } else if (xml.name() == QLatin1String("div")
                       && xml.attributes().value(QLatin1String("class")) == QLatin1String("ct_name")) {
                content.nameBlocks << QString();
                collecting = &content.nameBlocks.last();
                depth = 0;
            } else if (xml.name() == QLatin1String("li")) {
                content.listItems << QString();
                collecting = &content.listItems.last();
                depth = 0;
            }
        } else if (xml.isEndElement() && collecting) {
            if (depth == 0)
                collecting = nullptr;
            else
                --depth;
        } else if (xml.isCharacters() && collecting) {
            *collecting += xml.text().toString();
        }
    }
    if (xml.hasError())
        content.error = xml.errorString();
    for (QString &block : content.nameBlocks)
        block = block.trimmed();
    return content;
}

QByteArray wholePage(HtmlExport &exporter, const QList<Contact> &contacts)
{
    QByteArray page = exporter.exportHeader(contacts);
    for (const Contact &c : contacts)
        page += exporter.exportContact(c);
    return page + exporter.exportFooter();
}

} // namespace

class HtmlExportTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void headerAndFooter();
    void blocks_data();
    void blocks();
    void hostileTextShowsAsText_data();
    void hostileTextShowsAsText();
    void photoFilesNamedById();
    void unusablePhotosUseDefaultPicture_data();
    void unusablePhotosUseDefaultPicture();
    void exportingTwiceOverwritesPhotos();

private:
    QTemporaryDir m_dir;
};

void HtmlExportTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void HtmlExportTest::headerAndFooter()
{
    const QString folder = m_dir.filePath(QStringLiteral("header"));
    HtmlExport exporter(folder);
    QVERIFY(QFileInfo(folder + QStringLiteral("/photos")).isDir());
    const QByteArray header = exporter.exportHeader({});
    const QList<QByteArray> lines = header.split('\n');
    QCOMPARE(lines.size(), 13);   // twelve lines, each ended by CR LF
    QVERIFY(lines.last().isEmpty());
    for (qsizetype i = 0; i < 12; ++i)
        QVERIFY2(lines.at(i).endsWith('\r'), lines.at(i).constData());
    QCOMPARE(lines.at(0), QByteArray("<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
                                     "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\r"));
    QCOMPARE(lines.at(1), QByteArray("<html xmlns=\"http://www.w3.org/1999/xhtml\">\r"));
    QCOMPARE(lines.at(4), QByteArray("<title>Quillmarrow</title>\r"));
    QCOMPARE(lines.at(11), QByteArray("<body style=\"background-color:#F1F5FB\">\r"));
    QCOMPARE(exporter.exportFooter(), QByteArray("</body></html>"));

    // The default picture is copied beside the page, an existing one kept.
    const QString defaultPhoto = folder + QStringLiteral("/photos/contact.png");
    QVERIFY(!QImage(defaultPhoto).isNull());
    QFile::remove(defaultPhoto);
    QFile mine(defaultPhoto);
    QVERIFY(mine.open(QIODevice::WriteOnly));
    mine.write("mine");
    mine.close();
    (void)exporter.exportHeader({});
    QCOMPARE(readFile(defaultPhoto), QByteArray("mine"));

    // A page of no contacts is well-formed.
    QCOMPARE(readPage(header + exporter.exportFooter()).error, QString());
}

void HtmlExportTest::blocks_data()
{
    QTest::addColumn<Contact>("input");
    QTest::addColumn<QString>("reference");

    QTest::newRow("no entities") << contact(1, QStringLiteral("Plain Person")) << "block_plain.html";
    QTest::newRow("one organization")
        << contact(2, QStringLiteral("Olga"), {{ENTITY_ORGANIZATION, organization("Acme", "Manager", "Sales")}})
        << "block_one_org.html";
    QTest::newRow("two organizations")
        << contact(3, QStringLiteral("Tom"),
                   {{ENTITY_ORGANIZATION, organization("Acme", "Manager", "Sales")},
                    {ENTITY_ORGANIZATION, organization("Beta Ltd", "", "Board")}})
        << "block_two_orgs.html";
    QTest::newRow("nickname and organization")
        << contact(4, QStringLiteral("Robert Roe"),
                   {{ENTITY_NICKNAME, entity({{data1, QStringLiteral("Bob")}})},
                    {ENTITY_ORGANIZATION, organization("Acme", "Manager", "Sales")}})
        << "block_nick_org.html";
    QTest::newRow("company only")
        << contact(5, QStringLiteral("Cora"), {{ENTITY_ORGANIZATION, organization("Acme", "", "")}})
        << "block_company_only.html";
    QTest::newRow("every section")
        << contact(6, QStringLiteral("Eve Every"),
                   {{ENTITY_PHONE, entity({{data1, QStringLiteral("+1 555 0100")}, {data2, QStringLiteral("2")}})},
                    {ENTITY_PHONE, entity({{data1, QStringLiteral("555 0101")}, {data2, QStringLiteral("0")},
                                           {data3, QStringLiteral("Boat")}})},
                    {ENTITY_EMAIL, entity({{data1, QStringLiteral("eve@example.org")}, {data2, QStringLiteral("1")}})},
                    {ENTITY_EVENT, entity({{data1, QStringLiteral("1990-05-17T00:00:00")}, {data2, QStringLiteral("3")}})},
                    {ENTITY_IM, entity({{data1, QStringLiteral("eve.sky")}, {data2, QStringLiteral("1")},
                                        {data5, QStringLiteral("3")}})},
                    {ENTITY_ORGANIZATION, organization("Acme", "", "")},
                    {ENTITY_ORGANIZATION, organization("Beta", "CTO", "")},
                    {ENTITY_RELATION, entity({{data1, QStringLiteral("Adam")}, {data2, QStringLiteral("14")}})},
                    {ENTITY_POSTAL_ADDRESS, entity({{data2, QStringLiteral("1")}, {data4, QStringLiteral("1 Main St")},
                                                    {data7, QStringLiteral("Springfield")},
                                                    {data8, QStringLiteral("IL")}, {data9, QStringLiteral("62701")},
                                                    {data10, QStringLiteral("USA")}})},
                    {ENTITY_WEBSITE, entity({{data1, QStringLiteral("https://eve.example.org")},
                                             {data2, QStringLiteral("1")}})},
                    {ENTITY_NOTE, entity({{data1, QStringLiteral("Met at the fair")}})}})
        << "block_every_section.html";
}

void HtmlExportTest::blocks()
{
    QFETCH(Contact, input);
    QFETCH(QString, reference);
    HtmlExport exporter(m_dir.filePath(QStringLiteral("blocks")));
    (void)exporter.exportHeader({input});
    const QByteArray block = exporter.exportContact(input);
    const QByteArray expected = readFile(testpaths::testData(QStringLiteral("files/export/") + reference));
    QVERIFY2(!expected.isEmpty(), qPrintable(reference));
    const QList<QByteArray> want = expected.split('\n');
    const QList<QByteArray> got = block.split('\n');
    for (qsizetype i = 0; i < qMin(want.size(), got.size()); ++i)
        QCOMPARE(got.at(i), want.at(i));
    QCOMPARE(got.size(), want.size());
}

void HtmlExportTest::hostileTextShowsAsText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("note");
    QTest::newRow("script") << "<script>alert('x')</script>" << "<b>bold</b>";
    QTest::newRow("img onerror") << "<img src=x onerror=alert(1)>" << "a & b";
    QTest::newRow("quotes") << "O'Brien \"Ob\"" << "\"><script>x</script>";
    QTest::newRow("ordinary") << "Anna Smith" << "Plain note";
}

void HtmlExportTest::hostileTextShowsAsText()
{
    QFETCH(QString, name);
    QFETCH(QString, note);
    const Contact c = contact(7, name,
                              {{ENTITY_NOTE, entity({{data1, note}})},
                               {ENTITY_POSTAL_ADDRESS, entity({{data2, QStringLiteral("1")}, {data4, note}})}});
    HtmlExport exporter(m_dir.filePath(QStringLiteral("hostile")));
    const PageContent page = readPage(wholePage(exporter, {c}));
    QCOMPARE(page.error, QString());
    QCOMPARE(page.nameBlocks, QStringList{name});
    QCOMPARE(page.listItems, QStringList({QStringLiteral("Home\n") + note, note}));
    QVERIFY(!page.elementNames.contains(QStringLiteral("script")));
    QCOMPARE(page.elementNames.count(QStringLiteral("img")), 1);
    QCOMPARE(page.imageSources, QStringList{QStringLiteral("photos/contact.png")});
    // Only the address label is bold.
    QCOMPARE(page.elementNames.count(QStringLiteral("b")), 1);
}

void HtmlExportTest::photoFilesNamedById()
{
    const QString folder = m_dir.filePath(QStringLiteral("named"));
    HtmlExport exporter(folder);
    const QList<Contact> contacts = {
        contact(41, QStringLiteral("../../evil"), {{ENTITY_PHOTO, photo(picture("JPG", Qt::red))}}),
        contact(42, QStringLiteral("Png Person"), {{ENTITY_PHOTO, photo(picture("PNG", Qt::blue))}}),
        // Two contacts of the same id (not stored yet) keep their own files.
        contact(0, QStringLiteral("New One"), {{ENTITY_PHOTO, photo(picture("JPG", Qt::green))}}),
        contact(0, QStringLiteral("New Two"), {{ENTITY_PHOTO, photo(picture("JPG", Qt::yellow))}}),
    };
    const PageContent page = readPage(wholePage(exporter, contacts));
    QCOMPARE(page.error, QString());
    QCOMPARE(page.imageSources, QStringList({QStringLiteral("photos/41.jpg"), QStringLiteral("photos/42.jpg"),
                                             QStringLiteral("photos/0.jpg"), QStringLiteral("photos/0-2.jpg")}));
    const QDir photos(folder + QStringLiteral("/photos"));
    QCOMPARE(photos.entryList(QDir::Files, QDir::Name),
             QStringList({QStringLiteral("0-2.jpg"), QStringLiteral("0.jpg"), QStringLiteral("41.jpg"),
                          QStringLiteral("42.jpg"), QStringLiteral("contact.png")}));
    // The PNG photo was re-encoded as JPEG; each file holds its own colour.
    QCOMPARE(QImageReader(photos.filePath(QStringLiteral("42.jpg"))).format(), QByteArray("jpeg"));
    const auto colourOf = [&photos](const char *name) {
        return QColor(QImage(photos.filePath(QLatin1String(name))).pixel(20, 20));
    };
    QVERIFY(colourOf("0.jpg").green() > 200 && colourOf("0.jpg").red() < 60);
    QVERIFY(colourOf("0-2.jpg").red() > 200 && colourOf("0-2.jpg").green() > 200);
    QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("evil.jpg"))));
}

void HtmlExportTest::unusablePhotosUseDefaultPicture_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("not an image") << QByteArray("this is not a picture at all");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("bmp") << picture("BMP", Qt::red);
    QTest::newRow("declares 30000x30000") << exportfixture::declaredHugePng(30000, 30000);
    QTest::newRow("truncated jpeg") << picture("JPG", Qt::red).left(40);
}

void HtmlExportTest::unusablePhotosUseDefaultPicture()
{
    QFETCH(QByteArray, bytes);
    const QString folder = m_dir.filePath(QStringLiteral("unusable"));
    HtmlExport exporter(folder);
    const Contact c = contact(9, QStringLiteral("Bad Photo"), {{ENTITY_PHOTO, photo(bytes)}});
    const PageContent page = readPage(wholePage(exporter, {c}));
    QCOMPARE(page.imageSources, QStringList{QStringLiteral("photos/contact.png")});
    QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/photos/9.jpg")));
}

void HtmlExportTest::exportingTwiceOverwritesPhotos()
{
    const QString folder = m_dir.filePath(QStringLiteral("twice"));
    const QString file = folder + QStringLiteral("/photos/5.jpg");
    {
        HtmlExport exporter(folder);
        (void)wholePage(exporter, {contact(5, QStringLiteral("P"), {{ENTITY_PHOTO, photo(picture("JPG", Qt::red))}})});
    }
    QVERIFY(QColor(QImage(file).pixel(5, 5)).red() > 200);
    {
        HtmlExport exporter(folder);
        (void)wholePage(exporter, {contact(5, QStringLiteral("P"), {{ENTITY_PHOTO, photo(picture("JPG", Qt::blue))}})});
    }
    QVERIFY(QColor(QImage(file).pixel(5, 5)).blue() > 200);
    QCOMPARE(QDir(folder + QStringLiteral("/photos")).entryList(QDir::Files).size(), 2);
}

QTEST_GUILESS_MAIN(HtmlExportTest)
#include "htmlexporttest.moc"
