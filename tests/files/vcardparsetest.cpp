#include "files/vcardcontactbuilder.h"
#include "files/vcardimport.h"
#include "files/vcardstore.h"
#include "files/vcardtokenizer.h"

#include <QTest>

// The byte level of the vCard reader: lines, folds, parameters, transfer
// decodings, errors, and the cards the receiver builds.
class VCardParseTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void values_data();
    void values();
    void parameters_data();
    void parameters();
    void cards_data();
    void cards();
    void errorsDropOnlyTheBrokenProperty_data();
    void errorsDropOnlyTheBrokenProperty();
    void piecesGiveTheSameCards_data();
    void piecesGiveTheSameCards();
    void bufferReleasedAfterLargeValue();
    void decodeText_data();
    void decodeText();
    void components_data();
    void components();
    void asciiBytesReadAsDecodedText_data();
    void asciiBytesReadAsDecodedText();
};

namespace {

QByteArray card(const QByteArray &lines)
{
    return "BEGIN:VCARD\r\n" + lines + "END:VCARD\r\n";
}

QString describe(const QList<VCard> &cards)
{
    QStringList out;
    for (const VCard &c : cards) {
        QStringList props;
        for (const VCardProperty &p : c)
            props.append(QString::fromUtf8(p.name + '=' + p.value));
        out.append(QLatin1Char('[') + props.join(QLatin1Char('|')) + QLatin1Char(']'));
    }
    return out.join(QString());
}

} // namespace

