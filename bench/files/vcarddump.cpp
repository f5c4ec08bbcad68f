// Every contact, entity and import report line VCardImport makes of the
// given vCard files, as plain text, so that two builds of the reader can be
// compared with diff. Photo and other byte values are shown by size and
// MD5 sum.
//
//   bench_vcarddump <file>...
#include "files/importreport.h"
#include "files/vcardimport.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QTextStream>

#include <exception>

namespace {

QString shown(const QVariant &value)
{
    if (value.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        return QStringLiteral("<%1 bytes md5 %2>")
            .arg(bytes.size())
            .arg(QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex()));
    }
    if (value.typeId() == QMetaType::QString && value.toString().isNull())
        return QStringLiteral("QString null");
    QString text = value.toString();
    text.replace(u'\\', QLatin1String("\\\\")).replace(u'\n', QLatin1String("\\n")).replace(u'\r', QLatin1String("\\r"));
    return QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(value.typeName()), text);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    for (const QString &path : app.arguments().mid(1)) {
        out << "== " << path << '\n';
        VCardImport reader;
        try {
            reader.open(path);
        } catch (const std::exception &e) {
            out << "open failed: " << e.what() << '\n';
            continue;
        }
        out << "count " << reader.count() << '\n';
        while (reader.hasNext()) {
            const Contact c = reader.next();
            out << "contact id=" << c._id << " src=" << c.srcId << " name=" << shown(c.fullName.isNull() ? QVariant() : QVariant(c.fullName)) << '\n';
            for (auto it = c.entities.cbegin(); it != c.entities.cend(); ++it) {
                out << "  kind " << it.key() << " (" << it.value().size() << ")\n";
                for (const Entity &e : it.value()) {
                    out << "    entity id=" << e._id << " src=" << e.srcId;
                    for (const int column : e.columns())
                        out << " data" << column << '=' << shown(e.value(column));
                    out << '\n';
                }
            }
        }
        reader.close();
        const ImportReport &report = reader.report();
        out << "report format=" << report.format() << " read=" << report.read() << '\n';
        for (const auto &[what, count] : report.notKeptItems())
            out << "  not kept " << what << ' ' << count << '\n';
        out << report.summaryLines().join(u'\n') << '\n' << report.detailsText() << '\n';
    }
    return 0;
}
