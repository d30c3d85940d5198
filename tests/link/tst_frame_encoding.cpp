#include "link/FrameEncoding.h"

#include <QtTest>

class FrameEncodingTest : public QObject
{
    Q_OBJECT

private slots:
    void formatDecimal_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("expected");
        QTest::newRow("5 in 2") << 5 << 2 << "05";
        QTest::newRow("123 cut to leftmost 2") << 123 << 2 << "12";
        QTest::newRow("7 in 1") << 7 << 1 << "7";
        QTest::newRow("2026 in 4") << 2026 << 4 << "2026";
        QTest::newRow("negative keeps its sign") << -5 << 3 << "0-5";
        QTest::newRow("negative cut") << -123 << 2 << "-1";
        QTest::newRow("width 0") << 42 << 0 << "";
        QTest::newRow("negative width") << 42 << -1 << "";
        QTest::newRow("smallest") << -32768 << 8 << "00-32768";
    }
    void formatDecimal()
    {
        QFETCH(int, value);
        QFETCH(int, width);
        QFETCH(QString, expected);
        QCOMPARE(FormatDecimal(qint16(value), qint16(width)), expected);
    }

    // Two hex digits for a byte, four for an address; out of range is zeros.
    void formatHex_data()
    {
        QTest::addColumn<int>("digits");
        QTest::addColumn<qint32>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("2: 9 gets a leading 0") << 2 << 9 << "09";
        QTest::newRow("2: upper case") << 2 << 0xab << "AB";
        QTest::newRow("2: 255") << 2 << 255 << "FF";
        QTest::newRow("2: 256 overflows") << 2 << 256 << "00";
        QTest::newRow("2: -1 overflows") << 2 << -1 << "00";
        QTest::newRow("2: 32767") << 2 << 32767 << "00";
        QTest::newRow("4: 32") << 4 << 32 << "0020";
        QTest::newRow("4: upper case") << 4 << 0xbeef << "BEEF";
        QTest::newRow("4: 65535") << 4 << 65535 << "FFFF";
        QTest::newRow("4: 65536 gives zeros, not 1000") << 4 << 65536 << "0000";
        QTest::newRow("4: -1") << 4 << -1 << "0000";
        QTest::newRow("4: largest") << 4 << std::numeric_limits<qint32>::max() << "0000";
    }
    void formatHex()
    {
        QFETCH(int, digits);
        QFETCH(qint32, value);
        QFETCH(QString, expected);
        QCOMPARE(digits == 2 ? FormatHex2(qint16(value)) : FormatHex4(value), expected);
    }

    void answerPosition_data()
    {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<QByteArray>("marker");
        QTest::addColumn<int>("expected");
        QTest::newRow("at the start") << QByteArray("$ZW001O") << QByteArray("$ZW") << 1;
        QTest::newRow("first of two") << QByteArray("$ZW001N$ZW001O") << QByteArray("$ZW") << 1;
        QTest::newRow("$ alone does not match $ZW") << QByteArray("$Q$ZW") << QByteArray("$ZW") << 3;
        QTest::newRow("none") << QByteArray("ZW001O") << QByteArray("$ZW") << 0;
        QTest::newRow("empty text") << QByteArray() << QByteArray("%") << 0;
        QTest::newRow("empty marker") << QByteArray("abc") << QByteArray() << 0;
        QTest::newRow("nul bytes before") << QByteArray("\0\0%RE", 5) << QByteArray("%") << 3;
    }
    void answerPosition()
    {
        QFETCH(QByteArray, received);
        QFETCH(QByteArray, marker);
        QFETCH(int, expected);
        QCOMPARE(::answerPosition(received, marker), expected);
    }

    void answerField_data()
    {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("length");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("status after noise") << QByteArray("xy$ZW001O") << 9 << 1 << QByteArray("O");
        QTest::newRow("position 0 reads from the start") << QByteArray("abcdef") << 0 << 2 << QByteArray("ab");
        QTest::newRow("negative position") << QByteArray("abcdef") << -7 << 2 << QByteArray("ab");
        QTest::newRow("runs past the end") << QByteArray("abcdef") << 5 << 4 << QByteArray("ef");
        QTest::newRow("starts past the end") << QByteArray("abc") << 9 << 1 << QByteArray();
        QTest::newRow("negative length") << QByteArray("abc") << 1 << -3 << QByteArray();
        QTest::newRow("huge position") << QByteArray("abc") << std::numeric_limits<int>::max() << 8 << QByteArray();
        QTest::newRow("empty text") << QByteArray() << 1 << 1 << QByteArray();
    }
    void answerField()
    {
        QFETCH(QByteArray, received);
        QFETCH(int, position);
        QFETCH(int, length);
        QFETCH(QByteArray, expected);
        QCOMPARE(::answerField(received, position, length), expected);
    }
};

QTEST_GUILESS_MAIN(FrameEncodingTest)
#include "tst_frame_encoding.moc"
