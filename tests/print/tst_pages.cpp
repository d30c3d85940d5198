// The printed pages: the week's columns, fonts and margins, and the year's text, colours and letters.
#include "print/WeekPageFile.h"
#include "print/YearPage.h"
#include "schedule/DateTimeValue.h"
#include "support/Poppler.h"

#include <QImage>
#include <QLocale>
#include <QRegularExpression>
#include <QTest>
#include <map>

namespace {

// The lines of a day's column, cut out of the page (72 dpi: points), read down its first sub-column, then the next.
QStringList dayColumn(const QByteArray &pdf, int day)
{
    const double margin = PageMarginMillimetres * 72 / 25.4;
    const double dayWidth = (842 - 2 * margin) / DayCount; // A4 landscape is 842 pt wide
    const QString text = poppler(QStringLiteral("pdftotext"),
                                 {"-layout", "-x", QString::number(int(margin + (day - 1) * dayWidth) + 1), "-y", "0", "-W",
                                  QString::number(int(dayWidth) - 1), "-H", "595"},
                                 pdf);
    const QStringList lines = text.split(u'\n');
    static const QRegularExpression entry(QStringLiteral("\\d\\d:\\d\\d (\\d+ sn|– \\d\\d:\\d\\d|– --:--)|Zil yok"));
    QStringList first, second; // a day runs on into a second sub-column at most here
    for (qsizetype i = lines.indexOf(QRegularExpression("^\\s*" + QLocale(QLocale::Turkish).standaloneDayName(day) + "$")) + 1;
         i > 0 && i < lines.size(); ++i) {
        QRegularExpressionMatchIterator match = entry.globalMatch(lines[i]);
        for (QStringList *column : {&first, &second})
            if (match.hasNext())
                column->append(match.next().captured());
    }
    return first + second;
}

// Every slot of every day in use, at times out of slot order that differ from day to day.
RingCalendar fullWeek()
{
    RingCalendar c;
    c.DeviceVersion = qint16(DeviceModel::V3Times64);
    for (int i = 0; i < SlotTotal; ++i) { // day-fastest
        const int day = i % DayCount + 1, slot = i / DayCount + 1;
        c.TimeUsed[size_t(i)] = 1;
        c.RingTime[size_t(i)] = timeValue(0, 6 * 60 + ((slot * 37 + day * 11) % 64) * 12 + day);
        c.RingDuration[size_t(i)] = qint16((day + slot) % 30 + 1);
    }
    return c;
}

// 2027-09-01 to 2028-08-31: normal on schooldays, sinav for the first
// twenty days of March, off at weekends, the controllers apart on one day.
YearPageContent leapYear()
{
    YearPageContent content;
    content.siteName = "Atatürk İlkokulu";
    content.headingLines = {"Okul yılı: 1 Eylül 2027 – 31 Ağustos 2028"};
    content.first = QDate(2027, 9, 1);
    content.keys = {{"normal"}, {"sinav"}, {"Zil yok", true}};
    for (QDate d = content.first; d <= QDate(2028, 8, 31); d = d.addDays(1)) {
        const bool march = d >= QDate(2028, 3, 1) && d <= QDate(2028, 3, 20);
        content.days << (d == QDate(2028, 2, 29) ? YearPageContent::DiffersKey : d.dayOfWeek() > 5 ? 2 : march ? 1 : 0);
    }
    content.periods = {{"Yarıyıl tatili", {2028, 1, 24}, {2028, 2, 4}, "Zil yok", {}},
                       {"Sınav haftası", {2028, 3, 1}, {2028, 3, 20}, "sinav", {"a", "b"}},
                       {"Artık gün", {2028, 2, 29}, {2028, 2, 29}, "Zil yok", {"a"}}};
    return content;
}

} // namespace

