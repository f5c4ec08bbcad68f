// The compiled translations (:/en.qm) against the table of expected messages in
// tests/data/res/messages.tsv, and the translation source res/en.ts against the
// same table, so neither can drift from the other. The German catalogue
// (res/de.ts, :/de.qm) must hold every message of the table too, with the
// same placeholders as the English text.
#include "tests/support/testpaths.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTranslator>
#include <QXmlStreamReader>

namespace {

struct Message
{
    QString context;
    QString key;
    QString text;
};

QString unescapeField(const QString &field)
{
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field.at(i);
        if (c == u'\\' && i + 1 < field.size()) {
            const QChar next = field.at(++i);
            if (next == u'n')
                out += u'\n';
            else if (next == u't')
                out += u'\t';
            else if (next == u'\\')
                out += u'\\';
            else
                out.append(c).append(next);
        } else {
            out += c;
        }
    }
    return out;
}

// Reads the table; a malformed line is reported through `error`.
QList<Message> readTable(QString *error)
{
    QFile file(testpaths::testData(QStringLiteral("res/messages.tsv")));
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return {};
    }
    QList<Message> messages;
    int lineNo = 0;
    while (!file.atEnd()) {
        ++lineNo;
        QString line = QString::fromUtf8(file.readLine());
        if (line.endsWith(u'\n'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList fields = line.split(u'\t');
        if (fields.size() != 3) {
            *error = QStringLiteral("messages.tsv line %1: %2 fields").arg(lineNo).arg(fields.size());
            return {};
        }
        messages.append({fields.at(0), unescapeField(fields.at(1)), unescapeField(fields.at(2))});
    }
    return messages;
}

QString messageId(const QString &context, const QString &key)
{
    return context + u'\x1f' + key;
}

// The placeholders of a text ("%1", "%2", ...), sorted, each once per use.
QStringList placeholders(const QString &text)
{
    static const QRegularExpression marker(QStringLiteral("%[0-9]+"));
    QStringList found;
    for (auto it = marker.globalMatch(text); it.hasNext();)
        found << it.next().captured();
    found.sort();
    return found;
}

} // namespace

class TranslationsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void tableIsWellFormed();
    void translatesThroughCompiledResource_data();
    void translatesThroughCompiledResource();
    void sourceHoldsExactlyTheTable_data();
    void sourceHoldsExactlyTheTable();
    void germanHoldsEveryMessage_data();
    void germanHoldsEveryMessage();
    void installedTranslatorServesTranslate();

private:
    QList<Message> m_table;
    QTranslator m_translator;
    QTranslator m_german;
};

void TranslationsTest::initTestCase()
{
    QString error;
    m_table = readTable(&error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(!m_table.isEmpty());
    QVERIFY2(m_translator.load(QStringLiteral(":/en.qm")), "the compiled translations are not in the resources");
    QVERIFY2(m_german.load(QStringLiteral(":/de.qm")), "the German catalogue is not in the resources");
}

void TranslationsTest::tableIsWellFormed()
{
    QSet<QString> seen;
    for (const Message &m : std::as_const(m_table)) {
        QVERIFY2(!m.context.isEmpty() && !m.key.isEmpty() && !m.text.isEmpty(), qPrintable(m.key));
        const QString id = messageId(m.context, m.key);
        QVERIFY2(!seen.contains(id), qPrintable(QStringLiteral("duplicate %1 / %2").arg(m.context, m.key)));
        seen.insert(id);
    }
}

void TranslationsTest::translatesThroughCompiledResource_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    for (const Message &m : std::as_const(m_table)) {
        const QString row = m.context + u' ' + m.key;
        QTest::newRow(qPrintable(row)) << m.context << m.key << m.text;
    }
}

void TranslationsTest::translatesThroughCompiledResource()
{
    QFETCH(QString, context);
    QFETCH(QString, key);
    QFETCH(QString, text);
    // QTranslator answers a null string for a message it does not hold, so a
    // key that is its own text still has to be present to pass.
    const QString translated = m_translator.translate(context.toUtf8().constData(), key.toUtf8().constData());
    QVERIFY2(!translated.isNull(), "missing from the compiled translations");
    QCOMPARE(translated, text);
}

