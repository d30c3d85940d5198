#include "site/PeriodEdits.h"

#include "schedule/WholeFile.h"
#include "site/SiteFile.h"
#include "site/TomlGuard.h"

#include <set>
#include <string_view>

#include <toml++/toml.h>

namespace {

QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The file cut into lines, each with its own line end, so that joining
// them again gives back every byte.
QList<QByteArray> splitLines(const QByteArray &text)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype end = text.indexOf('\n', start);
        const qsizetype next = end < 0 ? text.size() : end + 1;
        lines.append(text.mid(start, next - start));
        start = next;
    }
    return lines;
}

bool isBlank(const QByteArray &line)
{
    return line.trimmed().isEmpty();
}

bool isComment(const QByteArray &line)
{
    return line.trimmed().startsWith('#');
}

// The lines (1-based) where a table's header stands: a table the parser
// began there that is written as [name] or [[name]], not inline, not dotted.
void collectHeaders(const toml::node &node, const QList<QByteArray> &lines, std::set<int> &headers)
{
    if (const toml::table *table = node.as_table()) {
        const int line = int(table->source().begin.line);
        if (!table->is_inline() && line >= 1 && line <= lines.size() && lines[line - 1].trimmed().startsWith('['))
            headers.insert(line);
        for (auto &&[key, value] : *table)
            collectHeaders(value, lines, headers);
    } else if (const toml::array *array = node.as_array()) {
        for (const toml::node &element : *array)
            collectHeaders(element, lines, headers);
    }
}

// A TOML basic string: quotes, backslashes and control characters escaped,
// every other letter (Turkish ones too) written as it is.
QByteArray tomlString(const QString &text)
{
    QByteArray out = "\"";
    for (const char c : text.toUtf8()) {
        const uchar u = uchar(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\f': out += "\\f"; break;
        case '\r': out += "\\r"; break;
        default:
            if (u < 0x20 || u == 0x7f)
                out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0')).toLatin1();
            else
                out += c;
        }
    }
    return out + '"';
}

QByteArray tomlDate(QDate date)
{
    return date.toString(Qt::ISODate).toLatin1();
}

// The period as a [[periods]] section, in the file's own line ends.
QByteArray periodBlock(const PeriodDraft &period, const QByteArray &lineEnd)
{
    QList<QByteArray> lines{"[[periods]]", "name = " + tomlString(period.name)};
    if (period.from == period.to) {
        lines << "date = " + tomlDate(period.from);
    } else {
        lines << "from = " + tomlDate(period.from);
        lines << "to = " + tomlDate(period.to);
    }
    lines << "schedule = " + tomlString(period.schedule);
    if (!period.controllers.isEmpty()) {
        QList<QByteArray> names;
        for (const QString &controller : period.controllers)
            names << tomlString(controller);
        lines << "controllers = [" + names.join(", ") + "]";
    }
    return lines.join(lineEnd) + lineEnd;
}

// The site file as text, with the [[periods]] sections found in it.
struct SiteText
{
    QString path;
    QByteArray bytes;
    QList<QByteArray> lines;
    QByteArray lineEnd; // "\r\n" when the file uses it, else "\n"
    struct Block
    {
        QString name;
        int first = 0, last = 0; // 0-based lines of the header and the section's end, both included
        int commentsAbove = 0;   // the comment lines right above the header, which speak of it
        bool section = false;    // written as a [[periods]] header and its keys, not inline
    };
    QList<Block> periods;

    QList<const Block *> named(const QString &name) const
    {
        QList<const Block *> found;
        for (const Block &block : periods) {
            if (block.name == name)
                found << &block;
        }
        return found;
    }
};

