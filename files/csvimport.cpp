#include "files/csvimport.h"

#include "contacts/contactformat.h"
#include "files/asciicase.h"
#include "files/csvtextdecoder.h"
#include "files/eventdate.h"

#include <QCoreApplication>
#include <QFile>
#include <QVarLengthArray>

#include <algorithm>
#include <cstring>
#include <stdexcept>

using namespace pim;
using Role = CSVColumnMap::Role;
using Field = CSVRowParser::Field;

namespace {

QString tr(const char *key)
{
    return QCoreApplication::translate("ImportReport", key);
}

// A value of only white space and line breaks holds nothing.
inline bool isBlank(QStringView value)
{
    if (value.isEmpty())
        return true;
    // Most values start with a letter or digit: one look settles them.
    const char16_t first = value.front().unicode();
    if (first > u' ' && first < 0x7F)
        return false;
    return value.trimmed().isEmpty();
}

// The same on a field's UTF-8 bytes.
bool isBlank(QByteArrayView value)
{
    for (const char c : value) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return isBlank(QString::fromUtf8(value));   // other spaces than ASCII ones
        if (c != ' ' && (c < '\t' || c > '\r'))
            return false;
    }
    return true;
}

// Values Outlook writes into every row for "nothing set"; a column holding
// only these (or nothing but white space) has lost nothing.
constexpr const char *placeholders[] = { "Normal", "False", "Unspecified", "0/0/00",
                                          "0.0.00", "Keine Angabe", "Aus", "Nicht angegeben" };

bool isPlaceholder(const QString &value)
{
    return isBlank(value) || std::any_of(std::begin(placeholders), std::end(placeholders), [&value](const char *p) {
               return value == QLatin1String(p);
           });
}

// The same on a field's UTF-8 bytes.
bool isPlaceholder(QByteArrayView value)
{
    return isBlank(value) || std::any_of(std::begin(placeholders), std::end(placeholders), [value](const char *p) {
               return value == QByteArrayView(p);
           });
}

QString separatorName(char separator)
{
    switch (separator) {
    case ';': return tr("IDS_CSV_SEPARATOR_SEMICOLON");
    case '\t': return tr("IDS_CSV_SEPARATOR_TAB");
    default: return tr("IDS_CSV_SEPARATOR_COMMA");
    }
}

constexpr qint64 chunkSize = 256 * 1024;

// Where the header starts after a first line "sep=X" (any letter case,
// X a comma, semicolon or tab), or 0 when the file has no such line.
qsizetype declaredSeparatorLine(QByteArrayView text)
{
    if (text.size() < 6 || !asciicase::equals(text.first(4), "sep="))
        return 0;
    const char separator = text.at(4);
    if (separator != ',' && separator != ';' && separator != '\t')
        return 0;
    qsizetype at = 5;
    if (at < text.size() && text.at(at) == '\r')
        ++at;
    return at < text.size() && text.at(at) == '\n' ? at + 1 : 0;
}

// Drops the spaces that follow the separator before each field but the
// first.
void skipSpacesAfterSeparators(QByteArrayView text, std::vector<Field> &fields)
{
    for (size_t i = 1; i < fields.size(); ++i) {
        Field &f = fields[i];
        while (f.start < f.end && text.at(f.start) == ' ')
            ++f.start;
    }
}

// Whether the rows end in a carriage return alone, as the files of classic
// Mac programs and Excel's "CSV (Macintosh)" do: the end of the header row
// (the first line end outside quotes) tells.
bool endsRowsWithCarriageReturns(QByteArrayView text)
{
    bool inQuotes = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c == '"') {
            inQuotes = !inQuotes;
        } else if (!inQuotes) {
            if (c == '\n')
                return false;
            if (c == '\r') {
                while (i < text.size() && text.at(i) == '\r')
                    ++i;   // CR CR LF is a line feed's line end too
                return i == text.size() || text.at(i) != '\n';
            }
        }
    }
    return false;
}