void VCardParseTest::values_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("value");

    QTest::newRow("plain") << card("NOTE:a b\r\n") << QByteArray("a b");
    QTest::newRow("leading white space dropped") << card("NOTE:  \t a \r\n") << QByteArray("a ");
    QTest::newRow("carriage returns anywhere are dropped") << card("NOTE:a\rb\r\r\n") << QByteArray("ab");
    QTest::newRow("line feeds only") << QByteArray("BEGIN:VCARD\nNOTE:x\nEND:VCARD\n") << QByteArray("x");
    QTest::newRow("CR CR LF line ends") << QByteArray("BEGIN:VCARD\r\r\nNOTE:x\r\r\nEND:VCARD\r\r\n")
                                        << QByteArray("x");
    QTest::newRow("no final line end") << QByteArray("BEGIN:VCARD\r\nNOTE:x\r\nEND:VCARD") << QByteArray("x");
    QTest::newRow("blank lines vanish") << QByteArray("\r\n\r\nBEGIN:VCARD\r\n\r\nNOTE:x\r\n\r\n\r\nEND:VCARD\r\n")
                                        << QByteArray("x");
    // vCard 3.0 (and cards that do not say): a fold is removed entirely, so
    // a word or a UTF-8 sequence cut by the fold joins up again.
    QTest::newRow("3.0 fold joins") << card("VERSION:3.0\r\nNOTE:Germa\r\n ny\r\n") << QByteArray("Germany");
    QTest::newRow("fold splitting UTF-8") << card("NOTE:\xCE\r\n \xB1\r\n") << QByteArray("\xCE\xB1");
    QTest::newRow("fold with tab") << card("NOTE:a\r\n\tb\r\n") << QByteArray("ab");
    QTest::newRow("fold keeps further blanks") << card("NOTE:a\r\n  b\r\n") << QByteArray("a b");
    // vCard 2.1 folds at white space: the fold reads as one space.
    QTest::newRow("2.1 fold is a space") << card("VERSION:2.1\r\nTEL:5555\n 4444\r\n") << QByteArray("5555 4444");
    QTest::newRow("fold inside the name") << card("NO\r\n TE:x\r\n") << QByteArray("x");

    QTest::newRow("qp escapes") << card("NOTE;ENCODING=QUOTED-PRINTABLE:A=0D=0AB=3D=c3=a9\r\n")
                                << QByteArray("A\r\nB=\xC3\xA9");
    QTest::newRow("bare QUOTED-PRINTABLE, any case") << card("NOTE;quoted-printable:=41\r\n") << QByteArray("A");
    QTest::newRow("qp broken escape kept as written") << card("NOTE;ENCODING=QUOTED-PRINTABLE:a=G1=4\r\n")
                                                      << QByteArray("a=G1=4");
    QTest::newRow("qp equals before a non-hex") << card("NOTE;ENCODING=QUOTED-PRINTABLE:==41\r\n")
                                                << QByteArray("=A");
    // Soft line breaks: "=" at the end of a line continues the value.
    QTest::newRow("qp soft break, no white space")
        << card("NOTE;ENCODING=QUOTED-PRINTABLE:abc=\r\ndef=\r\nghi\r\n") << QByteArray("abcdefghi");
    QTest::newRow("qp soft break keeps the next line's blank")
        << card("NOTE;ENCODING=QUOTED-PRINTABLE:come=\r\n to\r\n") << QByteArray("come to");
    QTest::newRow("qp soft break inside an escape")
        << card("N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=9A==\nD0=A1\n") << QByteArray("\xD0\x9A\xD0\xA1");
    QTest::newRow("qp soft break then an escape") << card("NOTE;ENCODING=QUOTED-PRINTABLE:a=\r\n=0Ab\r\n")
                                                  << QByteArray("a\nb");
    QTest::newRow("qp soft break then a blank line ends the value")
        << card("NOTE;ENCODING=QUOTED-PRINTABLE:abc=\r\n\r\n") << QByteArray("abc");
    QTest::newRow("qp soft break at the end of the text")
        << QByteArray("BEGIN:VCARD\r\nNOTE;ENCODING=QUOTED-PRINTABLE:abc=") << QByteArray("abc");
    QTest::newRow("equals at the end of a plain value stays")
        << card("NOTE:ends with=\r\n") << QByteArray("ends with=");
    QTest::newRow("qp continuation starting with #")
        << card("NOTE;ENCODING=QUOTED-PRINTABLE:a=\r\n#b\r\n") << QByteArray("a#b");

    QTest::newRow("base64") << card("PHOTO;ENCODING=b:SGVsbG8=\r\n") << QByteArray("Hello");
    QTest::newRow("base64 folded") << card("PHOTO;ENCODING=BASE64:SGVs\r\n  bG8g\r\n d29y bGQ=\r\n")
                                   << QByteArray("Hello world");
    QTest::newRow("bare BASE64") << card("PHOTO;BASE64:SGk=\r\n") << QByteArray("Hi");
    {
        // Longer than one decoding block, on one line and folded.
        QByteArray bytes;
        for (int i = 0; i < 1000; ++i)
            bytes.append(char(i * 7 + i / 256));
        const QByteArray digits = bytes.toBase64();
        QTest::newRow("base64 long line") << card("PHOTO;ENCODING=b:" + digits + "\r\n") << bytes;
        QByteArray folded;
        for (qsizetype at = 0; at < digits.size(); at += 75)
            folded += (at ? "\r\n " : "") + digits.mid(at, 75);
        QTest::newRow("base64 long, folded") << card("PHOTO;ENCODING=b:" + folded + "\r\n") << bytes;
    }
    QTest::newRow("base64 one padding") << card("PHOTO;ENCODING=B:SGVsbA==\r\n") << QByteArray("Hell");
    QTest::newRow("base64 incomplete quartet padded") << card("PHOTO;ENCODING=B:SGVsbA\r\n")
                                                      << QByteArray("Hell");
    QTest::newRow("base64 value on the next lines")
        << card("PHOTO;ENCODING=BASE64;TYPE=JPEG:\r\n SGVs\r\n bG8=\r\n\r\n") << QByteArray("Hello");
    QTest::newRow("8bit taken as it is") << card("NOTE;ENCODING=8BIT:=41\r\n") << QByteArray("=41");
    QTest::newRow("last encoding wins") << card("NOTE;BASE64;ENCODING=QUOTED-PRINTABLE:=41\r\n") << QByteArray("A");
}

void VCardParseTest::values()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, value);
    QList<VCard> cards = parseVCardText(text);
    QCOMPARE(cards.size(), 1);
    QVERIFY(!cards.first().isEmpty());
    QCOMPARE(cards.first().last().value, value);
}