Result<SiteText> readText(const QString &path)
{
    const Result<QByteArray> bytes = readCappedFile(path, LargestSiteFile, QStringLiteral("a site file"));
    if (!bytes)
        return failure(path + u' ' + bytes.error());
    SiteText text;
    text.path = path;
    text.bytes = *bytes;
    text.lines = splitLines(text.bytes);
    text.lineEnd = text.bytes.contains("\r\n") ? "\r\n" : "\n";
    // The reader's known traps are refused before it sees the text, as the
    // site's check refuses them.
    if (const std::optional<TomlTrap> trap = findTomlReaderTrap(std::string_view(text.bytes.constData(), size_t(text.bytes.size()))))
        return failure(QStringLiteral("%1:%2:%3: %4").arg(path).arg(trap->line).arg(trap->column).arg(trap->message));
    toml::table root;
    try {
        root = toml::parse(std::string_view(text.bytes.constData(), size_t(text.bytes.size())), path.toStdString());
    } catch (const toml::parse_error &error) {
        return failure(QStringLiteral("%1:%2:%3: %4")
                           .arg(path)
                           .arg(error.source().begin.line)
                           .arg(error.source().begin.column)
                           .arg(qs(error.description())));
    } catch (const std::exception &error) {
        return failure(QStringLiteral("%1 cannot be read as TOML: %2").arg(path, QString::fromLocal8Bit(error.what())));
    }
    std::set<int> headers;
    collectHeaders(root, text.lines, headers);
    const toml::array *periods = root.get("periods") ? root.get("periods")->as_array() : nullptr;
    for (qsizetype i = 0; periods && i < qsizetype(periods->size()); ++i) {
        const toml::table *table = periods->get(size_t(i))->as_table();
        if (!table)
            continue; // the check says what is wrong
        SiteText::Block block;
        const toml::node *name = table->get("name");
        block.name = name && name->is_string() ? qs(name->as_string()->get()) : QString();
        block.first = int(table->source().begin.line) - 1;
        block.section = !table->is_inline() && block.first >= 0 && block.first < text.lines.size() &&
                        text.lines[block.first].trimmed().startsWith("[[");
        if (!block.section) {
            text.periods.append(block);
            continue;
        }
        block.commentsAbove = block.first;
        while (block.commentsAbove > 0 && isComment(text.lines[block.commentsAbove - 1]))
            --block.commentsAbove;
        const auto next = headers.upper_bound(block.first + 1);
        block.last = next == headers.end() ? int(text.lines.size()) - 1 : *next - 2;
        // Comments right above the next header speak of the next section.
        if (next != headers.end()) {
            while (block.last > block.first && isComment(text.lines[block.last]))
                --block.last;
        }
        text.periods.append(block);
    }
    return text;
}

QString problemsText(const QList<SiteProblem> &problems)
{
    QStringList lines;
    for (const SiteProblem &problem : problems)
        lines << problem.toString();
    return lines.join(u'\n');
}

// The draft as the file reads it back: a check that the written text says
// what was meant, whatever letters the names hold.
bool readsBackAs(const Site &site, const PeriodDraft &draft)
{
    for (const SitePeriod &period : site.periods) {
        if (period.name == draft.name)
            return period.from == draft.from && period.to == draft.to && period.schedule == draft.schedule &&
                   period.controllers == draft.controllers;
    }
    return false;
}

// Checks the new text as the site's check does, then puts it in place whole.
Result<> replaceFile(const SiteText &text, const QByteArray &bytes, const PeriodDraft *written)
{
    const SiteReading reading = readSiteText(bytes, text.path);
    if (!reading.site)
        return failure(QStringLiteral("the edit was refused, %1 is unchanged:\n%2").arg(text.path, problemsText(reading.problems)));
    if (written && !readsBackAs(*reading.site, *written))
        return failure(QStringLiteral("period \"%1\" does not read back as written; %2 is unchanged").arg(written->name, text.path));
    if (const Result<> written = writeWholeFile(text.path, bytes); !written)
        return failure(QStringLiteral("%1 cannot be written: %2").arg(text.path, written.error()));
    return {};
}