// Every carriage return that no line feed follows becomes a line feed: the
// rows end where the file's lines end, and a line break inside a quoted
// field stays one.
void carriageReturnsToLineFeeds(QByteArray &text)
{
    char *const p = text.data();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] == '\r' && (i + 1 == n || p[i + 1] != '\n'))
            p[i] = '\n';
    }
}

} // namespace

// What a row gives one group before it becomes an entity.
struct CSVImport::Pending
{
    Entity entity;   // the values of the group's columns
    bool hasValues = false;
    int room = 3;   // columns an entity of the group can take
    // What the type label and the service column read as.
    bool hasType = false;
    int typeCode = 0;
    QString typeLabel;
    bool hasService = false;
    int protocol = 0;
    QString customProtocol;
    // The formatted address, read only when the group has no parts.
    Field formatted { 0, 0, Field::Plain };
    qsizetype dateColumn = -1;   // the column an event's date came from
    bool touched = false;   // the row gave the group a value: it makes an entity
    bool listed = false;    // in the list of groups reset before the next row

    void reset()
    {
        entity.clearValues();
        hasValues = false;
        hasType = false;
        typeLabel.clear();
        hasService = false;
        customProtocol.clear();
        formatted = Field { 0, 0, Field::Plain };
        dateColumn = -1;
        touched = false;
        listed = false;
    }
};

namespace {

// The entry a new key takes in a short remembered list: a new one while
// the list is below `limit`, then the oldest in turn.
template<typename Entry>
Entry &nextSlot(std::vector<Entry> &entries, size_t &replace, size_t limit)
{
    if (entries.size() < limit)
        return entries.emplace_back();
    Entry &slot = entries[replace];
    replace = (replace + 1) % limit;
    return slot;
}

} // namespace

template<typename Value, typename Fill>
const Value &CSVImport::memoized(Memo<Value> &memo, QByteArrayView key, Fill fill)
{
    constexpr size_t limit = 32;
    for (const auto &entry : memo.entries) {
        if (entry.first == key)
            return entry.second;
    }
    auto &entry = nextSlot(memo.entries, memo.replace, limit);
    entry.first = key.toByteArray();
    entry.second = Value();
    fill(entry.second, QString::fromUtf8(key));
    return entry.second;
}

QString CSVImport::columnValue(qsizetype column, QByteArrayView text, const Field &field)
{
    ValueMemo &memo = m_valueMemo[size_t(column)];
    if (memo.off)
        return CSVRowParser::value(text, field);
    QByteArrayView bytes = text.sliced(field.start, field.end - field.start);
    if (field.form != Field::Plain) {
        CSVRowParser::bytes(text, field, m_scratch);
        bytes = m_scratch;
    }
    ++memo.lookups;
    for (const auto &entry : memo.entries) {
        if (entry.first.size() == bytes.size() && std::memcmp(entry.first.constData(), bytes.data(), size_t(bytes.size())) == 0) {
            ++memo.hits;
            return entry.second;
        }
    }
    // Checked after a while: a column of mostly new values (names,
    // numbers, addresses) is no longer compared.
    constexpr quint32 trial = 64;
    if (memo.lookups == trial && memo.hits * 4 < trial) {
        memo.off = true;
        memo.entries = {};
        return CSVRowParser::decode(bytes);
    }
    auto &entry = nextSlot(memo.entries, memo.replace, 8);
    // The key's block is kept for the next text of about its size.
    entry.first.resize(bytes.size());
    std::memcpy(entry.first.data(), bytes.data(), size_t(bytes.size()));
    entry.second = CSVRowParser::decode(bytes);
    return entry.second;
}

