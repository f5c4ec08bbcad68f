// The style sheet cache, and the application style sheet it serves.
#include "app/stylesheet.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class StyleSheetTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void firstReadIsKept();
    void unreadableFileIsRetried();
    void textEndsAtNulAndIsLatin1();
    void applicationSheetHasEveryRule_data();
    void applicationSheetHasEveryRule();
    void imagesOfTheSheetExist();

private:
    QString write(const QString &name, const QByteArray &content);
    QTemporaryDir m_dir;
};

void StyleSheetTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

QString StyleSheetTest::write(const QString &name, const QByteArray &content)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(content);
    return path;
}

void StyleSheetTest::firstReadIsKept()
{
    const QString a = write(QStringLiteral("a.css"), "QLabel{color:red}");
    const QString b = write(QStringLiteral("b.css"), "QLabel{color:blue}");
    StyleSheet cache;
    QCOMPARE(cache.text(a), QStringLiteral("QLabel{color:red}"));
    QCOMPARE(cache.text(b), QStringLiteral("QLabel{color:red}"));
    // Changing the file later changes nothing either.
    write(QStringLiteral("a.css"), "QLabel{color:green}");
    QCOMPARE(cache.text(a), QStringLiteral("QLabel{color:red}"));
}

void StyleSheetTest::unreadableFileIsRetried()
{
    StyleSheet cache;
    const QString missing = m_dir.filePath(QStringLiteral("missing.css"));
    QCOMPARE(cache.text(missing), QString());
    QCOMPARE(cache.text(missing), QString());
    const QString later = write(QStringLiteral("missing.css"), "QMenu{}");
    QCOMPARE(cache.text(later), QStringLiteral("QMenu{}"));
}

void StyleSheetTest::textEndsAtNulAndIsLatin1()
{
    StyleSheet cache;
    const QString path = write(QStringLiteral("nul.css"), QByteArray("* {font-family:\"Caf\xe9\";}\0junk", 28));
    QCOMPARE(cache.text(path), QStringLiteral("* {font-family:\"Caf\u00e9\";}"));
}

void StyleSheetTest::applicationSheetHasEveryRule_data()
{
    // A selector of the application style sheet and a declaration its rule must hold.
    QTest::addColumn<QString>("selector");
    QTest::addColumn<QString>("declaration");
    QTest::newRow("font") << QStringLiteral("*") << QStringLiteral("font-family:\"Microsoft YaHei\"");
    QTest::newRow("combo box") << QStringLiteral("QComboBox") << QStringLiteral("border:1px solid black");
    QTest::newRow("combo selection") << QStringLiteral("QComboBox QAbstractItemView")
                                     << QStringLiteral("selection-background-color:#92BEF0");
    QTest::newRow("combo arrow") << QStringLiteral("QComboBox::down-arrow")
                                 << QStringLiteral("image:url(:res/drop-arrow.png)");
    QTest::newRow("button") << QStringLiteral("QPushButton") << QStringLiteral("border:1px solid #2999FF");
    QTest::newRow("button gradient") << QStringLiteral("QPushButton")
                                     << QStringLiteral("stop:0 #E3F4FC");
    QTest::newRow("button hover") << QStringLiteral("QPushButton:hover") << QStringLiteral("border-color:#A67309");
    QTest::newRow("title") << QStringLiteral("#lbTitle") << QStringLiteral("font-size:14px");
    QTest::newRow("message box") << QStringLiteral("QMessageBox")
                                 << QStringLiteral("background-image:url(:res/subwin-bg.png)");
    QTest::newRow("progress form") << QStringLiteral("#ProgressForm")
                                   << QStringLiteral("background-repeat:no-repeat");
    QTest::newRow("WiFi form") << QStringLiteral("#AndroidWIFIForm") << QStringLiteral("border:1px solid black");
    QTest::newRow("main window") << QStringLiteral("#MainWindow")
                                 << QStringLiteral("background-image:url(:res/main-bg.png)");
    QTest::newRow("menu bar") << QStringLiteral("QMenuBar") << QStringLiteral("spacing:15px");
    QTest::newRow("open menu bar item") << QStringLiteral("QMenuBar::item:selected")
                                        << QStringLiteral("background:white");
    QTest::newRow("menu") << QStringLiteral("QMenu") << QStringLiteral("border:1px solid #AAAAAA");
    QTest::newRow("menu selection") << QStringLiteral("QMenu::item:selected") << QStringLiteral("stop:1 #BEDAE8");
    QTest::newRow("disabled menu item") << QStringLiteral("QMenu::item:disabled")
                                        << QStringLiteral("color:#E6E6E6");
    QTest::newRow("tool bar") << QStringLiteral("QToolBar") << QStringLiteral("spacing:10px");
    QTest::newRow("source tree") << QStringLiteral("#treeMain") << QStringLiteral("background:transparent");
    QTest::newRow("list header") << QStringLiteral("#treeContacts QHeaderView::section")
                                 << QStringLiteral("height:25px");
    QTest::newRow("total") << QStringLiteral("#lbTotal") << QStringLiteral("font-style:italic");
}

void StyleSheetTest::applicationSheetHasEveryRule()
{
    QFETCH(QString, selector);
    QFETCH(QString, declaration);
    StyleSheet cache;
    const QString sheet = cache.text(StyleSheet::defaultPath);
    QVERIFY2(!sheet.isEmpty(), "the style sheet is not in the resources");
    // Find every rule whose selector list names the selector, and look for the
    // declaration in their bodies (white space ignored).
    const QRegularExpression rule(QStringLiteral("([^{}]+)\\{([^}]*)\\}"));
    QString bodies;
    for (const auto &match : rule.globalMatch(sheet)) {
        QString selectors = match.captured(1);
        selectors.remove(QRegularExpression(QStringLiteral("/\\*.*\\*/"),
                                            QRegularExpression::DotMatchesEverythingOption));
        for (const QString &s : selectors.split(u',')) {
            if (s.simplified() == selector)
                bodies += match.captured(2);
        }
    }
    QVERIFY2(!bodies.isEmpty(), qPrintable(QStringLiteral("no rule for %1").arg(selector)));
    QString compact = bodies;
    compact.remove(QRegularExpression(QStringLiteral("\\s")));
    QString wanted = declaration;
    wanted.remove(QRegularExpression(QStringLiteral("\\s")));
    QVERIFY2(compact.contains(wanted, Qt::CaseInsensitive), qPrintable(bodies));
}

void StyleSheetTest::imagesOfTheSheetExist()
{
    StyleSheet cache;
    const QString sheet = cache.text(StyleSheet::defaultPath);
    const QRegularExpression url(QStringLiteral("url\\(([^)]*)\\)"));
    int count = 0;
    for (const auto &match : url.globalMatch(sheet)) {
        ++count;
        QVERIFY2(QFile::exists(match.captured(1)), qPrintable(match.captured(1)));
    }
    QVERIFY(count >= 3);
}

QTEST_GUILESS_MAIN(StyleSheetTest)
#include "stylesheettest.moc"
