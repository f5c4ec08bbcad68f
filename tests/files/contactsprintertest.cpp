// Printing: pages of eight tiles in a PDF file, the tile's content and
// layout lengths, photo fallbacks, and the failure of an unwritable file.
#include "app/modalanswers.h"
#include "exportfixtures.h"
#include "files/contactsprinter.h"
#include "files/contacttilepainter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace pim;
using exportfixture::contact;
using exportfixture::entity;
using exportfixture::photo;
using exportfixture::picture;

namespace {

// The tile width of an A4 page at 96 dpi with 20 point margins, the one
// every pass of this program uses.
constexpr int tileWidth = 340;
constexpr int tileHeight = tileWidth * 10 / 16;

QList<Contact> people(int count)
{
    QList<Contact> contacts;
    for (int i = 1; i <= count; ++i)
        contacts << contact(i, QStringLiteral("Person %1").arg(i),
                            {{ENTITY_PHONE, entity({{data1, QStringLiteral("555 %1").arg(i)}, {data2, QStringLiteral("2")}})}});
    return contacts;
}

// Pages of a PDF file: pdfinfo when it is installed, else the page objects.
int pdfPages(const QString &path)
{
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (!pdfinfo.isEmpty()) {
        QProcess process;
        process.start(pdfinfo, {path});
        process.waitForFinished(60000);
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                                              .match(QString::fromUtf8(process.readAllStandardOutput()));
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return int(file.readAll().count("/Type /Page\n") + 0);
}

} // namespace

class ContactsPrinterTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void ninePeopleTwoPages_data();
    void ninePeopleTwoPages();
    void metrics_data();
    void metrics();
    void sixPhonesPrintFourInRankOrder();
    void unusablePhotoPrintsDefaultPicture_data();
    void unusablePhotoPrintsDefaultPicture();
    void realPhotoIsDrawn();
    void moreDetailsDrawMoreText();
    void unwritablePdfThrows();
    void previewPaintsEveryContact();

private:
    QTemporaryDir m_dir;
};

void ContactsPrinterTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Fix the layout lengths the way the first printed tile does.
    const ContactTilePainter::TileMetrics m = ContactTilePainter::fixedMetrics(tileWidth);
    QCOMPARE(m.textSize, 12);
}

void ContactsPrinterTest::ninePeopleTwoPages_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("pages");
    QTest::newRow("one") << 1 << 1;
    QTest::newRow("eight") << 8 << 1;
    QTest::newRow("nine") << 9 << 2;
    QTest::newRow("seventeen") << 17 << 3;
}

void ContactsPrinterTest::ninePeopleTwoPages()
{
    QFETCH(int, count);
    QFETCH(int, pages);
    const QString path = m_dir.filePath(QStringLiteral("people%1.pdf").arg(count));
    ContactsPrinter printer;
    QCOMPARE(printer.printToPdf(people(count), path), count);
    QCOMPARE(printer.count(), count);
    QCOMPARE(pdfPages(path), pages);
}

void ContactsPrinterTest::metrics_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("textSize");
    QTest::addColumn<int>("lineGap");
    QTest::addColumn<int>("inset");
    QTest::addColumn<int>("frame");
    QTest::newRow("340") << 340 << 12 << 3 << 8 << 1;
    QTest::newRow("339") << 339 << 12 << 3 << 8 << 1;
    QTest::newRow("678") << 678 << 24 << 6 << 16 << 3;
    QTest::newRow("1000") << 1000 << 35 << 8 << 25 << 5;
}

void ContactsPrinterTest::metrics()
{
    QFETCH(int, width);
    QFETCH(int, textSize);
    QFETCH(int, lineGap);
    QFETCH(int, inset);
    QFETCH(int, frame);
    const ContactTilePainter::TileMetrics m = ContactTilePainter::TileMetrics::forWidth(width);
    QCOMPARE(m.textSize, textSize);
    QCOMPARE(m.lineGap, lineGap);
    QCOMPARE(m.inset, inset);
    QCOMPARE(m.frameWidth, frame);
    // The lengths in use stay those of the first tile.
    QCOMPARE(ContactTilePainter::fixedMetrics(width).textSize, 12);
}