bool CSVImport::readDates(qsizetype column, Entity &event, QStringList &pieces)
{
    const auto dateOf = [this, column](const QString &written) {
        const QString date = EventDate::fromText(written);
        if (date.isEmpty() && !isPlaceholder(written) && column >= 0)
            m_report.addNotKept(columnName(column));
        return date;
    };
    if (pieces.isEmpty()) {
        const QString date = dateOf(event.text(data1));
        if (date.isEmpty())
            return false;
        event.setText(data1, date);
        return true;
    }
    QStringList dates;
    for (const QString &piece : std::as_const(pieces)) {
        if (QString date = dateOf(piece); !date.isEmpty())
            dates.append(std::move(date));
    }
    pieces = std::move(dates);
    return !pieces.isEmpty();
}

QList<Entity> CSVImport::membershipsOf(const QStringList &labels)
{
    for (const auto &entry : m_membershipMemo) {
        if (entry.first == labels)
            return entry.second;
    }
    auto &entry = nextSlot(m_membershipMemo, m_membershipReplace, 8);
    entry.first = labels;
    entry.second.clear();
    entry.second.reserve(labels.size());
    for (const QString &name : labels)
        addGroupMembership(entry.second, name);
    return entry.second;
}

CSVImport::CSVImport() = default;
CSVImport::CSVImport(CSVImport &&other) noexcept = default;
CSVImport &CSVImport::operator=(CSVImport &&other) noexcept = default;
CSVImport::~CSVImport() = default;

void CSVImport::open(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(file.errorString().toStdString());
    openDevice(file);
    file.close();
}

void CSVImport::openDevice(QIODevice &device)
{
    m_report.clear();
    m_text = QByteArray();
    m_header.clear();
    m_rowStarts.clear();
    m_rowMalformed.clear();
    m_cursor = 0;
    // What the last file's columns read as means nothing for this one.
    m_pending.clear();
    m_touched.clear();
    m_membershipMemo.clear();
    m_membershipReplace = 0;
    m_valueMemo.clear();
    m_typeMemo.clear();
    m_serviceMemo = {};
    m_labelsMemo = {};

    // A file of known size is read into one block of its size; the text
    // is the reader's main memory.
    const bool sized = !device.isSequential() && device.size() > 0;
    if (sized)
        m_text.reserve(qsizetype(device.size() - device.pos()));
    for (;;) {
        if (sized && device.atEnd())
            break;
        const qsizetype at = m_text.size();
        const qsizetype room = m_text.capacity() - at;
        const qsizetype want = room > 0 ? room : chunkSize;
        m_text.resize(at + want);
        const qint64 n = device.read(m_text.data() + at, want);
        if (n < 0) {
            m_text.resize(at);
            const QString error = device.errorString();
            qWarning("utf8CSVRow::error:%s", qPrintable(error));
            throw std::runtime_error(error.toStdString());
        }
        m_text.resize(at + qsizetype(n));
        if (n == 0)
            break;
    }
    const CSVTextDecoder::Encoding encoding = CSVTextDecoder::toUtf8(m_text);
    if (endsRowsWithCarriageReturns(m_text))
        carriageReturnsToLineFeeds(m_text);
    scan();
    m_report.setFormat(tr("IDS_CSV_FORMAT_%1_%2_%3")
                           .arg(CSVColumnMap::dialectName(dialect()), CSVTextDecoder::name(encoding),
                                separatorName(m_separator)));
}

