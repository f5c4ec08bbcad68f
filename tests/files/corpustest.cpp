#include "files/csvimport.h"
#include "files/vcardimport.h"
#include "tests/support/testpaths.h"

#include <QDir>
#include <QHash>
#include <QTest>

using namespace pim;

// The shared corpus of real vCard and CSV files from phones and address
// books: every file reads without crash or hang into the number of contacts
// it holds, and the names and phones listed for it come out right (family
// and given name not swapped).
class CorpusTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyFileReads_data();
    void everyFileReads();
    void spotChecks_data();
    void spotChecks();

private:
    QString m_corpus;
};

namespace {

// Contacts per file where it is not one.
const QHash<QString, int> &expectedCounts()
{
    static const QHash<QString, int> counts {
        { "vcard/aosp_v21_multiple_entry.vcf", 3 },
        { "vcard/aosp_v21_nest.vcf", 3 },
        { "vcard/ezvcard_John_Doe_ANDROID.vcf", 6 },
        { "vcard/ezvcard_gmail-list.vcf", 3 },
        { "vcard/gammu_se-3.vcf", 499 },
        { "vcard/kcontacts_vcard10.vcf", 5 },
        { "vcard/roundcube_browser_contacts.vcf", 2 },
        { "vcard/tine20_contacts.vcf", 2 },
        { "csv/roundcube_email.csv", 4 },
        { "csv/tine20_google_contacts.csv", 5 },
        { "csv/tine20_importtest_outlook2013_de.csv", 2 },
        { "csv/tine20_importtest_win1252.csv", 4 },
        { "csv/tine20_adb_outlook2007_default_de.csv", 2 },
    };
    return counts;
}

std::unique_ptr<AbsImport> readerFor(const QString &path)
{
    if (path.endsWith(QLatin1String(".csv")))
        return std::make_unique<CSVImport>();
    return std::make_unique<VCardImport>();
}

} // namespace

void CorpusTest::initTestCase()
{
    m_corpus = testpaths::corpusDir();
}

void CorpusTest::everyFileReads_data()
{
    QTest::addColumn<QString>("file");
    if (m_corpus.isEmpty())
        return;
    const QDir root(m_corpus);
    for (const QString &folder : { QStringLiteral("vcard"), QStringLiteral("csv") }) {
        const QDir dir(root.filePath(folder));
        for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
            if (name.endsWith(QLatin1String(".vcf")) || name.endsWith(QLatin1String(".csv")))
                QTest::newRow(qPrintable(folder + QLatin1Char('/') + name)) << folder + QLatin1Char('/') + name;
        }
    }
}

void CorpusTest::everyFileReads()
{
    if (m_corpus.isEmpty())
        QSKIP("The shared corpus is not there (set QM_CORPUS_DIR or put it beside the repository).");
    QFETCH(QString, file);
    std::unique_ptr<AbsImport> reader = readerFor(file);
    reader->open(QDir(m_corpus).filePath(file));
    qsizetype read = 0;
    qsizetype entities = 0;
    while (reader->hasNext()) {
        entities += reader->next().entityCount();
        ++read;
    }
    QCOMPARE(read, reader->count());
    QCOMPARE(read, qsizetype(expectedCounts().value(file, 1)));
    qInfo("%s: %lld contacts, %lld entities; not kept: %s", qPrintable(file), qlonglong(read), qlonglong(entities),
          qPrintable(ImportReport::countList(reader->report().notKeptItems())));
}