void ContactsPrinterTest::sixPhonesPrintFourInRankOrder()
{
    const auto phone = [](const char *number, int type) {
        return std::pair<int, Entity>{ENTITY_PHONE,
                                      entity({{data1, QString::fromLatin1(number)}, {data2, QString::number(type)}})};
    };
    // Other, work, home, fax, main, mobile: as a phone may store them.
    const Contact c = contact(1, QStringLiteral("Six Phones"),
                              {phone("7", 7), phone("3", 3), phone("1", 1), phone("4", 4), phone("12", 12),
                               phone("2", 2)});
    const QList<QPair<QString, QString>> lines = ContactTilePainter::tilePhones(c);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines.at(0), (QPair<QString, QString>(QStringLiteral("Mobile:"), QStringLiteral("2"))));
    QCOMPARE(lines.at(1).second, QStringLiteral("12"));
    QCOMPARE(lines.at(2), (QPair<QString, QString>(QStringLiteral("Home:"), QStringLiteral("1"))));
    QCOMPARE(lines.at(3), (QPair<QString, QString>(QStringLiteral("Work:"), QStringLiteral("3"))));

    // A custom label is not printed: the type's label is.
    Entity custom = entity({{data1, QStringLiteral("99")}, {data2, QStringLiteral("0")}, {data3, QStringLiteral("Boat")}});
    const Contact d = contact(2, QStringLiteral("Boat"), {{ENTITY_PHONE, custom}});
    QCOMPARE(ContactTilePainter::tilePhones(d).first().first, QStringLiteral("Other:"));

    // Drawn, the fifth and sixth phones change nothing.
    const Contact four = contact(1, QStringLiteral("Six Phones"),
                                 {phone("3", 3), phone("1", 1), phone("12", 12), phone("2", 2)});
    QCOMPARE(ContactTilePainter::renderTile(tileWidth, tileHeight, c), ContactTilePainter::renderTile(tileWidth, tileHeight, four));
}

void ContactsPrinterTest::unusablePhotoPrintsDefaultPicture_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("not an image") << QByteArray("GIF89a? no, just text");
    QTest::newRow("declares 30000x30000") << exportfixture::declaredHugePng(30000, 30000);
    QTest::newRow("empty") << QByteArray();
}

void ContactsPrinterTest::unusablePhotoPrintsDefaultPicture()
{
    QFETCH(QByteArray, bytes);
    ContactsPrinter printer;
    const Contact withBadPhoto = contact(1, QStringLiteral("Bad"), {{ENTITY_PHOTO, photo(bytes)}});
    const Contact without = contact(1, QStringLiteral("Bad"));
    const QImage tile = ContactTilePainter::renderTile(tileWidth, tileHeight, withBadPhoto);
    QCOMPARE(tile.size(), QSize(tileWidth, tileHeight));
    QCOMPARE(tile, ContactTilePainter::renderTile(tileWidth, tileHeight, without));
    // And the whole PDF is made.
    const QString path = m_dir.filePath(QStringLiteral("badphoto.pdf"));
    QCOMPARE(printer.printToPdf({withBadPhoto}, path), 1);
    QCOMPARE(pdfPages(path), 1);
}

void ContactsPrinterTest::realPhotoIsDrawn()
{
    const Contact red = contact(1, QStringLiteral("Red"), {{ENTITY_PHOTO, photo(picture("JPG", Qt::red, 60, 60))}});
    const QImage tile = ContactTilePainter::renderTile(tileWidth, tileHeight, red);
    // The photo square starts at the inset (8) and is w/3 wide.
    const QColor inside = tile.pixelColor(8 + 50, 8 + 50);
    QVERIFY2(inside.red() > 200 && inside.green() < 60, qPrintable(inside.name()));
    // The frame is drawn in its grey.
    QCOMPARE(tile.pixelColor(tileWidth / 2, 0), QColor(185, 185, 187));
    QCOMPARE(tile.pixelColor(tileWidth - 5, tileHeight - 5), QColor(Qt::white));
}