void VCardParseTest::parameters_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QList<VCardProperty::Parameter>>("params");
    QTest::addColumn<QByteArray>("value");
    using P = VCardProperty::Parameter;

    QTest::newRow("bare parameters") << QByteArray("TEL;HOME;VOICE:1") << QByteArray("TEL")
                                     << QList<P> { { "HOME", "" }, { "VOICE", "" } } << QByteArray("1");
    QTest::newRow("sorted, last value kept") << QByteArray("TEL;TYPE=a;CHARSET=x;TYPE=b:1") << QByteArray("TEL")
                                             << QList<P> { { "CHARSET", "x" }, { "TYPE", "b" } } << QByteArray("1");
    QTest::newRow("white space in parameters dropped") << QByteArray("TEL ; TYPE = home, voice :1")
                                                       << QByteArray("TEL") << QList<P> { { "TYPE", "home,voice" } }
                                                       << QByteArray("1");
    QTest::newRow("escaped semicolon in a parameter value") << QByteArray("X;A=b\\;c;D=\\\\:v") << QByteArray("X")
                                                             << QList<P> { { "A", "b;c" }, { "D", "\\" } }
                                                             << QByteArray("v");
    QTest::newRow("quoted value with colon and comma")
        << QByteArray("TEL;TYPE=\"COMMA,SEPARATED:INSIDE.DQUOTE\",PREF:1") << QByteArray("TEL")
        << QList<P> { { "TYPE", "COMMA,SEPARATED:INSIDE.DQUOTE,PREF" } } << QByteArray("1");
    QTest::newRow("quoted value with semicolon and blank")
        << QByteArray("N;SORT-AS=\"a;b c\":x;y") << QByteArray("N") << QList<P> { { "SORT-AS", "a;b c" } }
        << QByteArray("x;y");
    QTest::newRow("quote in the middle is a byte") << QByteArray("X;A=b\"c:v") << QByteArray("X")
                                                   << QList<P> { { "A", "b\"c" } } << QByteArray("v");
    QTest::newRow("group prefix kept in the name") << QByteArray("item1.TEL;type=CELL:1")
                                                   << QByteArray("item1.TEL") << QList<P> { { "type", "CELL" } }
                                                   << QByteArray("1");
    QTest::newRow("colon in the value") << QByteArray("URL:http://x") << QByteArray("URL") << QList<P>()
                                        << QByteArray("http://x");
}

void VCardParseTest::parameters()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, name);
    QFETCH(QList<VCardProperty::Parameter>, params);
    QFETCH(QByteArray, value);
    const QList<VCard> cards = parseVCardText(card(line + "\r\n"));
    QCOMPARE(cards.size(), 1);
    QCOMPARE(cards.first().size(), 1);
    const VCardProperty &p = cards.first().first();
    QCOMPARE(p.name, name);
    QCOMPARE(p.params, params);
    QCOMPARE(p.value, value);
}