void CorpusTest::spotChecks_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("name");   // given, family, middle, prefix, suffix (as far as listed)
    QTest::addColumn<QString>("phone");      // one of its phones, or empty
    QTest::addColumn<int>("phoneType");

    const auto row = [](const char *tag, const QString &file, int index, const QStringList &name,
                        const QString &phone = QString(), int type = -1) {
        QTest::newRow(tag) << file << index << name << phone << type;
    };
    row("radicale", "vcard/vobject_radicale-1587.vcf", 0, { "Given", "Family", "Additional", "Prefix", "Suffix" });
    row("android complicated", "vcard/aosp_v21_complicated.vcf", 0, { "Forrest", "Gump", "Hoge", "Pos", "Tao" },
        "(111) 555-1212", 3);
    row("android complicated home", "vcard/aosp_v21_complicated.vcf", 0, { "Forrest", "Gump" }, "(404) 555-1212", 1);
    row("android complicated cell", "vcard/aosp_v21_complicated.vcf", 0, { "Forrest", "Gump" }, "0311111111", 2);
    row("outlook", "vcard/ezvcard_John_Doe_MS_OUTLOOK.vcf", 0, { "John", "Doe", "Richter,James", "Mr.", "Sr." },
        "(905) 555-1234", 3);
    row("em client", "vcard/tine20_emclient_addressbook.vcf", 0, { "Vor", "Nach", "", "Prefix" }, "+49 MOBIL", 2);
    row("windows-1252", "vcard/roundcube_johndoe.vcf", 0, { "John", QStringLiteral("Doë") }, "+123456789", 3);
    row("windows-1252 cell", "vcard/roundcube_johndoe.vcf", 0, { "John", QStringLiteral("Doë") }, "+987654321", 2);
    row("sony ericsson", "vcard/gammu_se-1.vcf", 0, { "Yves", "Laurent" }, "+33476629472", 1);
    row("sony ericsson cell", "vcard/gammu_se-1.vcf", 0, { "Yves", "Laurent" }, "+33608270080", 2);
    row("phone book 1st", "vcard/gammu_se-3.vcf", 0, { QStringLiteral("Іванна"), QStringLiteral("(Карпати)") },
        "+380984437285", 2);
    row("phone book 2nd", "vcard/gammu_se-3.vcf", 1, { QStringLiteral("Алекс"), QStringLiteral("Ильченко") },
        "+380983973556", 2);
    row("shift_jis", "vcard/aosp_v21_japanese_2.vcf", 0, { QStringLiteral("ロイド1"), QStringLiteral("安藤") });
    row("shift_jis entries", "vcard/aosp_v21_multiple_entry.vcf", 0, { "", QStringLiteral("安藤ロイド3") }, "9", -1);
    row("gmail 1st", "vcard/ezvcard_gmail-list.vcf", 0, { "Arnold", "Smith" });
    row("gmail 2nd", "vcard/ezvcard_gmail-list.vcf", 1, { "Chris", "Beatle" });
    row("gmail 3rd", "vcard/ezvcard_gmail-list.vcf", 2, { "Doug", "White" });
    row("stray line before BEGIN", "vcard/tine20_contacts.vcf", 0, { "alex", "spass" }, "+49732121258035", 1);
    row("stray line, 2nd", "vcard/tine20_contacts.vcf", 1, { "jan", "gerber" }, "0123233838592", 2);
    row("no VERSION", "vcard/aosp_v21_simple_1.vcf", 0, { "Roid", "Ando" });
    row("family-first FN", "vcard/aosp_v30_simple.vcf", 0, { "Roid", "And" }, "0300000000", -1);
    row("sort-as", "vcard/aosp_v40_sort_as.vcf", 0, { QStringLiteral("ロイド"), QStringLiteral("安藤") });
    row("quoted parameter", "vcard/aosp_v30_comma_separated.vcf", 0, { "G", "F", "M" }, "1", -1);
    row("iOS CR CR LF", "vcard/aosp_v30_ios_613_multiline.vcf", 0, { "Bob", "Smith" }, "(650) 555-1212", 2);
    row("blackberry work", "vcard/aosp_v21_blackberry_photo.vcf", 0, { "", "boogie" }, "+5555555", 3);
    row("blackberry cell", "vcard/aosp_v21_blackberry_photo.vcf", 0, { "", "boogie" }, "+5555556", 2);
    row("android soft breaks", "vcard/ezvcard_John_Doe_ANDROID.vcf", 2, {}, "123456789", 2);
    row("blackberry 2.1", "vcard/ezvcard_John_Doe_BLACK_BERRY.vcf", 0, { "john", "Doe" }, "+96123456789", 2);
    row("evolution folded phone", "vcard/ezvcard_John_Doe_EVOLUTION.vcf", 0,
        { "John", "Doe", "Richter, James", "Mr.", "Sr." }, "905-666-1234", 2);
    row("gmail", "vcard/ezvcard_John_Doe_GMAIL.vcf", 0, { "John", "Doe", "Richter, James", "Mr.", "Sr." },
        "905-555-1234", 2);
    row("iphone cell", "vcard/ezvcard_John_Doe_IPHONE.vcf", 0, { "John", "Doe", "Richter,James", "Mr.", "Sr." },
        "905-555-1234", 2);
    row("iphone home", "vcard/ezvcard_John_Doe_IPHONE.vcf", 0, { "John", "Doe" }, "905-666-1234", 1);
    row("iphone grouped assistant", "vcard/ezvcard_John_Doe_IPHONE.vcf", 0, { "John", "Doe" }, "905-222-1234", -1);
    row("lotus notes", "vcard/ezvcard_John_Doe_LOTUS_NOTES.vcf", 0, { "John", "Doe", "Johny", "Mr.", "I" },
        "+1 (212) 204-34456", 2);
    row("mac address book", "vcard/ezvcard_John_Doe_MAC_ADDRESS_BOOK.vcf", 0,
        { "John", "Doe", "Richter,James", "Mr.", "Sr." }, "905-777-1234", 3);
    row("outlook 2003", "vcard/ezvcard_outlook-2003.vcf", 0, { "John", "Doe", "", "Mr.", "III" }, "BusinessPhone", 3);
    row("outlook 2007", "vcard/ezvcard_outlook-2007.vcf", 0, { "Michael", "Angstadt", "", "Mr.", "Jr." },
        "(111) 555-1111", 3);
    row("thunderbird", "vcard/ezvcard_thunderbird-MoreFunctionsForAddressBook-extension.vcf", 0,
        { "John", "Doe" }, "555-555-1111", 3);
    row("all lower case", "vcard/kcontacts_vcard3.vcf", 0, { "ian", "geiser" });
    // Neither FN (a line without ":") nor N: the company is the name.
    row("evolution 1.x", "vcard/kcontacts_vcard4.vcf", 0, { "Ximian, Inc.", "" }, "(617) 236-0442", 3);
    row("kaddressbook", "vcard/kcontacts_vcard5.vcf", 0, { "Heiko", "Mustermann" }, "0351 223344", 1);
    row("folds splitting UTF-8", "vcard/kcontacts_vcard9.vcf", 0,
        { "", QStringLiteral("123ㄓㄕㄖbcdeαβγδαβγδαβγδαβγδαβγδαβγδαβㄤㄓㄕㄖ") });
    row("two photos", "vcard/kcontacts_vcard12.vcf", 0, { "Good", "Looking" });
    row("macOS item", "vcard/kcontacts_vcardwithitemasapplesupport.vcf", 0, { "SOMENAME", "" }, "(111) 111-1111", 3);
    row("vCard 4.0", "vcard/kcontacts_testfullvcard.vcf", 0, { "Sherlock", "Holmes", "", "Mr" },
        "+44-555-555-5555;ext=5555", 1);
    row("umlauts", "vcard/roundcube_photo.vcf", 0, { QStringLiteral("Jörg"), QStringLiteral("Müller") });
    row("UTF-16", "vcard/roundcube_utf-16_sample.vcf", 0, { QStringLiteral("Ǽgean"), QStringLiteral("ĽdaMonté") });
    row("quoted-printable without charset", "vcard/roundcube_thebat.vcf", 0, { "Piotr", QStringLiteral("Iksiñski") });
    row("browser 1st", "vcard/roundcube_browser_contacts.vcf", 0, { "Aleksander", "Machniak" });
    row("iOS 5", "vcard/tine20_ios_5_addressbook.vcf", 0, { "Lars", "Kneschke", "Paul", "Prefix", "Suffix" },
        "+49 MOBIL", 2);
    row("Mac OS X", "vcard/tine20_mac_os_x_addressbook.vcf", 0, { "Lars", "Kneschke" }, "+49 BUSINESS", 3);
    row("SOGo", "vcard/tine20_sogo_connector.vcf", 0, { "Lars", "Kneschke" }, "+49 BUSINESS", 3);
    row("WebDAV", "vcard/tine20_WebDAVCollaborator.vcf", 0,
        { "Vorname", "Nachname", "Middle", "salutation", "name suffix" }, "+49 (040) 12345 - 0", 3);
    row("Latin-1 without charset", "vcard/tine20_HerrFalkMuenchen.vcf", 0, { "Falk", QStringLiteral("München") },
        "0171-9394461", 2);
    row("one-part N", "vcard/tine20_telefonbuch.vcf", 0, { "", "Spahn" }, "040 12345", 3);
    row("FN only", "vcard/tine20_without_N_property.vcf", 0, { QStringLiteral("Hans Müller"), "" });
    row("se-2", "vcard/gammu_se-2.vcf", 0, { "Catherine", "Laurent" }, "+33169389055", 1);
    row("photo then blank line", "vcard/gammu_bug-779.vcf", 0, { "Christelle", "DECHAMBRE" }, "+33685733244", 2);
    row("yahoo", "vcard/gammu_yahoo.vcf", 0, { "ACENET", "" }, "(07) 3899-5174", 1);
    row("evolution version3", "vcard/gammu_version3.vcf", 0, { "MARK/HEATHER", "DEE" }, "75553037", 1);
    row("soft break inside an escape", "vcard/gammu_quoted-printable-new-line.vcf", 0,
        { QStringLiteral("ПОРКС"), "- PRIMA" }, "+222222222222", 2);
    row("soft break in N", "vcard/gammu_line-continuation.vcf", 0, { "Nikdovic", "Nikdo" }, "5555 4444", 3);
    row("photo then custom", "vcard/aosp_v21_x_android_custom_after_photo.vcf", 0, { "Roid", "Ando" });
    row("nested cards: the outer card's phone", "vcard/aosp_v21_nest.vcf", 0, { "", "parent" }, "1", 2);
    row("nested cards: the first inner card", "vcard/aosp_v21_nest.vcf", 1, { "", "nest1" });
    row("company card with an empty N", "vcard/roundcube_apple.vcf", 0, { "Apple Computer AG", "" });

    row("google csv", "csv/tine20_google_contacts.csv", 0, { "Ando", "family" });
    row("google csv 5th", "csv/tine20_google_contacts.csv", 4, { "Bus Winsen", "family" });
    row("old google csv", "csv/roundcube_gmail.csv", 0, { "Firstname", "Lastname", "Middle", "Prefix", "Suffix" });
    row("thunderbird csv", "csv/roundcube_tb_plain.csv", 0, { "Firstname", "Lastname" });
    row("google import csv", "csv/tine20_adb_google_import.csv", 0, { "Max", "Mustermann" });
    row("outlook-like csv", "csv/roundcube_all.csv", 0, { "First Name", "Last Name", "Middle Name", "Prefix", "Suffix" },
        "300", 3);
    row("old google csv phone", "csv/roundcube_gmail.csv", 0, { "Firstname", "Lastname" }, "mobile", 2);
    row("old google csv work fax", "csv/roundcube_gmail.csv", 0, { "Firstname", "Lastname" }, "workfax", 4);
    row("google csv phone", "csv/tine20_google_contacts.csv", 0, { "Ando", "family" }, "+49227913452", 2);
    row("thunderbird csv work", "csv/roundcube_tb_plain.csv", 0, { "Firstname", "Lastname" }, "phone work", 3);
    row("thunderbird csv mobile", "csv/roundcube_tb_plain.csv", 0, { "Firstname", "Lastname" }, "mobile", 2);
    row("german outlook csv", "csv/tine20_importtest_outlook2013_de.csv", 0, { "Christian", "Baumann" },
        "+49 (0) 40 6432131-550", 3);
    row("german outlook csv 2nd", "csv/tine20_importtest_outlook2013_de.csv", 1, { "Cornelius", QStringLiteral("Weiß") });
    row("windows-1252 semicolons", "csv/tine20_importtest_win1252.csv", 2,
        { QStringLiteral("ÖzdemirÖ"), QStringLiteral("Üglü") });
    row("tab-separated german mac", "csv/tine20_adb_mac_import_tab.csv", 0, { "Max", "Mustermann" }, "04012345", 3);
    row("google import csv phone", "csv/tine20_adb_google_import.csv", 0, { "Max", "Mustermann" }, "04012345", -1);
}

