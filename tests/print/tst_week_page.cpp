#include "print/WeekPageFile.h"
#include "schedule/DateTimeValue.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <map>

namespace {

struct Word
{
    QRectF box;
    QString text;
};

// A poppler tool's output for a PDF, through a file of its own.
QString popplerOutput(const QString &tool, const QStringList &options, const QByteArray &pdf)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("page.pdf"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(pdf) != pdf.size())
        return {};
    out.close();
    QProcess process;
    QStringList arguments = options + QStringList{file};
    if (tool == u"pdftotext")
        arguments.append(QStringLiteral("-")); // to standard output
    process.start(tool, arguments);
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        return QStringLiteral("%1 failed: %2").arg(tool, QString::fromUtf8(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

QList<Word> pdfWords(const QByteArray &pdf)
{
    static const QRegularExpression word(
        QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<Word> words;
    for (const auto &m : word.globalMatch(popplerOutput(QStringLiteral("pdftotext"), {QStringLiteral("-bbox")}, pdf))) {
        const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
        words.append({QRectF(topLeft, bottomRight), m.captured(5).replace(QStringLiteral("&amp;"), QStringLiteral("&"))});
    }
    return words;
}

const QRegularExpression TimeWord(QStringLiteral("^\\d\\d:\\d\\d$"));

// The lines under each day's name as the page shows them: the day is the
// seventh of the width it lies in, a sub-column starts where a line's
// first time does, read down one sub-column and then the next.
std::map<int, QStringList> linesByDay(const QList<Word> &words)
{
    constexpr double PageWidth = 842.0; // A4 landscape, in points
    const double margin = PageMarginMillimetres * 72 / 25.4;
    const double dayWidth = (PageWidth - 2 * margin) / DayCount;
    double entriesTop = 0;
    for (const Word &w : words) {
        if (w.text == u"Pazartesi")
            entriesTop = w.box.bottom();
    }
    std::map<int, QList<Word>> byDay;
    for (const Word &w : words) {
        if (w.box.top() > entriesTop)
            byDay[int((w.box.left() - margin) / dayWidth) + 1].append(w);
    }
    std::map<int, QStringList> lines;
    for (auto &[day, dayWords] : byDay) {
        QList<double> starts;
        for (int i = 0; i < dayWords.size(); ++i) {
            const bool afterDash = std::any_of(dayWords.begin(), dayWords.end(), [&](const Word &o) {
                return o.text == u"–" && qAbs(o.box.top() - dayWords[i].box.top()) < 0.5 && o.box.right() <= dayWords[i].box.left()
                       && dayWords[i].box.left() - o.box.right() < 10;
            });
            if ((TimeWord.match(dayWords[i].text).hasMatch() && !afterDash) || dayWords[i].text == u"Zil")
                starts.append(std::round(dayWords[i].box.left()));
        }
        std::sort(starts.begin(), starts.end());
        const auto column = [&](const Word &w) {
            return int(std::upper_bound(starts.begin(), starts.end(), w.box.left() + 0.5) - starts.begin());
        };
        std::sort(dayWords.begin(), dayWords.end(), [&](const Word &a, const Word &b) {
            return std::tuple(column(a), std::round(a.box.top() * 10), a.box.left())
                   < std::tuple(column(b), std::round(b.box.top() * 10), b.box.left());
        });
        const Word *previous = nullptr;
        for (const Word &w : dayWords) {
            if (previous && column(*previous) == column(w) && qAbs(previous->box.top() - w.box.top()) < 0.5)
                lines[day].last() += u' ' + w.text;
            else
                lines[day].append(w.text);
            previous = &w;
        }
    }
    return lines;
}

// Monday's 64 rings are all in use, at times that are not in slot order and
// differ from day to day.
RingCalendar fullWeek(qint16 lengthOffset = 0)
{
    RingCalendar c;
    c.DeviceVersion = ModelV3Times64;
    for (int day = 1; day <= DayCount; ++day) {
        for (int slot = 1; slot <= SlotsPerDay; ++slot) {
            const int minute = 6 * 60 + ((slot * 37 + day * 11) % 64) * 12 + day;
            c.setTimeUsed(day, slot, 1);
            c.setRingTime(day, slot, timeValue(minute / 60, minute % 60));
            c.setRingDuration(day, slot, qint16((slot + day) % 30 + 1 + lengthOffset));
        }
    }
    return c;
}

// The expected line of a ring, written out by the test.
QString ringLine(int minute, int seconds)
{
    return QStringLiteral("%1:%2 %3 sn").arg(minute / 60, 2, 10, QChar('0')).arg(minute % 60, 2, 10, QChar('0')).arg(seconds);
}

QByteArray renderPdf(const RingCalendar &calendar, int model, const WeekPageHeading &heading = {})
{
    return renderWeekPage(PageFormat::Pdf, calendar, model, heading).bytes;
}

} // namespace

class TestWeekPage : public QObject
{
    Q_OBJECT

private slots:
    void dayEntries_data();
    void dayEntries();
    void pdfColumnsHoldEachDayInTimeOrder_data();
    void pdfColumnsHoldEachDayInTimeOrder();
    void turkishLettersSurviveAndFontsAreEmbedded();
    void entriesShrinkButNeverBelowTheMinimum();
    void aWeekTooWideEvenAtTheMinimumIsRefused();
    void pngDrawsNothingInTheMargins_data();
    void pngDrawsNothingInTheMargins();
    void formatsFollowTheExtension();
};

void TestWeekPage::dayEntries_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QList<int>>("inUse"); // in use 1, times from the list below
    QTest::addColumn<QStringList>("expected");
    // Slot s rings at times[s - 1]; slot 3 holds 2, which is not "in use".
    QTest::newRow("times in time order, off slots out") << int(ModelV3Times64) << QList<int>{1, 2, 3, 4}
                                                        << QStringList{"07:05  4 sn", "08:30  1 sn", "12:00  2 sn"};
    QTest::newRow("V2 24 rings: slot 25 is not the model's") << int(ModelV2Times24) << QList<int>{1, 25}
                                                             << QStringList{"08:30  1 sn"};
    QTest::newRow("intervals pair start and end, an off end shows") << int(ModelV3IntervalTimer) << QList<int>{1, 2, 3, 5}
                                                                    << QStringList{"08:30 – 12:00", "18:00 – --:--"};
    QTest::newRow("V2 interval: one pair only") << int(ModelV2IntervalTimer) << QList<int>{1, 2, 5, 6}
                                                << QStringList{"08:30 – 12:00"};
    QTest::newRow("nothing rings") << int(ModelV1) << QList<int>{} << QStringList{};
}

void TestWeekPage::dayEntries()
{
    QFETCH(int, model);
    QFETCH(QList<int>, inUse);
    QFETCH(QStringList, expected);
    const QList<double> times{timeValue(8, 30), timeValue(12, 0), timeValue(9, 0), timeValue(7, 5), timeValue(18, 0),
                              timeValue(19, 0)};
    RingCalendar calendar;
    for (int slot = 1; slot <= SlotsPerDay; ++slot) {
        calendar.setRingTime(3, slot, times.value(slot - 1, timeValue(6, 45)));
        calendar.setRingDuration(3, slot, qint16(slot));
    }
    for (int slot : inUse)
        calendar.setTimeUsed(3, slot, slot == 3 ? 2 : 1);
    calendar.setTimeUsed(2, 1, 1); // another day's ring stays there
    QCOMPARE(::dayEntries(calendar, model, 3), expected);
}

void TestWeekPage::pdfColumnsHoldEachDayInTimeOrder_data()
{
    QTest::addColumn<RingCalendar>("calendar");
    QTest::addColumn<QList<QStringList>>("days");

    const RingCalendar full = fullWeek();
    QList<QStringList> fullDays;
    for (int day = 1; day <= DayCount; ++day) {
        std::map<int, QString> sorted;
        for (int slot = 1; slot <= SlotsPerDay; ++slot)
            sorted[6 * 60 + ((slot * 37 + day * 11) % 64) * 12 + day] = ringLine(6 * 60 + ((slot * 37 + day * 11) % 64) * 12 + day, (slot + day) % 30 + 1);
        QStringList lines;
        for (const auto &entry : sorted)
            lines.append(entry.second);
        fullDays.append(lines);
    }
    QTest::newRow("64 rings a day") << full << fullDays;

    // Off slots carry times no day rings at; Thursday and Sunday are empty.
    RingCalendar sparse;
    sparse.DeviceVersion = ModelV2Times24;
    for (int day = 1; day <= DayCount; ++day) {
        for (int slot = 1; slot <= SlotsPerDay; ++slot) {
            sparse.setRingTime(day, slot, timeValue(23, 40 + day));
            sparse.setRingDuration(day, slot, 9);
        }
    }
    const auto ring = [&](int day, int slot, int hour, int minute, qint16 seconds) {
        sparse.setTimeUsed(day, slot, 1);
        sparse.setRingTime(day, slot, timeValue(hour, minute));
        sparse.setRingDuration(day, slot, seconds);
    };
    ring(1, 5, 8, 30, 3);
    ring(1, 2, 12, 15, 5);
    ring(1, 24, 7, 50, 10);
    ring(2, 1, 9, 0, 2);
    ring(3, 3, 13, 10, 4);
    ring(5, 7, 16, 45, 6);
    ring(6, 9, 10, 0, 3);
    ring(6, 30, 11, 0, 3); // past the model's 24 rows: not on the page
    QTest::newRow("sparse week") << sparse
                                 << QList<QStringList>{{"07:50 10 sn", "08:30 3 sn", "12:15 5 sn"}, {"09:00 2 sn"}, {"13:10 4 sn"},
                                                       {"Zil yok"}, {"16:45 6 sn"}, {"10:00 3 sn"}, {"Zil yok"}};

    RingCalendar intervals;
    intervals.DeviceVersion = ModelV3IntervalTimer;
    for (int day = 1; day <= DayCount; ++day) {
        for (int pair = 0; pair < 8; ++pair) {
            const int start = 2 * pair + 1;
            intervals.setTimeUsed(day, start, pair == 7 ? 0 : 1);
            intervals.setTimeUsed(day, start + 1, pair == 7 ? 0 : 1);
            intervals.setRingTime(day, start, timeValue(15 - pair, day));
            intervals.setRingTime(day, start + 1, timeValue(15 - pair, 40 + day));
        }
    }
    QList<QStringList> intervalDays;
    for (int day = 1; day <= DayCount; ++day) {
        QStringList lines;
        for (int hour = 9; hour <= 15; ++hour)
            lines.append(QStringLiteral("%1:0%2 – %1:4%2").arg(hour, 2, 10, QChar('0')).arg(day));
        intervalDays.append(lines);
    }
    QTest::newRow("V3 intervals") << intervals << intervalDays;
}

void TestWeekPage::pdfColumnsHoldEachDayInTimeOrder()
{
    QFETCH(RingCalendar, calendar);
    QFETCH(QList<QStringList>, days);
    const QByteArray pdf = renderPdf(calendar, calendar.DeviceVersion);
    QVERIFY(pdf.startsWith("%PDF"));
    const std::map<int, QStringList> lines = linesByDay(pdfWords(pdf));
    QCOMPARE(int(lines.size()), DayCount);
    for (int day = 1; day <= DayCount; ++day)
        QCOMPARE(lines.at(day), days[day - 1]);
}

void TestWeekPage::turkishLettersSurviveAndFontsAreEmbedded()
{
    const WeekPageHeading heading{QStringLiteral("Güz Dönemi İŞÇİ ÖĞÜ"), QStringLiteral("Çalışma.dat"), QDate(2026, 2, 14),
                                  {QStringLiteral("Denetleyici: Atölye Şubesi")}};
    const QByteArray pdf = renderPdf(fullWeek(), ModelV3Times64, heading);
    const QString text = popplerOutput(QStringLiteral("pdftotext"), {}, pdf);
    for (const char *expected : {"Güz Dönemi İŞÇİ ÖĞÜ", "Cihaz Modeli: V3", "Çalışma.dat", "Yazdırma tarihi: 14 Şubat 2026",
                                 "Denetleyici: Atölye Şubesi", "Pazartesi", "Salı", "Çarşamba", "Perşembe", "Cuma", "Cumartesi",
                                 "Pazar"})
        QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);

    const QStringList fonts = popplerOutput(QStringLiteral("pdffonts"), {}, pdf).split(u'\n', Qt::SkipEmptyParts).mid(2);
    QVERIFY(!fonts.isEmpty());
    for (const QString &font : fonts) {
        QVERIFY2(font.startsWith(u"DejaVuSans"), qPrintable(font));
        QVERIFY2(font.contains(QRegularExpression(QStringLiteral("Identity-H\\s+yes"))), qPrintable(font)); // embedded
    }
}

// 8 pt is the smallest; a light week gets the largest size in one column.
void TestWeekPage::entriesShrinkButNeverBelowTheMinimum()
{
    const RenderedPage full = renderWeekPage(PageFormat::Pdf, fullWeek(), ModelV3Times64, {});
    QVERIFY(full.fit.fits());
    QCOMPARE(full.fit.pointSize, SmallestEntryPointSize);
    QCOMPARE(full.fit.columnsPerDay, 2);
    // DejaVu Sans draws a word box 1.152 em high: no word on the page is drawn smaller.
    for (const Word &word : pdfWords(full.bytes))
        QVERIFY2(word.box.height() >= 1.15 * SmallestEntryPointSize, qPrintable(word.text));

    RingCalendar light = fullWeek();
    for (int slot = 13; slot <= SlotsPerDay; ++slot) {
        for (int day = 1; day <= DayCount; ++day)
            light.setTimeUsed(day, slot, 0);
    }
    const RenderedPage page = renderWeekPage(PageFormat::Pdf, light, ModelV3Times64, {});
    QCOMPARE(page.fit.pointSize, LargestEntryPointSize);
    QCOMPARE(page.fit.columnsPerDay, 1);
}

// 64 rings of five-digit lengths fit neither one column high nor two wide:
// nothing is drawn, and the reason names the culprit.
void TestWeekPage::aWeekTooWideEvenAtTheMinimumIsRefused()
{
    RingCalendar wide = fullWeek(0);
    wide.setRingDuration(4, 10, -32768);
    for (PageFormat format : {PageFormat::Pdf, PageFormat::Png, PageFormat::Svg}) {
        const RenderedPage page = renderWeekPage(format, wide, ModelV3Times64, {});
        QVERIFY(!page.fit.fits());
        QVERIFY(page.bytes.isEmpty());
        QCOMPARE(page.fit.mostEntries, 64);
        QVERIFY2(page.fit.widestEntry.endsWith(u"  -32768 sn"), qPrintable(page.fit.widestEntry));
    }
}

void TestWeekPage::pngDrawsNothingInTheMargins_data()
{
    QTest::addColumn<RingCalendar>("calendar");
    QTest::addColumn<QString>("title");
    QTest::newRow("64 rings") << fullWeek() << QString();
    QTest::newRow("title far wider than the page") << fullWeek() << QString(300, u'Ş');
    RingCalendar intervals;
    intervals.DeviceVersion = ModelV2IntervalTimer;
    QTest::newRow("no rings at all") << intervals << QStringLiteral("Boş");
}

void TestWeekPage::pngDrawsNothingInTheMargins()
{
    QFETCH(RingCalendar, calendar);
    QFETCH(QString, title);
    const WeekPageHeading heading{title, QStringLiteral("RingCalendar.dat"), QDate(2026, 12, 7),
                                  {QString(200, u'x')}};
    const RenderedPage page = renderWeekPage(PageFormat::Png, calendar, calendar.DeviceVersion, heading);
    QImage image;
    QVERIFY(image.loadFromData(page.bytes, "PNG"));
    QCOMPARE(image.size(), QSize(1754, 1240));
    const int margin = int(PageMarginMillimetres / 25.4 * PageImageDotsPerInch) - 1;
    int inked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool inMargin = x < margin || y < margin || x >= image.width() - margin || y >= image.height() - margin;
            const bool white = image.pixel(x, y) == qRgb(255, 255, 255);
            if (inMargin && !white)
                QFAIL(qPrintable(QStringLiteral("ink in the margin at %1,%2").arg(x).arg(y)));
            inked += white ? 0 : 1;
        }
    }
    QVERIFY(inked > 10000);
}

void TestWeekPage::formatsFollowTheExtension()
{
    QCOMPARE(pageFormatOf("hafta.PDF"), std::optional(PageFormat::Pdf));
    QCOMPARE(pageFormatOf("/a.b/hafta.png"), std::optional(PageFormat::Png));
    QCOMPARE(pageFormatOf("hafta.svg"), std::optional(PageFormat::Svg));
    for (const char *refused : {"hafta.txt", "hafta", "pdf", "hafta.pdf.", "hafta.pdf.bak"})
        QVERIFY2(!pageFormatOf(refused), refused);
    const QByteArray svg = renderWeekPage(PageFormat::Svg, fullWeek(), ModelV3Times64, {}).bytes;
    QVERIFY(svg.contains("<svg") && svg.contains("width=\"297"));
}

QTEST_MAIN(TestWeekPage)
#include "tst_week_page.moc"