void VCardParseTest::cards_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("no BEGIN") << QByteArray("N:a\r\nEND:VCARD\r\n") << QString();
    QTest::newRow("two cards") << QByteArray("BEGIN:VCARD\r\nN:a\r\nEND:VCARD\r\nBEGIN:VCARD\r\nN:b\r\nEND:VCARD\r\n")
                               << "[N=a][N=b]";
    QTest::newRow("lines outside cards dropped")
        << QByteArray("ENCODING:UTF-8\r\nBEGIN:VCARD\r\nN:a\r\nEND:VCARD\r\nTEL:1\r\n") << "[N=a]";
    QTest::newRow("BEGIN without END") << QByteArray("BEGIN:VCARD\r\nN:a\r\nBEGIN:VCARD\r\nN:b\r\nEND:VCARD\r\n")
                                       << "[N=a][N=b]";
    QTest::newRow("unclosed card kept") << QByteArray("BEGIN:VCARD\r\nN:a\r\nTEL:1") << "[N=a|TEL=1]";
    QTest::newRow("lower-case begin and end") << QByteArray("begin:vcard\nn:a\nend:vcard\nTEL:1\n") << "[n=a]";
    QTest::newRow("mixed-case value of BEGIN") << QByteArray("BEGIN:vCard\r\nN:a\r\nEND:vCard\r\n") << "[N=a]";
    QTest::newRow("line without colon dropped") << QByteArray("BEGIN:VCARD\r\nFN\r\nN:a\r\nEND:VCARD\r\n")
                                                << "[N=a]";
    QTest::newRow("junk after END") << QByteArray("BEGIN:VCARD\r\nN:a\r\nEND:VCARD.\r\n") << "[N=a]";
    QTest::newRow("qp soft break continues, next line is its own")
        << QByteArray("BEGIN:VCARD\nN;ENCODING=QUOTED-PRINTABLE:Nikdo;Nikdo=\nvic\nNOTE:ends=\nTEL:1\nEND:VCARD\n")
        << "[N=Nikdo;Nikdovic|NOTE=ends=|TEL=1]";
    QTest::newRow("nested cards") << QByteArray("BEGIN:VCARD\nN:p\nBEGIN:VCARD\nN:c\nEND:VCARD\nTEL:1\nEND:VCARD\n")
                                  << "[N=p|TEL=1][N=c]";
    QTest::newRow("vCard 2.1 agent: the lines after it are the outer card's")
        << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nN:p\r\nAGENT:\r\nBEGIN:VCARD\r\nVERSION:2.1\r\nN:a\r\n"
                      "TEL:9\r\nEND:VCARD\r\nTEL:1\r\nEMAIL:p@x\r\nEND:VCARD\r\nBEGIN:VCARD\r\nN:q\r\nEND:VCARD\r\n")
        << "[VERSION=2.1|N=p|AGENT=|TEL=1|EMAIL=p@x][VERSION=2.1|N=a|TEL=9][N=q]";
    QTest::newRow("two nested cards, then the outer card's line")
        << QByteArray("BEGIN:VCARD\nN:p\nBEGIN:VCARD\nN:c1\nEND:VCARD\nBEGIN:VCARD\nN:c2\nEND:VCARD\nTEL:1\nEND:VCARD\n")
        << "[N=p|TEL=1][N=c1][N=c2]";
    QTest::newRow("empty nested card") << QByteArray("BEGIN:VCARD\nN:p\nBEGIN:VCARD\nEND:VCARD\nTEL:1\nEND:VCARD\n")
                                       << "[N=p|TEL=1][]";
    QTest::newRow("nested in nested")
        << QByteArray("BEGIN:VCARD\nN:p\nBEGIN:VCARD\nN:c\nBEGIN:VCARD\nN:g\nEND:VCARD\nTEL:2\nEND:VCARD\nTEL:1\n"
                      "END:VCARD\nBEGIN:VCARD\nN:q\nEND:VCARD\n")
        << "[N=p|TEL=1][N=c|TEL=2][N=g][N=q]";
    QTest::newRow("broken first line after a nested card")
        << QByteArray("BEGIN:VCARD\nN:p\nBEGIN:VCARD\nN:c\nEND:VCARD\nPHOTO;ENCODING=b:ab:d==\nBEGIN:VCARD\nN:d\nEND:VCARD\nTEL:1\n"
                      "END:VCARD\n")
        << "[N=p|TEL=1][N=c][N=d]";
}

void VCardParseTest::cards()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    QCOMPARE(describe(parseVCardText(text)), expected);
}

// A syntax error costs the property it is in, never the cards around it.
void VCardParseTest::errorsDropOnlyTheBrokenProperty_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected");

    const QByteArray before = "BEGIN:VCARD\r\nN:a\r\nEND:VCARD\r\nBEGIN:VCARD\r\nN:b\r\n";
    const QByteArray after = "TEL:2\r\nEND:VCARD\r\nBEGIN:VCARD\r\nN:c\r\nEND:VCARD\r\n";
    QTest::newRow("colon right after semicolon") << before + "TEL;:1\r\n" + after << "[N=a][N=b|TEL=2][N=c]";
    QTest::newRow("empty parameter value") << before + "TEL;TYPE=:1\r\n" + after << "[N=a][N=b|TEL=2][N=c]";
    QTest::newRow("empty parameter value before semicolon") << before + "TEL;TYPE=;X:1\r\n" + after
                                                            << "[N=a][N=b|TEL=2][N=c]";
    QTest::newRow("broken base64 quartet") << before + "PHOTO;ENCODING=b:ab:d==\r\n" + after
                                           << "[N=a][N=b|TEL=2][N=c]";
    QTest::newRow("broken base64 on a folded line")
        << before + "PHOTO;ENCODING=b:\r\n abcd\r\n a*cd\r\n efgh\r\n" + after << "[N=a][N=b|TEL=2][N=c]";
    QTest::newRow("final quartet of one character") << before + "PHOTO;ENCODING=b:abcdQ\r\n" + after
                                                    << "[N=a][N=b|TEL=2][N=c]";
    QTest::newRow("extra padding") << before + "PHOTO;ENCODING=b:abcdQ==\r\n" + after << "[N=a][N=b|TEL=2][N=c]";
    QTest::newRow("error at the very end") << before + "PHOTO;ENCODING=b:Q" << "[N=a][N=b]";
}