// Finds the header and the start of every data row.
void CSVImport::scan()
{
    const QByteArrayView text(m_text);
    m_spaceAfterSeparator = false;
    // Excel can put a line "sep=;" before the header to name the separator.
    qsizetype headerAt = 0;
    qsizetype headerLine = 1;
    if (const qsizetype next = declaredSeparatorLine(text); next > 0) {
        m_separator = text.at(4);
        headerAt = next;
        headerLine = 2;
    } else {
        m_separator = CSVRowParser::detectSeparator(text);
    }
    const auto hasText = [&text](qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to; ++i) {
            if (text.at(i) != '\r')
                return true;
        }
        return false;
    };
    const QString unbalanced = tr("IDS_IMPORT_MALFORMED_UNBALANCED_QUOTE");

    std::vector<Field> fields;
    CSVRowParser::Row row = CSVRowParser::readRow(text, headerAt, m_separator, &fields);
    if (row.malformed) {
        m_report.addMalformedRow(1, headerLine, unbalanced);
        fields.clear();
        row = CSVRowParser::readLine(text, headerAt, m_separator, &fields);
    }
    // A file that ends without a line feed still has its last row: only
    // nothing at all (or a lone empty field) after the last line feed is
    // no row.
    if (!row.complete && !(row.fields > 1 || hasText(headerAt, text.size()))) {
        m_map = std::make_unique<CSVColumnMap>(m_header);
        return;
    }
    // Written by hand or by some tools: "First Name, Last Name".
    m_spaceAfterSeparator = fields.size() > 1 && std::all_of(fields.cbegin() + 1, fields.cend(), [&text](const Field &f) {
        return f.end > f.start && text.at(f.start) == ' ';
    });
    if (m_spaceAfterSeparator)
        skipSpacesAfterSeparators(text, fields);
    // Spaces around a column's name are no part of it.
    for (const Field &f : fields)
        m_header.append(CSVRowParser::value(text, f).trimmed());
    m_map = std::make_unique<CSVColumnMap>(m_header);

    const qsizetype columns = m_header.size();
    qsizetype at = row.next;
    qsizetype line = headerLine + row.lineFeeds;
    // Most rows hold no quote: for them the next line feed is the end, and
    // the next quote is looked up once for many rows.
    const char *const begin = text.data();
    qsizetype nextQuote = -1;
    for (qsizetype number = 2; at < text.size(); ++number) {
        if (nextQuote < at) {
            const void *q = std::memchr(begin + at, '"', size_t(text.size() - at));
            nextQuote = q ? static_cast<const char *>(q) - begin : text.size();
        }
        const void *lf = std::memchr(begin + at, '\n', size_t(text.size() - at));
        const qsizetype lineEnd = lf ? static_cast<const char *>(lf) - begin : text.size();
        if (lineEnd < nextQuote) {
            row = CSVRowParser::Row();
            row.complete = lf != nullptr;
            row.next = row.complete ? lineEnd + 1 : text.size();
            row.lineFeeds = row.complete ? 1 : 0;
            row.fields = std::memchr(begin + at, m_separator, size_t(lineEnd - at)) ? 2 : 1;
        } else {
            row = CSVRowParser::skipRow(text, at, m_separator);
        }
        bool malformed = row.malformed || (row.multiLine && row.fields > columns);
        if (malformed) {
            m_report.addMalformedRow(number, line, unbalanced);
            row = CSVRowParser::readLine(text, at, m_separator, nullptr);
        }
        if (row.complete || row.fields > 1 || hasText(at, row.next)) {
            m_rowStarts.push_back(at);
            m_rowMalformed.push_back(malformed ? 1 : 0);
        }
        at = row.next;
        line += row.lineFeeds;
    }
}

CSVColumnMap::Dialect CSVImport::dialect() const
{
    return m_map ? m_map->dialect() : CSVColumnMap::Dialect::Plain;
}

qsizetype CSVImport::count() const
{
    return qsizetype(m_rowStarts.size());
}

bool CSVImport::hasNext() const
{
    return m_cursor < count();
}

void CSVImport::readFields(qsizetype row, std::vector<Field> &fields) const
{
    fields.clear();
    const qsizetype at = m_rowStarts[size_t(row)];
    if (m_rowMalformed[size_t(row)])
        CSVRowParser::readLine(m_text, at, m_separator, &fields);
    else
        CSVRowParser::readRow(m_text, at, m_separator, &fields);
    if (m_spaceAfterSeparator)
        skipSpacesAfterSeparators(m_text, fields);
}

