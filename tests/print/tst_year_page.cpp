#include "print/YearPage.h"
#include "support/Poppler.h"

#include <QImage>
#include <QTest>

namespace {

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

class TestYearPage : public QObject
{
    Q_OBJECT

private slots:
    // What the page says: the site, twelve months in Turkish from September,
    // the legend, and each period with its dates.
    void pdfText()
    {
        const QString text = poppler("pdftotext", {}, renderYearPage(PageFormat::Pdf, leapYear()));
        const QStringList wanted{"Yıllık Zil Planı – Atatürk İlkokulu",
                                 "Okul yılı: 1 Eylül 2027 – 31 Ağustos 2028",
                                 "Eylül 2027",
                                 "Ekim 2027",
                                 "Kasım 2027",
                                 "Aralık 2027",
                                 "Ocak 2028",
                                 "Şubat 2028",
                                 "Mart 2028",
                                 "Nisan 2028",
                                 "Mayıs 2028",
                                 "Haziran 2028",
                                 "Temmuz 2028",
                                 "Ağustos 2028",
                                 "normal",
                                 "sinav",
                                 "Zil yok",
                                 "Cihazlara göre farklı",
                                 "Yarıyıl tatili: 24 Ocak 2028 – 4 Şubat 2028, Zil yok",
                                 "Sınav haftası: 1 Mart 2028 – 20 Mart 2028, sinav (a, b)",
                                 "Artık gün: 29 Şubat 2028, Zil yok (a)"};
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

    // The cells carry each key's colour in proportion to its days, and each
    // key its own letter for a grey printer.
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

QTEST_MAIN(TestYearPage)
#include "tst_year_page.moc"