void VCardParseTest::errorsDropOnlyTheBrokenProperty()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    QCOMPARE(describe(parseVCardText(text)), expected);

    int errors = 0;
    VCardStore store;
    VCardTokenizer tokenizer(&VCardStore::propertyBegins, &VCardStore::valueReady, &VCardStore::propertyDropped,
                             &store);
    tokenizer.feed(text, true);
    errors = tokenizer.errorCount();
    QCOMPARE(errors, 1);
}

// The run-at-a-time paths and the byte path agree, wherever a piece ends.
void VCardParseTest::piecesGiveTheSameCards_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("mixed") << QByteArray(
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=91=20=C3=91;x=\r\nyz;;;\r\n"
        "NOTE;ENCODING=QUOTED-PRINTABLE:a=3Db=\r\n\r\nTEL;WORK:12\r\n 34\r\nPHOTO;ENCODING=BASE64:SGVs\r\n bG8=\r\n"
        "END:VCARD\r\nBEGIN:VCARD\nVERSION:3.0\nNOTE:long plain value\r with CR\n  folded\nPHOTO;ENCODING=b:a:b\n"
        "TEL;TYPE=\"x;y\":1\nEND:VCARD");
    QTest::newRow("quoted-printable escapes") << QByteArray(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nNOTE;ENCODING=QUOTED-PRINTABLE:=41=4a=zz=4=\r\n=42 end==3D=\r\n\r\n"
        "ADR;ENCODING=QUOTED-PRINTABLE:;;1=20Main=20St;Lyon;;=C3=A9;=\r\nX\r\nEND:VCARD\r\n");
    // Lines that may be taken whole, and the near misses that must go the
    // byte-wise way: both give what small pieces give.
    QTest::newRow("whole lines and near misses") << QByteArray(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nTEL;TYPE=CELL,VOICE;X=a=b:1\r\nNOTE:\r\nNOTE:   lead\r\n"
        "NOTE:a\rb\r\nX-A;;B:1\r\nX-B;=c:2\r\nX-C;D=:3\r\nX-D;E=;F:4\r\nURL:http://x:80/\r\n"
        "N=Q;P:5\r\n:6\r\nNAME ONLY\r\nX-E;G=\"h;i\":7\r\nX-F;H=\\;:8\r\nX-G ;I=j:9\r\n"
        "EMAIL;ENCODING=8BIT:e\r\nNOTE;QUOTED-PRINTABLE:=41\r\nNOTE;ENCODING=B:QQ==\r\nX-H:10\r\n\r\n"
        " folded after a blank line\r\nX-I:11\r\n\tfolded\r\nbegin:vcard\r\nVERSION:2.1\r\nNOTE:a\r\n b\r\n"
        "END:VCARD\nBEGIN:VCARD\nNOTE:last line without line feed");
}

void VCardParseTest::piecesGiveTheSameCards()
{
    QFETCH(QByteArray, text);
    const QList<VCard> whole = parseVCardText(text);
    QVERIFY(!whole.isEmpty());
    for (qsizetype step = 1; step <= 9; ++step) {
        VCardStore store;
        VCardTokenizer tokenizer(&VCardStore::propertyBegins, &VCardStore::valueReady,
                                 &VCardStore::propertyDropped, &store);
        for (qsizetype at = 0; at < text.size(); at += step)
            tokenizer.feed(QByteArrayView(text).sliced(at, qMin(step, text.size() - at)));
        tokenizer.feed(QByteArrayView(), true);
        store.finish();
        QCOMPARE(store.cardCount(), whole.size());
        for (qsizetype i = 0; i < whole.size(); ++i)
            QCOMPARE(store.card(i), whole.at(i));
    }
}

void VCardParseTest::bufferReleasedAfterLargeValue()
{
    // A large value followed by small ones: the values stay apart.
    const QByteArray big(5000, 'x');
    const QList<VCard> cards = parseVCardText(card("NOTE:" + big + "\r\nTEL:1\r\n"));
    QCOMPARE(cards.size(), 1);
    QCOMPARE(cards.first().at(0).value, big);
    QCOMPARE(cards.first().at(1).value, QByteArray("1"));
}