Result<> checkDraft(const PeriodDraft &period)
{
    if (period.name.trimmed().isEmpty())
        return failure(QStringLiteral("a period needs a name"));
    if (!period.from.isValid() || !period.to.isValid())
        return failure(QStringLiteral("period \"%1\" needs its dates").arg(period.name));
    if (period.schedule.isEmpty())
        return failure(QStringLiteral("period \"%1\" needs a schedule").arg(period.name));
    return {};
}

struct PeriodInFile
{
    SiteText text;
    SiteText::Block block;
};

// The file and its one [[periods]] section called `name`, or why there is
// none to edit.
Result<PeriodInFile> periodInFile(const QString &sitePath, const QString &name)
{
    const Result<SiteText> text = readText(sitePath);
    if (!text)
        return failure(text.error());
    const QList<const SiteText::Block *> found = text->named(name);
    if (found.isEmpty())
        return failure(QStringLiteral("%1 has no period \"%2\"").arg(text->path, name));
    if (found.size() > 1)
        return failure(QStringLiteral("%1 has %2 periods named \"%3\"; edit the file by hand").arg(text->path).arg(found.size()).arg(name));
    if (!found[0]->section)
        return failure(QStringLiteral("period \"%1\" is written inline, not as a [[periods]] section; edit the file by hand").arg(name));
    return PeriodInFile{*text, *found[0]};
}

QByteArray joined(const QList<QByteArray> &lines)
{
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line;
    return bytes;
}

} // namespace

Result<> addPeriod(const QString &sitePath, const PeriodDraft &period)
{
    if (const Result<> draft = checkDraft(period); !draft)
        return draft;
    const Result<SiteText> text = readText(sitePath);
    if (!text)
        return failure(text.error());
    if (!text->named(period.name).isEmpty())
        return failure(QStringLiteral("%1 has a period \"%2\" already").arg(sitePath, period.name));
    QByteArray bytes = text->bytes;
    if (!bytes.isEmpty() && !bytes.endsWith('\n'))
        bytes += text->lineEnd;
    if (!bytes.isEmpty() && !isBlank(text->lines.constLast()))
        bytes += text->lineEnd; // a blank line between sections, as people write them
    return replaceFile(*text, bytes + periodBlock(period, text->lineEnd), &period);
}

Result<> changePeriod(const QString &sitePath, const QString &name, const PeriodDraft &period)
{
    if (const Result<> draft = checkDraft(period); !draft)
        return draft;
    const Result<PeriodInFile> found = periodInFile(sitePath, name);
    if (!found)
        return failure(found.error());
    const SiteText &text = found->text;
    const SiteText::Block &block = found->block;
    if (period.name != name && !text.named(period.name).isEmpty())
        return failure(QStringLiteral("%1 has a period \"%2\" already").arg(sitePath, period.name));
    // The section's own lines give way; blank lines after it stay.
    int last = block.last;
    while (last > block.first && isBlank(text.lines[last]))
        --last;
    QList<QByteArray> lines = text.lines;
    const bool endedWithoutLineEnd = !lines[last].endsWith('\n');
    lines.remove(block.first, last - block.first + 1);
    QByteArray replacement = periodBlock(period, text.lineEnd);
    if (endedWithoutLineEnd)
        replacement.chop(text.lineEnd.size()); // the file ended there, and still does
    lines.insert(block.first, replacement);
    return replaceFile(text, joined(lines), &period);
}

Result<> removePeriod(const QString &sitePath, const QString &name)
{
    const Result<PeriodInFile> found = periodInFile(sitePath, name);
    if (!found)
        return failure(found.error());
    const SiteText &text = found->text;
    const SiteText::Block &block = found->block;
    QList<QByteArray> lines = text.lines;
    int first = block.commentsAbove;
    // The last section takes the blank lines above it too: added and then
    // removed, a period leaves the file as it was.
    if (block.last == lines.size() - 1) {
        while (first > 0 && isBlank(lines[first - 1]))
            --first;
    }
    lines.remove(first, block.last - first + 1);
    return replaceFile(text, joined(lines), nullptr);
}
