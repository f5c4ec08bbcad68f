// Every picture the program names is in the resources, at the size it is
// shown, and actually drawn.
#include <QImage>
#include <QTest>

class ArtworkTest : public QObject
{
    Q_OBJECT

private slots:
    void pictures_data();
    void pictures();
};

void ArtworkTest::pictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("opaque");
    const QSize bar(58, 58), menu(32, 32), tree(18, 18), small(16, 16);
    for (const char *name : {"backup", "a2a", "db2a", "export", "print", "new_ct", "import", "del"})
        QTest::newRow(name) << QString::fromLatin1(name) << bar << false;
    for (const char *name : {"open_db_folder", "exit", "help", "edit", "unmount"})
        QTest::newRow(name) << QString::fromLatin1(name) << menu << false;
    for (const char *name : {"icon_devices", "icon_android", "icon_databases", "icon_database", "group"})
        QTest::newRow(name) << QString::fromLatin1(name) << tree << false;
    for (const char *name : {"add", "remove", "search"})
        QTest::newRow(name) << QString::fromLatin1(name) << small << false;
    QTest::newRow("drop-arrow") << QStringLiteral("drop-arrow") << QSize(10, 6) << false;
    QTest::newRow("empty_contact") << QStringLiteral("empty_contact") << QSize(128, 128) << true;
    QTest::newRow("main-bg") << QStringLiteral("main-bg") << QSize(1920, 140) << true;
    QTest::newRow("subwin-bg") << QStringLiteral("subwin-bg") << QSize(640, 200) << true;
}

void ArtworkTest::pictures()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(bool, opaque);
    for (const QString &prefix : {QStringLiteral(":/res/"), QStringLiteral(":res/")}) {
        const QImage image(prefix + name + QStringLiteral(".png"));
        QVERIFY2(!image.isNull(), qPrintable(prefix + name));
        QCOMPARE(image.size(), size);
    }
    const QImage image = QImage(QStringLiteral(":/res/") + name + QStringLiteral(".png"))
                             .convertToFormat(QImage::Format_ARGB32);
    int drawn = 0;
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) > 0)
                ++drawn;
            colours.insert(pixel);
        }
    }
    const int area = size.width() * size.height();
    if (opaque)
        QCOMPARE(drawn, area);
    else
        QVERIFY2(drawn > area / 5 && drawn < area, qPrintable(QString::number(drawn)));
    QVERIFY(colours.size() > 2);
}

QTEST_GUILESS_MAIN(ArtworkTest)
#include "artworktest.moc"