void ContactsPrinterTest::moreDetailsDrawMoreText()
{
    // Each detail adds a line: the lowest inked row moves down.
    const auto lowestText = [](const QImage &tile) {
        for (int y = tile.height() - 4; y > 0; --y) {
            for (int x = tileWidth / 3 + 20; x < tileWidth - 12; ++x) {
                if (qGray(tile.pixel(x, y)) < 128)
                    return y;
            }
        }
        return 0;
    };
    Contact c = contact(1, QStringLiteral("Ann Lee"));
    int last = lowestText(ContactTilePainter::renderTile(tileWidth, tileHeight, c));
    QVERIFY(last > 0);
    const QList<std::pair<int, Entity>> details = {
        {ENTITY_ORGANIZATION, entity({{data1, QStringLiteral("Acme")}})},
        {ENTITY_EVENT, entity({{data1, QStringLiteral("1990-05-17T00:00:00")}, {data2, QStringLiteral("3")}})},
        {ENTITY_EVENT, entity({{data1, QStringLiteral("1991-06-18T00:00:00")}, {data2, QStringLiteral("3")}})},
        {ENTITY_PHONE, entity({{data1, QStringLiteral("555")}, {data2, QStringLiteral("2")}})},
        {ENTITY_EMAIL, entity({{data1, QStringLiteral("ann@example.org")}, {data2, QStringLiteral("1")}})},
        {ENTITY_POSTAL_ADDRESS, entity({{data4, QStringLiteral("1 Main St")}, {data7, QStringLiteral("Town")}})},
    };
    for (const auto &[kind, e] : details) {
        c.addEntity(kind, e);
        const int now = lowestText(ContactTilePainter::renderTile(tileWidth, tileHeight, c));
        QVERIFY2(now > last, qPrintable(QStringLiteral("kind %1: %2 <= %3").arg(kind).arg(now).arg(last)));
        last = now;
    }
    // An anniversary is no birthday and prints nothing.
    Contact anniversary = contact(1, QStringLiteral("Ann Lee"));
    anniversary.addEntity(ENTITY_EVENT, entity({{data1, QStringLiteral("2001-01-01")}, {data2, QStringLiteral("1")}}));
    QCOMPARE(ContactTilePainter::renderTile(tileWidth, tileHeight, anniversary),
             ContactTilePainter::renderTile(tileWidth, tileHeight, contact(1, QStringLiteral("Ann Lee"))));
}

void ContactsPrinterTest::unwritablePdfThrows()
{
    ContactsPrinter printer;
    const QString missing = m_dir.filePath(QStringLiteral("no/such/folder/x.pdf"));
    QFile probe(missing);
    QVERIFY(!probe.open(QIODevice::WriteOnly));
    try {
        (void)printer.printToPdf(people(3), missing);
        QFAIL("no error for an unwritable PDF file");
    } catch (const std::runtime_error &e) {
        QCOMPARE(QString::fromUtf8(e.what()), probe.errorString());
    }
    QVERIFY(!QFileInfo::exists(missing));
    // A folder in the way is left alone.
    const QString folder = m_dir.filePath(QStringLiteral("folder.pdf"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, printer.printToPdf(people(1), folder));
    QVERIFY(QFileInfo(folder).isDir());
}

void ContactsPrinterTest::previewPaintsEveryContact()
{
    ModalAnswers answers;
    QString title;
    QSize size;
    int painted = -1;
    ContactsPrinter printer;
    answers.answerDialog([&](QDialog &dialog) {
        title = dialog.windowTitle();
        size = dialog.size();
        auto *widget = dialog.findChild<QPrintPreviewWidget *>();
        if (widget) {
            widget->updatePreview();
            painted = printer.count();
        }
        return int(QDialog::Rejected);
    });
    printer.preview(people(10));
    QCOMPARE(answers.problems(), QStringList());
    QCOMPARE(title, QStringLiteral("IDS_PRINT_CONTACTS"));
    QCOMPARE(size, QSize(900, 700));
    QCOMPARE(painted, 10);
}

QTEST_MAIN(ContactsPrinterTest)
#include "contactsprintertest.moc"
