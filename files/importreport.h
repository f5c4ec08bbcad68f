#ifndef FILES_IMPORTREPORT_H
#define FILES_IMPORTREPORT_H

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// What one import did, for the user: how many contacts the file held and
// what became of them (imported, merged with a stored contact, skipped and
// why), what the reader could not keep, counted by vCard property or CSV
// column ("12 × ROLE"), and the rows it found malformed, by row number.
//
// The readers fill in what they read and what they left out; the import
// job adds what it stored. A plain value without widgets: the job shows its
// lines in its closing message.
class ImportReport
{
public:
    struct MalformedRow
    {
        qsizetype row;    // row of the file, the header being row 1
        qsizetype line;   // line of the file where the row starts
        QString what;     // translated description

        friend bool operator==(const MalformedRow &a, const MalformedRow &b)
        {
            return a.row == b.row && a.line == b.line && a.what == b.what;
        }
    };

    void clear();

    // How the reader took the file ("Google Contacts CSV, UTF-16LE, tab-separated").
    void setFormat(const QString &description) { m_format = description; }
    [[nodiscard]] const QString &format() const { return m_format; }

    void addRead(qsizetype count = 1) { m_read += count; }
    void addImported(qsizetype count = 1) { m_imported += count; }
    void addMerged(qsizetype count = 1) { m_merged += count; }
    // `reason` is a translated text ("without a name").
    void addSkipped(const QString &reason, qsizetype count = 1);
    // `what` is a property or column name, or a translated text ("extra photo").
    void addNotKept(const QString &what, qsizetype count = 1);
    void addMalformedRow(qsizetype row, qsizetype line, const QString &what);

    [[nodiscard]] qsizetype read() const { return m_read; }
    [[nodiscard]] qsizetype imported() const { return m_imported; }
    [[nodiscard]] qsizetype merged() const { return m_merged; }
    [[nodiscard]] qsizetype skipped() const;
    [[nodiscard]] qsizetype skipped(const QString &reason) const;
    // How often `what` was not kept; 0 when it always was.
    [[nodiscard]] qsizetype notKept(const QString &what) const;
    // Everything not kept, the most frequent first (ties by name).
    [[nodiscard]] QList<QPair<QString, qsizetype>> notKeptItems() const;
    [[nodiscard]] const QList<MalformedRow> &malformedRows() const { return m_malformed; }

    // The short lines for a closing message: counts, the skipped reasons,
    // what was not kept (the first few items) and how many rows were
    // malformed.
    [[nodiscard]] QStringList summaryLines() const;
    // Everything, one line per item, malformed rows with their numbers.
    [[nodiscard]] QString detailsText() const;
    // detailsText() when it says more than summaryLines(), else empty.
    [[nodiscard]] QString detailsBeyondSummary() const;

    // "12 × ROLE, 3 × X-SKYPE" for the given items.
    [[nodiscard]] static QString countList(const QList<QPair<QString, qsizetype>> &items);

private:
    // Adds to the item of that name; `index` finds it without a walk of
    // the list, which a file with many distinct column names would make
    // quadratic.
    static void add(QList<QPair<QString, qsizetype>> &items, QHash<QString, qsizetype> &index, const QString &what,
                    qsizetype count);

    QString m_format;
    qsizetype m_read = 0;
    qsizetype m_imported = 0;
    qsizetype m_merged = 0;
    QList<QPair<QString, qsizetype>> m_skipped;   // reason, count; in order of first use
    QList<QPair<QString, qsizetype>> m_notKept;   // name, count; in order of first use
    QHash<QString, qsizetype> m_skippedIndex;
    QHash<QString, qsizetype> m_notKeptIndex;
    QList<MalformedRow> m_malformed;
};

#endif