void CorpusTest::spotChecks()
{
    if (m_corpus.isEmpty())
        QSKIP("The shared corpus is not there (set QM_CORPUS_DIR or put it beside the repository).");
    QFETCH(QString, file);
    QFETCH(int, index);
    QFETCH(QStringList, name);
    QFETCH(QString, phone);
    QFETCH(int, phoneType);

    std::unique_ptr<AbsImport> reader = readerFor(file);
    reader->open(QDir(m_corpus).filePath(file));
    Contact c;
    for (int i = 0; i <= index; ++i) {
        QVERIFY(reader->hasNext());
        c = reader->next();
    }
    if (!name.isEmpty()) {
        const Entity *n = c.firstEntity(ENTITY_NAME);
        QVERIFY(n);
        const QStringList parts { n->text(data2), n->text(data3), n->text(data4), n->text(data5), n->text(data6) };
        QCOMPARE(parts.mid(0, name.size()), name);
    }
    if (!phone.isEmpty()) {
        const Entity *found = nullptr;
        for (const Entity &e : c.entitiesOf(ENTITY_PHONE)) {
            if (e.text(data1) == phone)
                found = &e;
        }
        QVERIFY2(found, qPrintable(phone));
        if (phoneType >= 0)
            QCOMPARE(found->toInt(data2), phoneType);
    }
}

QTEST_GUILESS_MAIN(CorpusTest)
#include "corpustest.moc"