QStringList CSVImport::row(qsizetype index) const
{
    QStringList values;
    if (index < 0 || index >= count())
        return values;
    std::vector<Field> fields;
    readFields(index, fields);
    values.reserve(qsizetype(fields.size()));
    for (const Field &f : fields)
        values.append(CSVRowParser::value(m_text, f));
    return values;
}

QString CSVImport::columnName(qsizetype column) const
{
    const QString &name = m_header.at(column);
    return name.isEmpty() ? tr("IDS_IMPORT_COLUMN_%1").arg(column + 1) : name;
}

Contact CSVImport::next()
{
    Contact contact;
    if (!hasNext())
        return contact;
    const qsizetype rowIndex = m_cursor++;
    m_report.addRead();
    readFields(rowIndex, m_fields);

    const std::vector<CSVColumnMap::Column> &columns = m_map->columns();
    const std::vector<CSVColumnMap::Group> &groups = m_map->groups();
    if (m_pending.size() != groups.size()) {
        m_pending.resize(groups.size());
        for (const CSVColumnMap::Column &column : columns) {
            if (column.role == Role::Value)
                ++m_pending[size_t(column.group)].room;
        }
        m_typeMemo.resize(groups.size());
    }
    if (m_valueMemo.size() != columns.size())
        m_valueMemo.resize(columns.size());
    for (const int g : m_touched)
        m_pending[size_t(g)].reset();
    m_touched.clear();

    // A group the row gives anything (a value, or only a type label or a
    // service) is reset before the next row: what one row says of a group
    // never reaches the next one.
    const auto listForReset = [this](Pending *p, int group) {
        if (!p->listed) {
            p->listed = true;
            m_touched.push_back(group);
        }
    };
    const auto touch = [&listForReset](Pending *p, int group) {
        if (!p->touched) {
            p->touched = true;
            listForReset(p, group);
            p->entity.reserve(p->room);
        }
    };

    QStringList &labels = m_labels;
    labels.clear();
    QString displayName;
    qsizetype displayColumn = -1;
    int birth[3] = { -1, -1, -1 };   // year, month, day
    const QByteArrayView text(m_text);
    const qsizetype n = qMin(qsizetype(m_fields.size()), qsizetype(columns.size()));
    for (qsizetype i = 0; i < n; ++i) {
        const Field &field = m_fields[size_t(i)];
        if (CSVRowParser::isEmpty(field))
            continue;
        const CSVColumnMap::Column &column = columns[size_t(i)];
        if (column.role == Role::Ignored)
            continue;
        Pending *p = column.group >= 0 ? &m_pending[size_t(column.group)] : nullptr;
        if (column.role == Role::Type || column.role == Role::Service || column.role == Role::Labels
            || column.role == Role::NotKept) {
            // These are looked up or checked by their bytes: rows repeat
            // them, and no text needs to be made for them.
            QByteArrayView bytes = text.sliced(field.start, field.end - field.start);
            if (field.form != Field::Plain) {
                CSVRowParser::bytes(text, field, m_scratch);
                bytes = m_scratch;
                if (bytes.isEmpty())
                    continue;
            }
            switch (column.role) {
            case Role::Type: {
                const CSVColumnMap::Group &group = groups[size_t(column.group)];
                const TypeMemo &memo = memoized(m_typeMemo[size_t(column.group)], bytes, [&group](TypeMemo &m, const QString &label) {
                    m.code = CSVColumnMap::typeCode(group.kind, label, group.kind == ENTITY_IM ? 1 : group.type, &m.label);
                });
                listForReset(p, column.group);
                p->hasType = true;
                p->typeCode = memo.code;
                p->typeLabel = memo.label;
                break;
            }
            case Role::Service: {
                const TypeMemo &memo = memoized(m_serviceMemo, bytes, [](TypeMemo &m, const QString &service) {
                    m.code = CSVColumnMap::imProtocol(service, &m.label);
                });
                listForReset(p, column.group);
                p->hasService = true;
                p->protocol = memo.code;
                p->customProtocol = memo.label;
                break;
            }
            case Role::Labels: {
                const QStringList &names = memoized(m_labelsMemo, bytes, [](QStringList &found, const QString &value) {
                    found = CSVColumnMap::groupNames(value);
                });
                for (const QString &name : names) {
                    if (!labels.contains(name))
                        labels.append(name);
                }
                break;
            }
            default:
                if (!isPlaceholder(bytes))
                    m_report.addNotKept(columnName(i));
                break;
            }
            continue;
        }
        if (column.role == Role::FormattedAddress) {
            // Address books that write it also write the parts, mostly:
            // the text is made when it is needed.
            if (field.form != Field::Plain)
                CSVRowParser::bytes(text, field, m_scratch);
            if (isBlank(field.form == Field::Plain ? text.sliced(field.start, field.end - field.start)
                                                   : QByteArrayView(m_scratch)))
                continue;
            touch(p, column.group);
            p->formatted = field;
            continue;
        }
        const QString value = column.role == Role::Value ? columnValue(i, text, field) : CSVRowParser::value(text, field);
        if (isBlank(value))
            continue;   // "  ", or German Outlook's note of one CR LF
        if (p && column.role == Role::Value)
            touch(p, column.group);
        switch (column.role) {
        case Role::Value: {
            // Spaces around a part of a name would show in the full name
            // and keep it from matching the same name stored before.
            const QString &kept = groups[size_t(column.group)].kind == ENTITY_NAME ? value.trimmed() : value;
            // Columns that share an entity column (Outlook's "Street 2",
            // "Street 3") are joined by a space.
            const QVariant *before = p->entity.find(column.entityColumn);
            if (!before)
                p->entity.setText(column.entityColumn, kept);
            else
                p->entity.setText(column.entityColumn, before->toString() + u' ' + kept);
            p->hasValues = true;
            if (groups[size_t(column.group)].kind == ENTITY_EVENT)
                p->dateColumn = i;
            break;
        }
        case Role::BirthYear:
        case Role::BirthMonth:
        case Role::BirthDay: {
            bool ok = false;
            const int number = value.trimmed().toInt(&ok);
            if (ok)
                birth[column.role == Role::BirthYear ? 0 : column.role == Role::BirthMonth ? 1 : 2] = number;
            else
                m_report.addNotKept(columnName(i));
            break;
        }
        case Role::DisplayName:
            if (displayName.isEmpty()) {
                displayName = value.trimmed();
                displayColumn = i;
            }
            break;
        default:
            break;
        }
    }
    for (qsizetype i = n; i < qsizetype(m_fields.size()); ++i) {
        if (!CSVRowParser::isEmpty(m_fields[size_t(i)])) {
            m_report.addNotKept(tr("IDS_IMPORT_NOT_KEPT_EXTRA_FIELDS"));
            break;
        }
    }

    // The groups come by kind: the list of a kind is looked up once, when
    // its first entity is there, with room for the rest of its groups.
    const std::vector<int> &order = m_map->groupOrder();
    QList<Entity> *list = nullptr;
    int listKind = -1;
    QStringList pieces;   // of a field that holds several values
    for (size_t at = 0; at < order.size(); ++at) {
        const int g = order[at];
        Pending &p = m_pending[size_t(g)];
        if (!p.touched)
            continue;
        const CSVColumnMap::Group &group = groups[size_t(g)];
        Entity e = std::move(p.entity);

        // Only kinds that may hold several values in one field look at the text.
        pieces.clear();
        if (group.multiValue) {
            const QString first = e.text(data1);
            if (first.contains(u':') && first.contains(QLatin1String(" ::: "))) {
                // Google puts several numbers (or dates) of one type into one field.
                for (const QString &piece : first.split(QLatin1String(" ::: "))) {
                    const QString value = piece.trimmed();
                    if (!value.isEmpty())
                        pieces.append(value);
                }
                if (pieces.isEmpty())
                    continue;
            }
        }

        switch (group.kind) {
        case ENTITY_NAME:
            contact.fullName = formatPersonName(e);
            e.setText(data1, contact.fullName);
            break;
        case ENTITY_POSTAL_ADDRESS:
            if (!p.hasValues)
                e.setText(data4, CSVRowParser::value(m_text, p.formatted));
            e.setText(data1, formatPostalAddress(e));
            break;
        case ENTITY_EVENT:
            if (!readDates(p.dateColumn, e, pieces))
                continue;
            break;
        default:
            break;
        }

        if (group.kind == ENTITY_IM) {
            int protocol = group.type;
            if (group.typeColumn != data5) {
                protocol = p.hasService ? p.protocol : 0;
                if (!p.customProtocol.isEmpty())
                    e.setText(data6, p.customProtocol);
            }
            if (protocol)
                e.setValue(data5, protocol);
            if (group.imType >= 0) {
                e.setValue(data2, group.imType);
            } else {
                e.setValue(data2, p.hasType ? p.typeCode : 1);
                if (!p.typeLabel.isEmpty())
                    e.setText(data3, p.typeLabel);
            }
        } else if (group.typeColumn) {
            if (!p.hasType) {
                if (group.type != 0)
                    e.setValue(group.typeColumn, group.type);
            } else {
                if (p.typeCode != 0)
                    e.setValue(group.typeColumn, p.typeCode);
                if (!p.typeLabel.isEmpty())
                    e.setText(data3, p.typeLabel);
            }
        }

        if (listKind != group.kind) {
            listKind = group.kind;
            // The kinds come in ascending order, each once: the list goes
            // at the end of the map.
            list = &contact.entities.insert(contact.entities.cend(), group.kind, QList<Entity>()).value();
            qsizetype coming = 0;
            for (size_t next = at; next < order.size() && groups[size_t(order[next])].kind == group.kind; ++next)
                coming += m_pending[size_t(order[next])].touched ? 1 : 0;
            list->reserve(list->size() + coming);
        }
        if (pieces.isEmpty()) {
            list->append(std::move(e));
        } else {
            for (const QString &piece : std::as_const(pieces)) {
                Entity copy = e;
                copy.setText(data1, piece);
                list->append(std::move(copy));
            }
        }
    }

    if (!labels.isEmpty()) {
        QList<Entity> &memberships = contact.entities[ENTITY_GROUP_MEMBERSHIP];
        if (memberships.isEmpty()) {
            memberships = membershipsOf(labels);
        } else {
            for (const QString &name : std::as_const(labels))
                addGroupMembership(memberships, name);
        }
    }
    if (birth[0] >= 0 || birth[1] >= 0 || birth[2] >= 0) {
        // A year alone is no day to keep: it is reported with the rest.
        const QString date = EventDate::fromParts(birth[0], birth[1], birth[2]);
        if (date.isEmpty()) {
            m_report.addNotKept(tr("IDS_IMPORT_NOT_KEPT_BIRTHDAY"));
        } else {
            Entity birthday;
            birthday.setText(data1, date);
            birthday.setValue(data2, 3);
            contact.entities[ENTITY_EVENT].append(std::move(birthday));
        }
    }
    if (!displayName.isEmpty()) {
        if (contact.fullName.isEmpty()) {
            // Only a display name: it becomes the given name, as a vCard
            // with FN and no N does.
            QList<Entity> &names = contact.entities[ENTITY_NAME];
            if (names.isEmpty())
                names.append(Entity());
            Entity &name = names.first();
            name.setText(data2, displayName);
            contact.fullName = formatPersonName(name);
            name.setText(data1, contact.fullName);
        } else if (displayName != contact.fullName) {
            m_report.addNotKept(columnName(displayColumn));
        }
    }
    return contact;
}

void CSVImport::close()
{
}
