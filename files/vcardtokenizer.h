#ifndef FILES_VCARDTOKENIZER_H
#define FILES_VCARDTOKENIZER_H

#include <QByteArrayView>
#include <QVarLengthArray>

#include <string>
#include <vector>

// Cuts vCard text into properties, byte by byte, and hands each one to a
// receiver: first its name and parameters, then (at the end of its line)
// its value after transfer decoding (quoted-printable, base64). Text can be
// fed in pieces of any size.
//
// Lines. Blank lines vanish. A line that starts with white space continues
// the previous one (a fold); in a card that declared VERSION:2.1 the fold
// reads as one space, as vCard 2.1 folds at white space, elsewhere it reads
// as nothing, so vCard 3.0 folds that split a word or a UTF-8 sequence join
// up again. In a quoted-printable value a "=" that ends a line is a soft
// line break: the value goes on with the next line, whatever that line
// starts with, until a blank line.
//
// A syntax error (":" right after ";", an empty parameter value, broken
// base64) drops the property it is in: the rest of its line is skipped, a
// property that had already begun is withdrawn, and reading goes on with
// the next line. One broken photo costs the photo, not the rest of the file.
class VCardTokenizer
{
public:
    enum class State { Name, ParamNameStart, ParamName, ParamValueStart, ParamValue, Value, SkipLine };
    enum class Encoding { None, QuotedPrintable, Base64, EightBit };

    // A parameter as written; `value` is null for a parameter without "=".
    struct Parameter
    {
        QByteArrayView name;
        QByteArrayView value;
    };
    // The views point into the tokenizer and are valid during the call only.
    using PropertyBegins = void (*)(void *user, QByteArrayView name, const Parameter *params, qsizetype count);
    using ValueReady = void (*)(void *user, QByteArrayView value);
    // The property that began last is broken and withdrawn.
    using PropertyDropped = void (*)(void *user);

    VCardTokenizer(PropertyBegins begins, ValueReady value, PropertyDropped dropped, void *user);

    // Feeds the next piece of text; `endOfInput` ends the last line.
    void feed(QByteArrayView bytes, bool endOfInput = false);
    // Syntax errors met so far.
    [[nodiscard]] int errorCount() const { return m_errors; }

private:
    struct ParamEntry
    {
        qsizetype nameStart;
        qsizetype nameEnd;
        qsizetype valueStart;   // -1: written without "="
        qsizetype valueEnd;
    };

    void lineFeed();
    void lineStart(char c);
    [[nodiscard]] const char *wholeLine(const char *p, const char *end);
    void finish();
    const char *putValueRun(const char *p, const char *end);
    void put(char c);
    void putValue(char c);
    void putQuotedPrintable(char c);
    void decodeQuotedPrintable(char c);
    void flushQuotedPrintableEscape();
    void putBase64(char c);
    bool decodeBase64Quartet();
    void beginProperty();
    void endProperty();
    void reset();
    void syntaxError();
    [[nodiscard]] bool softBreakPending() const
    {
        return m_state == State::Value && m_encoding == Encoding::QuotedPrintable && m_qpSoftBreak;
    }

    PropertyBegins m_begins;
    ValueReady m_valueReady;
    PropertyDropped m_dropped;
    void *m_user;

    // Name, then parameter names and values, then the value.
    std::string m_buffer;
    qsizetype m_nameEnd = 0;
    qsizetype m_valueStart = 0;
    std::vector<ParamEntry> m_params;   // cleared per property, keeps its room

    State m_state = State::Name;
    Encoding m_encoding = Encoding::None;
    int m_errors = 0;

    // Line handling.
    bool m_atLineStart = false;
    bool m_continuation = false;
    bool m_foldKeepsSpace = false;   // the current card is vCard 2.1

    // Parameter values.
    bool m_escape = false;      // a backslash is pending
    bool m_inQuotes = false;    // inside "..."

    // Value decoding.
    bool m_valueStarted = false;   // leading white space is behind us
    bool m_qpEscape = false;       // "=" seen, hex digits follow
    bool m_qpSoftBreak = false;    // "=" seen that may end the line
    char m_scratch[4] = {};        // hex pair or base64 quartet
    int m_scratchCount = 0;
};

#endif