class TestPages : public QObject
{
    Q_OBJECT

private slots:
    void pdfColumnsHoldEachDayInTimeOrder_data()
    {
        QTest::addColumn<RingCalendar>("calendar");
        QTest::addColumn<QList<QStringList>>("days");

        const RingCalendar full = fullWeek();
        QList<QStringList> fullDays(DayCount);
        for (int day = 1; day <= DayCount; ++day) {
            std::map<double, int> seconds; // by time
            for (int slot = 1; slot <= SlotsPerDay; ++slot)
                seconds[full.ringTime(day, slot)] = full.ringDuration(day, slot);
            for (const auto &[time, length] : seconds)
                fullDays[day - 1].append(toQTime(time).toString("hh:mm") + QStringLiteral(" %1 sn").arg(length));
        }
        QTest::newRow("64 rings a day") << full << fullDays;

        // Off slots hold 23:45, which no column may show; Thursday and Sunday are empty.
        RingCalendar sparse;
        sparse.DeviceVersion = qint16(DeviceModel::V2Times24);
        sparse.RingTime.fill(timeValue(23, 45));
        // day/slot/time; slot 30: past the model's 24
        for (const QString &ring :
             QString("1/5/08:30 1/2/12:15 1/24/07:50 2/1/09:00 3/3/13:10 5/7/16:45 6/9/10:00 6/30/11:00").split(u' ')) {
            const QStringList cells = ring.split(u'/');
            const int day = cells[0].toInt(), slot = cells[1].toInt();
            sparse.setTimeUsed(day, slot, 1);
            sparse.setRingTime(day, slot, timeValue(QTime::fromString(cells[2], "hh:mm")));
            sparse.setRingDuration(day, slot, qint16(slot));
        }
        sparse.setTimeUsed(5, 8, 2); // in use is 1 only
        QList<QStringList> sparseDays;
        for (const QString &day :
             QString("07:50 24 sn,08:30 5 sn,12:15 2 sn|09:00 1 sn|13:10 3 sn|Zil yok|16:45 7 sn|10:00 9 sn|Zil yok").split(u'|'))
            sparseDays.append(day.split(u','));
        QTest::newRow("sparse week") << sparse << sparseDays;

        // Monday: three intervals out of order, one without its end; slots 15 and 16 off.
        RingCalendar intervals;
        intervals.DeviceVersion = qint16(DeviceModel::V3IntervalTimer);
        intervals.RingTime.fill(timeValue(23, 45));
        for (auto [slot, hour] : {std::pair{1, 10}, {2, 11}, {3, 8}, {4, 9}, {13, 7}}) {
            intervals.setTimeUsed(1, slot, 1);
            intervals.setRingTime(1, slot, timeValue(hour, 5));
        }
        QList<QStringList> intervalDays(DayCount, {"Zil yok"});
        intervalDays[0] = QStringList{"07:05 – --:--", "08:05 – 09:05", "10:05 – 11:05"};
        QTest::newRow("V3 intervals") << intervals << intervalDays;
    }

    void pdfColumnsHoldEachDayInTimeOrder()
    {
        QFETCH(RingCalendar, calendar);
        QFETCH(QList<QStringList>, days);
        const QByteArray pdf = renderWeekPage(PageFormat::Pdf, calendar, DeviceModel(calendar.DeviceVersion), {}).bytes;
        for (int day = 1; day <= DayCount; ++day)
            QCOMPARE(dayColumn(pdf, day), days[day - 1]);
    }

    void turkishLettersSurviveAndFontsAreEmbedded()
    {
        const WeekPageHeading heading{"Güz İŞÇİ ÖĞÜ", "Çalışma.dat", QDate(2026, 2, 14), {"Denetleyici: Atölye"}};
        const QByteArray pdf = renderWeekPage(PageFormat::Pdf, fullWeek(), DeviceModel::V3Times64, heading).bytes;
        const QString text = poppler("pdftotext", {}, pdf);
        QVERIFY2(text.startsWith(
                     "Güz İŞÇİ ÖĞÜ\nCihaz Modeli: V3 (64 Zaman)\nDosya: Çalışma.dat Yazdırma tarihi: 14 Şubat 2026\nDenetleyici: Atölye\n"),
                 qPrintable(text));
        const QStringList fonts = poppler("pdffonts", {}, pdf).split(u'\n', Qt::SkipEmptyParts).mid(2);
        QCOMPARE(fonts.filter(QRegularExpression("^DejaVuSans(-Bold)? .*Identity-H\\s+yes")), fonts); // embedded
        QCOMPARE(fonts.size(), 2);
    }

    // 64 rings a day take 8 pt in two columns a day; one five-digit length fits neither 64 high nor two wide, and nothing is drawn.
    void fitsAtTheMinimumOrIsRefused()
    {
        RingCalendar wide = fullWeek();
        wide.setRingDuration(4, 10, -32768);
        for (PageFormat format : {PageFormat::Pdf, PageFormat::Png, PageFormat::Svg}) {
            const WeekPageFit full = renderWeekPage(format, fullWeek(), DeviceModel::V3Times64, {}).fit;
            QCOMPARE(std::pair(full.pointSize, full.columnsPerDay), std::pair(SmallestEntryPointSize, 2));
            const RenderedPage refused = renderWeekPage(format, wide, DeviceModel::V3Times64, {});
            QVERIFY(!refused.fit.fits() && refused.bytes.isEmpty());
            QCOMPARE(refused.fit.widestEntry, hourMinuteText(wide.ringTime(4, 10)) + "  -32768 sn");
        }
    }

