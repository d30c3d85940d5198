#include "site/TomlGuard.h"

#include <QChar>
#include <vector>

namespace {

constexpr char32_t End = 0xFFFFFFFF;
constexpr int DeepestValue = 256; // the reader's own limit of nested values

struct CodePoint
{
    char32_t value;
    int line;
    int column;
};

// The text as the reader decodes it, up to the first byte it refuses (it
// reads nothing after that); a leading byte order mark is skipped.
std::vector<CodePoint> decode(std::string_view text)
{
    std::vector<CodePoint> points;
    size_t i = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    int line = 1, column = 1;
    while (i < text.size()) {
        const auto byte = [&](size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u; };
        const unsigned lead = byte(i);
        size_t length = 1;
        char32_t value = lead;
        unsigned low = 0x80, high = 0xBF; // the second byte's range: no overlong form, no surrogate, nothing past U+10FFFF
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            value = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            value = lead & 0x0F;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            value = lead & 0x07;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else if (lead >= 0x80) {
            break;
        }
        for (size_t k = 1; k < length; ++k) {
            const unsigned next = byte(i + k);
            if (next < (k == 1 ? low : 0x80u) || next > (k == 1 ? high : 0xBFu))
                return points;
            value = (value << 6) | (next & 0x3F);
        }
        points.push_back({value, line, column});
        i += length;
        if (value == U'\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return points;
}

bool isBlank(char32_t c)
{
    return c == U' ' || c == U'\t';
}

bool isDigit(char32_t c)
{
    return c >= U'0' && c <= U'9';
}

bool isBareKey(char32_t c)
{
    return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') || isDigit(c) || c == U'-' || c == U'_';
}

bool isQuote(char32_t c)
{
    return c == U'"' || c == U'\'';
}

bool isControl(char32_t c)
{
    return (c < 0x20 && c != U'\t') || c == 0x7F;
}

// What ends a bare value; non-ASCII characters are refused before this is asked.
bool endsValue(char32_t c)
{
    return isBlank(c) || (c >= U'\n' && c <= U'\r') || c == U']' || c == U'}' || c == U',' || c == U'#';
}

// The characters the reader's table of non-ASCII blanks has no entry for.
bool unclassified(char32_t c)
{
    return (c >= 0xA1 && c <= 0x499) || (c >= 0x2C5E && c <= 0x3057 && c != 0x3000) || (c >= 0xFB26 && c <= 0xFEFE);
}

// The blanks the reader skips while it drops those after a backslash that ends a line.
bool isReaderBlank(char32_t c)
{
    return isBlank(c) || c == 0xA0 || c == 0x1680 || c == 0x180E || (c >= 0x2000 && c <= 0x200B) || c == 0x202F || c == 0x205F ||
           c == 0x2060 || c == 0x3000 || c == 0xFEFF;
}

bool isEscape(char32_t c)
{
    return std::u32string_view(U"btnfr\"\\uU").find(c) != std::u32string_view::npos;
}

QString codeOf(char32_t c)
{
    return QString::number(uint(c), 16).toUpper().rightJustified(4, u'0');
}

QString shown(char32_t c)
{
    if (QChar::isPrint(c) && !QChar::isSpace(c))
        return u'\'' + QString::fromUcs4(&c, 1) + u'\'';
    return QStringLiteral("U+") + codeOf(c);
}

// Walks the text as the reader parses it. Each step returns false to end
// the walk: at a trap, or where the reader refuses the text itself, which
// it then reports in its own words.
class Walker
{
public:
    explicit Walker(std::vector<CodePoint> points) : m_points(std::move(points)) { }

    std::optional<TomlTrap> run()
    {
        document();
        return m_trap;
    }

private:
    bool more() const { return m_at < m_points.size(); }
    char32_t c(size_t ahead = 0) const { return m_at + ahead < m_points.size() ? m_points[m_at + ahead].value : End; }

    bool trap(const QString &message)
    {
        const CodePoint &p = m_points[m_at];
        m_trap = TomlTrap{p.line, p.column, message};
        return false;
    }

    // Every character outside quotes is asked whether it is a blank.
    bool plain()
    {
        if (!more() || c() < 0x80)
            return true;
        return trap(QStringLiteral("%1 stands outside quotes; a bare key is ASCII letters, digits, '-' and '_', "
                                   "and any other text is written in quotes")
                        .arg(shown(c())));
    }

    bool blanks()
    {
        for (;; ++m_at) {
            if (!plain())
                return false;
            if (!isBlank(c()))
                return true;
        }
    }

    bool lineBreak()
    {
        if (c() == U'\n')
            m_at += 1;
        else if (c() == U'\r' && c(1) == U'\n')
            m_at += 2;
        else
            return false;
        return true;
    }

    bool comment()
    {
        for (++m_at; more() && !lineBreak(); ++m_at) {
            if (isControl(c()))
                return false;
        }
        return true;
    }

    // The rest of a line after a key and value or a table header.
    bool lineEnd()
    {
        if (!blanks())
            return false;
        return !more() || (c() == U'#' ? comment() : lineBreak());
    }

    void document()
    {
        while (more()) {
            if (!plain())
                return;
            const char32_t first = c();
            bool walked = true;
            if (isBlank(first))
                ++m_at;
            else if (first == U'#')
                walked = comment();
            else if (first == U'\n' || first == U'\r')
                walked = lineBreak();
            else if (first == U'[')
                walked = tableHeader();
            else if (isBareKey(first) || isQuote(first))
                walked = keyValue(1) && lineEnd();
            else
                walked = false;
            if (!walked)
                return;
        }
    }

    bool tableHeader()
    {
        const size_t open = ++m_at;
        if (!blanks())
            return false;
        const bool ofArray = c() == U'[';
        if (ofArray && m_at != open)
            return false; // "[ [": the reader refuses it
        if (ofArray) {
            ++m_at;
            if (!blanks())
                return false;
        }
        if (!more() || c() == U']')
            return false;
        if (!isBareKey(c()) && !isQuote(c()))
            return trap(QStringLiteral("a table header needs a name: [name] or [[name]]"));
        if (!key() || c() != U']')
            return false;
        ++m_at;
        if (ofArray && c() != U']')
            return false;
        m_at += ofArray;
        return lineEnd();
    }

    // Bare or quoted parts joined by dots, each with blanks around it.
    bool key()
    {
        for (;;) {
            if (isQuote(c())) {
                const bool multiLine = c(1) == c() && c(2) == c();
                if (!text() || multiLine)
                    return false;
            } else if (isBareKey(c())) {
                while (isBareKey(c()))
                    ++m_at;
            } else {
                return false;
            }
            if (!blanks())
                return false;
            if (c() != U'.')
                return true;
            ++m_at;
            if (!blanks())
                return false;
        }
    }

    bool keyValue(int depth)
    {
        if (!key() || c() != U'=')
            return false;
        ++m_at;
        if (!blanks() || !more() || endsValue(c()))
            return false;
        return value(depth);
    }

    bool value(int depth)
    {
        const char32_t first = c();
        if (depth > DeepestValue || !plain() || isControl(first) || first == U'_')
            return false;
        if (first == U'[')
            return array(depth);
        if (first == U'{')
            return inlineTable(depth);
        if (isQuote(first))
            return text();
        return bareValue();
    }

    // Up to the next character that ends a value, as the reader scans it.
    bool scan()
    {
        for (; more(); ++m_at) {
            if (!plain())
                return false;
            if (endsValue(c()))
                break;
        }
        return true;
    }

    // A number, a date, a time or a boolean.
    bool bareValue()
    {
        const size_t start = m_at;
        if (!scan())
            return false;
        // After ten characters like a date the reader looks for a time behind
        // one blank ("2027-02-01 08:30:00"), and scans on past the end of the
        // value when that time is a single digit.
        if (c() == U' ' && isDigit(c(1))) {
            std::u32string date;
            for (size_t i = start; i < m_at; ++i) {
                if (m_points[i].value != U'_')
                    date += m_points[i].value;
            }
            if (date.size() == 10 && isDigit(date[0]) && date[4] == U'-' && date[7] == U'-' && endsValue(c(2))) {
                m_at = start;
                return trap(QStringLiteral("a date and a time are written 2027-02-01 08:30:00 or 2027-02-01T08:30:00; "
                                           "a blank and one digit after a date are neither"));
            }
            m_at += 2;
            return scan();
        }
        return true;
    }

    bool array(int depth)
    {
        bool afterValue = false;
        for (++m_at;;) {
            for (;;) { // blanks, line breaks and comments
                if (!blanks())
                    return false;
                if (c() == U'#') {
                    if (!comment())
                        return false;
                } else if (!lineBreak()) {
                    break;
                }
            }
            if (!more())
                return false;
            if (c() == U']') {
                ++m_at;
                return true;
            }
            if (c() == U',') {
                if (!afterValue)
                    return false;
                afterValue = false;
                ++m_at;
                continue;
            }
            if (afterValue)
                return false;
            if (c() == U'}')
                return trap(QStringLiteral("'}' stands where the array wants a value or ']'"));
            afterValue = true;
            if (!value(depth + 1))
                return false;
        }
    }

    bool inlineTable(int depth)
    {
        enum { None, Comma, Pair } previous = None;
        for (++m_at;;) {
            if (!blanks() || !more())
                return false;
            if (c() == U',' && previous == Pair) {
                previous = Comma;
                ++m_at;
            } else if (c() == U'}' && previous != Comma) {
                ++m_at;
                return true;
            } else if ((isBareKey(c()) || isQuote(c())) && previous != Pair) {
                previous = Pair;
                if (!keyValue(depth + 1))
                    return false;
            } else {
                return false;
            }
        }
    }

    // A text in quotes, to where the reader ends it.
    bool text()
    {
        const char32_t quote = c();
        const bool basic = quote == U'"';
        if (c(1) != quote || c(2) != quote) {
            for (++m_at; more() && !isControl(c()); ++m_at) {
                if (c() == quote) {
                    ++m_at;
                    return true;
                }
                if (basic && c() == U'\\') {
                    if (!isEscape(c(1)))
                        return false;
                    ++m_at;
                }
            }
            return false;
        }
        m_at += 3;
        lineBreak();           // one right after the opening is dropped
        bool skipping = false; // the blanks after a backslash that ends a line
        while (more()) {
            if (c() == quote) {
                size_t quotes = 1;
                while (quotes < 5 && c(quotes) == quote)
                    ++quotes;
                m_at += quotes;
                if (quotes >= 3)
                    return true;
                skipping = false;
            } else if (basic && c() == U'\\') {
                ++m_at;
                if (!isBlank(c()) && c() != U'\n' && c() != U'\r') {
                    if (unclassified(c()))
                        return trap(QStringLiteral("%1 after a backslash: write it as \\u%2").arg(shown(c()), codeOf(c())));
                    if (!isEscape(c()))
                        return false;
                    ++m_at;
                    skipping = false;
                    continue;
                }
                while (isBlank(c()))
                    ++m_at;
                if (unclassified(c()))
                    return trap(QStringLiteral("%1 after a backslash: write it as \\u%2").arg(shown(c()), codeOf(c())));
                if (!lineBreak())
                    return false;
                skipping = true;
            } else if (c() == U'\n' || c() == U'\r') {
                if (!lineBreak())
                    return false;
            } else if (isControl(c())) {
                return false;
            } else {
                if (skipping && unclassified(c()))
                    return trap(
                        QStringLiteral("%1 begins a line that a backslash continues: write it as \\u%2").arg(shown(c()), codeOf(c())));
                skipping = skipping && isReaderBlank(c());
                ++m_at;
            }
        }
        return false;
    }

    std::vector<CodePoint> m_points;
    size_t m_at = 0;
    std::optional<TomlTrap> m_trap;
};

} // namespace

std::optional<TomlTrap> findTomlReaderTrap(std::string_view text)
{
    return Walker(decode(text)).run();
}
