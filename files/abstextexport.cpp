#include "files/abstextexport.h"

#include "contacts/labeltables.h"

#include <QHash>
#include <QSet>

#include <algorithm>

using namespace pim;

namespace {

void visitIfSet(const QString &name, const QString &value,
                const std::function<void(const QString &, const QString &)> &visit)
{
    if (!value.isEmpty())
        visit(name, value);
}

} // namespace

void AbsTextExport::forEachColumn(const Contact &contact,
                                  const std::function<void(const QString &, const QString &)> &visit)
{
    for (auto it = contact.entities.cbegin(); it != contact.entities.cend(); ++it) {
        const int kind = it.key();
        for (const Entity &e : it.value()) {
            switch (kind) {
            case ENTITY_NAME:
                visitIfSet(QStringLiteral("Prefix"), e.text(data5), visit);
                visitIfSet(QStringLiteral("First Name"), e.text(data2), visit);
                visitIfSet(QStringLiteral("Middle Name"), e.text(data4), visit);
                visitIfSet(QStringLiteral("Last Name"), e.text(data3), visit);
                visitIfSet(QStringLiteral("Suffix"), e.text(data6), visit);
                break;
            case ENTITY_NICKNAME:
                visit(QStringLiteral("Nickname"), e.text(data1));
                break;
            case ENTITY_GROUP_MEMBERSHIP:
                visit(QStringLiteral("Category"), e.text(data2));
                break;
            case ENTITY_ORGANIZATION:
                visitIfSet(QStringLiteral("Company"), e.text(data1), visit);
                visitIfSet(QStringLiteral("Department"), e.text(data5), visit);
                visitIfSet(QStringLiteral("Job Title"), e.text(data4), visit);
                break;
            case ENTITY_PHONE:
                visit(QStringLiteral("Tel:") + labelOf(phoneTypeLabels(), e.toInt(data2)), e.text(data1));
                break;
            case ENTITY_EMAIL:
                visit(QStringLiteral("Email:") + labelOf(emailTypeLabels(), e.toInt(data2)), e.text(data1));
                break;
            case ENTITY_EVENT:
                visit(QStringLiteral("Date:") + labelOf(eventTypeLabels(), e.toInt(data2)), e.text(data1));
                break;
            case ENTITY_IM:
                visit(QStringLiteral("IM:") + labelOf(imProtocolLabels(), e.toInt(data5)), e.text(data1));
                break;
            case ENTITY_RELATION:
                visit(QStringLiteral("Rel:") + labelOf(relationTypeLabels(), e.toInt(data2)), e.text(data1));
                break;
            case ENTITY_WEBSITE:
                visit(QStringLiteral("Url:") + labelOf(websiteTypeLabels(), e.toInt(data2)), e.text(data1));
                break;
            case ENTITY_POSTAL_ADDRESS: {
                const QString prefix = QStringLiteral("Addr:") + labelOf(addressTypeLabels(), e.toInt(data2));
                visitIfSet(prefix + QStringLiteral(":Street"), e.text(data4), visit);
                visitIfSet(prefix + QStringLiteral(":City"), e.text(data7), visit);
                visitIfSet(prefix + QStringLiteral(":State"), e.text(data8), visit);
                visitIfSet(prefix + QStringLiteral(":Postcode"), e.text(data9), visit);
                visitIfSet(prefix + QStringLiteral(":Country"), e.text(data10), visit);
                break;
            }
            case ENTITY_NOTE:
                visit(QStringLiteral("Notes"), e.text(data1));
                break;
            default:
                break;   // photos and unknown kinds have no column
            }
        }
    }
}

int AbsTextExport::columnRank(const QString &name)
{
    static const QHash<QString, int> fixed {
        { QStringLiteral("Prefix"), 10 },     { QStringLiteral("First Name"), 20 },
        { QStringLiteral("Middle Name"), 30 }, { QStringLiteral("Last Name"), 40 },
        { QStringLiteral("Suffix"), 50 },     { QStringLiteral("Nickname"), 51 },
        { QStringLiteral("Category"), 60 },   { QStringLiteral("Company"), 70 },
        { QStringLiteral("Department"), 80 }, { QStringLiteral("Job Title"), 90 },
        { QStringLiteral("Notes"), 800 },
    };
    const auto it = fixed.constFind(name);
    if (it != fixed.constEnd())
        return it.value();
    if (name.startsWith(QLatin1String("Tel:")))
        return 100;
    if (name.startsWith(QLatin1String("Email:")))
        return 200;
    if (name.startsWith(QLatin1String("Date:")))
        return 300;
    if (name.startsWith(QLatin1String("Addr:"))) {
        if (name.endsWith(QLatin1String(":Country")))
            return 401;
        if (name.endsWith(QLatin1String(":State")))
            return 402;
        if (name.endsWith(QLatin1String(":City")))
            return 403;
        if (name.endsWith(QLatin1String(":Street")))
            return 404;
        if (name.endsWith(QLatin1String(":Postcode")))
            return 405;
        return 1000;
    }
    if (name.startsWith(QLatin1String("IM:")))
        return 500;
    if (name.startsWith(QLatin1String("Rel:")))
        return 600;
    if (name.startsWith(QLatin1String("Url:")))
        return 700;
    return 1000;
}

QByteArray AbsTextExport::exportHeader(const QList<Contact> &contacts)
{
    QSet<QString> used;
    for (const Contact &contact : contacts)
        forEachColumn(contact, [&used](const QString &name, const QString &) { used.insert(name); });
    QStringList names(used.cbegin(), used.cend());
    // Equal ranks (two phone labels) fall back to name order, so the same
    // contacts always give the same columns.
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int ra = columnRank(a);
        const int rb = columnRank(b);
        return ra != rb ? ra < rb : a < b;
    });
    m_columns.clear();
    for (int i = 0; i < names.size(); ++i)
        m_columns.insert(names.at(i), i);
    return formatHeaderLine(names);
}

QByteArray AbsTextExport::exportContact(const Contact &contact)
{
    QList<QString> values(m_columns.size());
    forEachColumn(contact, [this, &values](const QString &name, const QString &value) {
        const auto it = m_columns.constFind(name);
        if (it != m_columns.constEnd())
            values[it.value()] = value;
    });
    return formatRecord(values.constData(), values.size());
}

QByteArray AbsTextExport::exportFooter()
{
    return QByteArray();
}