    // Nor does a title or a heading line far wider than the page.
    void pngDrawsNothingInTheMargins()
    {
        const WeekPageHeading heading{QString(300, u'Ş'), "RingCalendar.dat", QDate(2026, 12, 7), {QString(200, u'x')}};
        QImage image;
        QVERIFY(image.loadFromData(renderWeekPage(PageFormat::Png, fullWeek(), DeviceModel::V3Times64, heading).bytes, "PNG"));
        QCOMPARE(image.size(), QSize(1754, 1240));
        const int margin = int(PageMarginMillimetres / 25.4 * PageImageDotsPerInch) - 1;
        const QRect inside = image.rect().adjusted(margin, margin, -margin, -margin);
        int inked = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const bool ink = image.pixel(x, y) != qRgb(255, 255, 255);
                if (ink && !inside.contains(x, y))
                    QFAIL(qPrintable(QStringLiteral("ink at %1,%2").arg(x).arg(y)));
                inked += ink;
            }
        QVERIFY(inked > 10000);
    }

    // What the page says: the site, twelve months in Turkish from September, the legend, and each period with its dates.
    void pdfText()
    {
        const QString text = poppler("pdftotext", {}, renderYearPage(PageFormat::Pdf, leapYear()));
        const QStringList wanted =
            QString("Yıllık Zil Planı – Atatürk İlkokulu|Okul yılı: 1 Eylül 2027 – 31 Ağustos 2028|Eylül 2027|Ekim 2027|"
                    "Kasım 2027|Aralık 2027|Ocak 2028|Şubat 2028|Mart 2028|Nisan 2028|Mayıs 2028|Haziran 2028|"
                    "Temmuz 2028|Ağustos 2028|normal|sinav|Zil yok|Cihazlara göre farklı|"
                    "Yarıyıl tatili: 24 Ocak 2028 – 4 Şubat 2028, Zil yok|"
                    "Sınav haftası: 1 Mart 2028 – 20 Mart 2028, sinav (a, b)|Artık gün: 29 Şubat 2028, Zil yok (a)")
                .split(u'|');
        for (const QString &line : wanted)
            QVERIFY2(text.contains(line), qPrintable(line + " not in:\n" + text));
    }

    // More periods than the page holds: the last line sums up the rest.
    void periodsPastTheRoomAreCounted()
    {
        YearPageContent content = leapYear();
        for (int i = 0; i < 200; ++i)
            content.periods.append({QStringLiteral("Gün %1").arg(i), content.first.addDays(i), content.first.addDays(i), "Zil yok", {}});
        const QString text = poppler("pdftotext", {}, renderYearPage(PageFormat::Pdf, content));
        QVERIFY2(text.contains("Ağustos 2028") && text.contains(QRegularExpression("… ve \\d+ dönem daha")), qPrintable(text));
    }

    // The cells carry each key's colour in proportion to its days, and each key its own letter for a grey printer.
    void pngCellsAreColoured()
    {
        const YearPageContent content = leapYear();
        QImage image;
        QVERIFY(image.loadFromData(renderYearPage(PageFormat::Png, content), "PNG"));
        QMap<QRgb, qint64> pixels;
        for (int y = 0; y < image.height(); ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                ++pixels[line[x] & 0xffffff];
        }
        const qint64 normal = pixels.value(yearPageColour(content, 0).rgb() & 0xffffff);
        const qint64 sinav = pixels.value(yearPageColour(content, 1).rgb() & 0xffffff);
        const double days = content.days.count(0) / double(content.days.count(1)); // about 12
        QVERIFY2(sinav > 0 && normal / double(sinav) > days / 2 && normal / double(sinav) < days * 2,
                 qPrintable(QStringLiteral("%1 normal, %2 sinav pixels").arg(normal).arg(sinav)));
        QCOMPARE(QSet<QString>({yearPageLetter(content, 0), yearPageLetter(content, 1), yearPageLetter(content, 2),
                                yearPageLetter(content, YearPageContent::DiffersKey)})
                     .size(),
                 4);
        QVERIFY(yearPageColour(content, 0) != yearPageColour(content, 1));
    }
};

QTEST_MAIN(TestPages)
#include "tst_pages.moc"