void VCardParseTest::decodeText_data()
{
    QTest::addColumn<QByteArray>("charset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("UTF-8") << QByteArray("UTF-8") << QByteArray("Zo\xC3\xAB") << QStringLiteral("Zoë");
    QTest::newRow("utf-8 lower case") << QByteArray("utf-8") << QByteArray("\xC3\xAB") << QStringLiteral("ë");
    QTest::newRow("SHIFT_JIS") << QByteArray("SHIFT_JIS") << QByteArray("\x88\xc0\x93\xa1") << QStringLiteral("安藤");
    QTest::newRow("ISO-8859-1") << QByteArray("ISO-8859-1") << QByteArray("M\xFCller") << QStringLiteral("Müller");
    QTest::newRow("windows-1252") << QByteArray("windows-1252") << QByteArray("Do\xEB \x80")
                                  << QStringLiteral("Doë €");
    QTest::newRow("GB2312") << QByteArray("GB2312") << QByteArray("\xd6\xd0\xce\xc4") << QStringLiteral("中文");
    QTest::newRow("no charset: local 8-bit") << QByteArray() << QByteArray("\xC3\xA9") << QStringLiteral("é");
    QTest::newRow("unknown charset: local 8-bit") << QByteArray("X-NOPE") << QByteArray("\xC3\xA9")
                                                  << QStringLiteral("é");
    QTest::newRow("no charset, not UTF-8: windows-1252") << QByteArray() << QByteArray("M\xFCnchen")
                                                         << QStringLiteral("München");
}

void VCardParseTest::decodeText()
{
    QFETCH(QByteArray, charset);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    VCardProperty p("NOTE", bytes);
    if (!charset.isEmpty())
        p.setParam("CHARSET", charset);
    QCOMPARE(decodePropertyText(p), text);
    VCardProperty lower("NOTE", bytes);
    if (!charset.isEmpty())
        lower.setParam("charset", charset);
    QCOMPARE(decodePropertyText(lower), text);
}

void VCardParseTest::components_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("empty") << QString() << QStringList();
    QTest::newRow("two") << "a;b" << QStringList { "a", "b" };
    QTest::newRow("empty middle") << "a;;b" << QStringList { "a", "", "b" };
    QTest::newRow("trailing separator") << "a;b;" << QStringList { "a", "b" };
    QTest::newRow("two empty") << ";;" << QStringList { "", "" };
    QTest::newRow("escapes") << "a\\;b;c\\\\;\\n" << QStringList { "a;b", "c\\", "\n" };
    QTest::newRow("escaped comma and capital N") << "a\\,b\\Nc" << QStringList { "a,b\nc" };
    QTest::newRow("trailing backslash") << "a\\" << QStringList { "a" };
}

void VCardParseTest::components()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QCOMPARE(splitComponents(text), expected);
}

// ASCII values are unescaped and cut on their bytes: the same strings,
// null or empty alike, as decoding them first.
void VCardParseTest::asciiBytesReadAsDecodedText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("plain") << QByteArray("a;b");
    QTest::newRow("empty parts, no escapes") << QByteArray(";;a;;");
    QTest::newRow("empty parts with escapes") << QByteArray(";\\n;;a\\,b;;");
    QTest::newRow("escaped separator") << QByteArray("a\\;b;c");
    QTest::newRow("trailing backslash") << QByteArray("a;b\\");
    QTest::newRow("only a backslash last") << QByteArray("a;\\");
    QTest::newRow("backslash before separator") << QByteArray("a\\;");
    QTest::newRow("double backslash") << QByteArray("a\\\\;b");
    QTest::newRow("line breaks") << QByteArray("1 Main St\\nBuilding B;x\\Ny");
    QTest::newRow("address with all parts") << QByteArray("PO Box 1;Apt 2;3 Elm St\\, Rear;Lyon;;69001;France");
}

void VCardParseTest::asciiBytesReadAsDecodedText()
{
    QFETCH(QByteArray, bytes);
    const QString text = QString::fromLatin1(bytes);
    const QString unescaped = VCardContactBuilder::unescapedAscii(bytes);
    const QString expectedText = VCardContactBuilder::unescapeText(text);
    QCOMPARE(unescaped, expectedText);
    QCOMPARE(unescaped.isNull(), expectedText.isNull());

    const QStringList expected = splitComponents(text);
    for (const qsizetype skip : { 0, 2 }) {
        const QStringList components = VCardContactBuilder::asciiComponents(bytes, skip);
        QCOMPARE(components.size(), expected.size());
        for (qsizetype i = skip; i < expected.size(); ++i) {
            QCOMPARE(components.at(i), expected.at(i));
            QCOMPARE(components.at(i).isNull(), expected.at(i).isNull());
        }
    }
}

QTEST_GUILESS_MAIN(VCardParseTest)
#include "vcardparsetest.moc"
