// The demo phone's address book through printing and the HTML export: the
// contacts the simulator generates for the demo's USB phone are decoded
// from their wire lines, printed to a PDF file and exported as HTML. The
// first PDF page is rendered to PNG with pdftoppm when it is installed;
// set QM_SHOT_DIR to keep the PDF, the PNG and the HTML folder there.
#include "android/wireencoding.h"
#include "contacts/contactformat.h"
#include "files/contactsprinter.h"
#include "files/exporttofilethread.h"
#include "tools/phonesim/phonesimdriver.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <map>

using namespace pim;

namespace {

// The demo's USB phone: 350 contacts from seed 7 (tools/phonesim/demo.sh).
QList<Contact> demoContacts()
{
    QProcess sim;
    sim.start(PhoneSimDriver::program(), {QStringLiteral("generate"), QStringLiteral("350"),
                                          QStringLiteral("seed=7"), QStringLiteral("--wire")});
    if (!sim.waitForFinished(120000) || sim.exitCode() != 0)
        return {};
    std::map<qint64, Contact> byRecord;
    const QList<QByteArray> lines = sim.readAllStandardOutput().split('\n');
    for (const QByteArray &raw : lines) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (!line.startsWith(QLatin1String("$ent:")))
            continue;
        const QList<QStringView> fields = splitEntityFields(QStringView(line).mid(5));
        int kind = 0;
        qint64 key1 = 0;
        qint64 key2 = 0;
        qint64 id = 0;
        if (fields.isEmpty() || !parseSrcId(fields.first(), &kind, &key1, &key2, &id))
            continue;
        Entity entity;
        decodeEntityFields(fields, kind, entity);
        Contact &contact = byRecord[key1];
        contact._id = key1;
        if (kind == ENTITY_NAME)
            contact.fullName = formatPersonName(entity);
        contact.addEntity(kind, entity);
    }
    QList<Contact> contacts;
    for (auto &[key, contact] : byRecord)
        contacts << contact;
    sortContacts(contacts);
    return contacts;
}

} // namespace

class DemoExportTest : public QObject
{
    Q_OBJECT

private slots:
    void printAndExport();
};

void DemoExportTest::printAndExport()
{
    const QList<Contact> contacts = demoContacts();
    QCOMPARE(contacts.size(), 350);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString keep = qEnvironmentVariable("QM_SHOT_DIR");
    const QDir out(keep.isEmpty() ? temp.path() : keep);
    QVERIFY(out.mkpath(QStringLiteral(".")));

    const QString pdf = out.filePath(QStringLiteral("demo.pdf"));
    ContactsPrinter printer;
    QCOMPARE(printer.printToPdf(contacts, pdf), 350);

    ExportToFileThread html(contacts, ExportToFileThread::Html, out.filePath(QStringLiteral("demo.html")),
                            JobProgress());
    html.execute();
    QVERIFY(html.succeeded());

    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty())
        QSKIP("pdftoppm (poppler-utils) is not installed: the page is not rendered");
    QProcess render;
    render.start(pdftoppm, {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("96"),
                            QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                            QStringLiteral("-singlefile"), pdf, out.filePath(QStringLiteral("demo-page1"))});
    QVERIFY(render.waitForFinished(120000));
    QCOMPARE(render.exitCode(), 0);
    const QImage page(out.filePath(QStringLiteral("demo-page1.png")));
    QVERIFY(!page.isNull());
    // Portrait A4, and ink in each of the eight tiles: the grey frame and
    // the text of a contact.
    QVERIFY(page.height() > page.width());
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 2; ++column) {
            const int x0 = page.width() * (column * 2 + 1) / 4;
            const int y0 = page.height() * (row * 2 + 1) / 9;
            int dark = 0;
            for (int y = y0 - 30; y < y0 + 30; ++y) {
                for (int x = x0 - 60; x < x0 + 60; ++x)
                    dark += qGray(page.pixel(x, y)) < 100 ? 1 : 0;
            }
            QVERIFY2(dark > 20, qPrintable(QStringLiteral("tile %1,%2 is empty").arg(row).arg(column)));
        }
    }
}

QTEST_MAIN(DemoExportTest)
#include "demoexporttest.moc"