void TranslationsTest::sourceHoldsExactlyTheTable_data()
{
    QTest::addColumn<QString>("catalogue");
    QTest::newRow("English") << QStringLiteral("en.ts");
    QTest::newRow("German") << QStringLiteral("de.ts");
}

void TranslationsTest::sourceHoldsExactlyTheTable()
{
    QFETCH(QString, catalogue);
    QFile file(testpaths::sourceDir() + QStringLiteral("/res/") + catalogue);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.errorString()));

    QSet<QString> inSource;
    QXmlStreamReader xml(&file);
    QString context;
    QString source;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"source") {
            source = xml.readElementText();
        } else if (xml.name() == u"translation") {
            const QString type = xml.attributes().value(QStringLiteral("type")).toString();
            QVERIFY2(type.isEmpty(), qPrintable(QStringLiteral("%1 / %2 is marked %3").arg(context, source, type)));
            const QString id = messageId(context, source);
            QVERIFY2(!inSource.contains(id), qPrintable(QStringLiteral("%1 repeats %2 / %3").arg(file.fileName(), context, source)));
            inSource.insert(id);
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));

    QSet<QString> inTable;
    for (const Message &m : std::as_const(m_table))
        inTable.insert(messageId(m.context, m.key));
    const QSet<QString> onlyInSource = inSource - inTable;
    const QSet<QString> onlyInTable = inTable - inSource;
    auto describe = [](const QSet<QString> &ids) {
        QStringList list(ids.cbegin(), ids.cend());
        list.sort();
        return list.join(QStringLiteral(", ")).replace(u'\x1f', u'/');
    };
    QVERIFY2(onlyInSource.isEmpty(), qPrintable(QStringLiteral("not in messages.tsv: ") + describe(onlyInSource)));
    QVERIFY2(onlyInTable.isEmpty(), qPrintable(QStringLiteral("not in %1: ").arg(catalogue) + describe(onlyInTable)));
}

void TranslationsTest::germanHoldsEveryMessage_data()
{
    translatesThroughCompiledResource_data();
}

void TranslationsTest::germanHoldsEveryMessage()
{
    QFETCH(QString, context);
    QFETCH(QString, key);
    QFETCH(QString, text);
    const QString german = m_german.translate(context.toUtf8().constData(), key.toUtf8().constData());
    QVERIFY2(!german.isEmpty(), "missing from the German catalogue");
    // The program fills the same arguments into either text.
    QCOMPARE(placeholders(german), placeholders(text));
    // Line breaks stand where the English text has them.
    QCOMPARE(german.count(u'\n'), text.count(u'\n'));
}

void TranslationsTest::installedTranslatorServesTranslate()
{
    // The program installs the translator and shows every text through
    // QCoreApplication::translate (tr() in the showing class).
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(":/en.qm")));
    QVERIFY(QCoreApplication::installTranslator(&translator));
    QCOMPARE(QCoreApplication::translate("MainWindow", "Total:%1").arg(12), QStringLiteral("Total:12"));
    QCOMPARE(QCoreApplication::translate("ItemModelMainTree", "IDS_ROOT_DEVICE"), QStringLiteral("Devices"));
    // A key shown in one context is not found in another.
    QCOMPARE(QCoreApplication::translate("MainWindow", "IDS_ROOT_DEVICE"), QStringLiteral("IDS_ROOT_DEVICE"));
    const QString error = QCoreApplication::translate("QObject", "IDS_ERROR_OCCUR_DESC_%1").arg(QStringLiteral("disk full"));
    QVERIFY(error.startsWith(QStringLiteral("An Error Occurred.")));
    QVERIFY(error.endsWith(QStringLiteral("\n\nError info: \"disk full\"")));
    QCoreApplication::removeTranslator(&translator);
}

QTEST_GUILESS_MAIN(TranslationsTest)
#include "translationstest.moc"
