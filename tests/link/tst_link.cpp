// The link: the answer wait, opening the transports, the clock, the port map, the field encoders.
#include "link/AwaitAnswer.h"
#include "link/HostAddress.h"
#include "link/LineSettings.h"
#include "link/LinkOptions.h"
#include "link/SerialChannel.h"
#include "link/SerialPortMap.h"
#include "protocol/FrameEncoding.h"
#include "protocol/ProgramModeCommands.h"
#include "support/ScriptedChannel.h"

#include <QSerialPort>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

using SP = QSerialPort;
using WaitRow = std::tuple<const char *, qint64, int, WaitForm, LateAnswer, int, const char *, QByteArrayList, QByteArray, qint64>;
using OpenRow = std::tuple<LinkSettings, QString, qint64>; // the settings, what the refusal names, when it ends

class TestLink : public QObject
{
    Q_OBJECT

private slots:
    // "ms:bytes" pieces arrive on the fake clock (100 ms a sleep). Strict N s lasts (N-1, N] seconds; inclusive (N, N+1].
    // With a marker the count starts at it; text without one is read from its start, one character shorter.
    void awaitAnswer_data()
    {
        QTest::addColumn<WaitRow>("row");
        using enum WaitForm;
        using enum LateAnswer;
        const QByteArray late = "$ZW001O!!", none = "time-out", ack = "%PICOKXXX", blanks(19, ' ');
        for (const WaitRow &row :
             // From 0.5 s, the last pass of a strict 2 s and of an inclusive 1 s wait is at 2.0 s.
             {WaitRow{"strict, last pass, used", 500, 2, Strict, Used, 9, "", {"2000:" + late}, late, 2000},
              {"strict, last pass, rejected", 500, 2, Strict, Rejected, 9, "", {"2000:" + late}, none, 2000},
              {"strict, pass before, rejected", 500, 2, Strict, Rejected, 9, "", {"1900:" + late}, late, 1900},
              {"inclusive, last pass, used", 500, 1, Inclusive, Used, 9, "", {"2000:" + late}, late, 2000},
              {"inclusive, last pass, rejected", 500, 1, Inclusive, Rejected, 9, "", {"2000:" + late}, none, 2000},
              {"exactly the minimum", 0, 2, Strict, Used, 28, "%", {"300:" + ack, "600:" + blanks}, ack + blanks, 600},
              {"one short", 0, 2, Strict, Used, 28, "%", {"300:" + ack, "600:" + blanks.mid(1)}, none, 2000},
              {"stray bytes, tail cut", 0, 2, Strict, Used, 9, "$ZW", {"300:#!$ZW001O"}, none, 2000},
              {"stray bytes, then the tail", 0, 2, Strict, Used, 9, "$ZW", {"300:#!$ZW001O", "700:!!"}, "#!$ZW001O!!", 700},
              {"marker cut between reads", 0, 2, Strict, Used, 9, "$ZW", {"300:#!#!#!$Z", "700:W001O!!"}, "#!#!#!$ZW001O!!", 700},
              {"no marker, whole", 0, 2, Strict, Rejected, 9, "$ZW", {"300:ZW001O!!"}, "ZW001O!!", 300},
              {"no marker, one short", 0, 2, Strict, Used, 9, "$ZW", {"300:ZW001O!"}, none, 2000},
              {"no marker, wrong letters", 0, 2, Strict, Rejected, 9, "$ZW", {"300:ZR001O!!"}, "ZR001O!!", 300},
              {"no marker, ack", 0, 1, Inclusive, Rejected, 28, "%", {"400:PICOKXXX" + blanks}, "PICOKXXX" + blanks, 400}})
            QTest::newRow(std::get<0>(row)) << row;
    }
    void awaitAnswer()
    {
        QFETCH(WaitRow, row);
        const auto &[name, startMs, seconds, form, late, minChars, marker, pieces, answer, endMs] = row;
        CommandBench bench(LinkTransport::Tcp, startMs);
        for (const QByteArray &piece : pieces)
            bench.device.deliverAt(piece.split(':').first().toLongLong(), piece.mid(piece.indexOf(':') + 1));
        QCOMPARE(AwaitAnswer(bench.link, minChars, seconds, form, late, marker).value_or("time-out"), answer);
        QCOMPARE(bench.clock.ms(), endMs);
        QCOMPARE(bench.clock.sleepCount(), int(endMs - startMs) / 100); // every pass but the last sleeps: no spinning
    }

    // Real time: wall-clock steps during a 2 s wait, a frame and its answer, a loopback port where nothing listens.
    void realTimeOverLoopback()
    {
        QTcpServer controller;
        QVERIFY(controller.listen(QHostAddress::LocalHost));
        qint64 wallMs = 1767225600050; // 2026-01-01 00:00:00.050 UTC
        SystemWholeSecondClock clock([&wallMs] { return wallMs; });
        DeviceLink link(clock);
        QVERIFY(link.ConnectTcp(" 127.0.0.1 ", controller.serverPort()));
        QTRY_VERIFY(controller.hasPendingConnections());
        const std::unique_ptr<QTcpSocket> peer(controller.nextPendingConnection());
        QObject steps; // the wall clock steps an hour ahead, then two back; the timers end with the test
        QTimer::singleShot(300, &steps, [&wallMs] { wallMs += 3600000; });
        QTimer::singleShot(1200, &steps, [&wallMs] { wallMs -= 7200000; });
        const qint64 start = clock.now();
        QVERIFY(!AwaitAnswer(link, 1, 2, WaitForm::Strict, LateAnswer::Used));
        QCOMPARE(clock.now(), start + 2);                                             // steady whole seconds, whatever the wall clock does
        QCOMPARE(clock.currentDateTime(), QDateTime::fromSecsSinceEpoch(1767222000)); // the wall clock, whole seconds

        link.channel()->send("%DT00103**\r");
        QVERIFY(peer->waitForReadyRead(2000));
        QCOMPARE(peer->readAll(), QByteArray("%DT00103**\r"));
        peer->write("$DT001O\r\n");
        QCOMPARE(AwaitAnswer(link, 9, 2, WaitForm::Strict, LateAnswer::Used).value_or("time-out"), "$DT001O\r\n");
        const Result<> refused = link.ConnectTcp(QStringLiteral("127.0.0.1"), 1);
        QVERIFY2(!refused && !refused.error().isEmpty() && !link.channel(), qPrintable(refused.error()));
    }

    // A port the channel has closed (as it does on a resource error) fails a command that checks the port
    // at once: no answer, and none waited for.
    void closedSerialPortFailsAtOnce()
    {
        const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
        auto port = std::make_unique<QSerialPort>(QString::fromLatin1(::ptsname(terminal)));
        QSerialPort *const raw = port.get();
        QVERIFY(port->open(QIODevice::ReadWrite));
        FakeClock clock;
        DeviceLink link(clock, [&port](const LinkSettings &) { return std::make_unique<SerialChannel>(std::move(port)); });
        QVERIFY(link.Open(LinkSettings{LinkTransport::Serial, {}, 0, {}, {}}));
        raw->close();
        QVERIFY(!ReadMemoryBlock(link, 1024, MemoryRegion::F));
        QCOMPARE(clock.ms(), 0);
        ::close(terminal);
    }

    // Loopback ports 1 and 65535 (nothing listens) are tried until start + 1 s has passed; the rest fail at once.
    void openFails_data()
    {
        QTest::addColumn<OpenRow>("row");
        using enum LinkTransport;
        const char *const lo = "127.0.0.1";
        const LineSettings slow = ModelTable::Line9600, fast = ModelTable::Line38400;
        for (auto [transport, target, port, line, reason, endMs] :
             {std::tuple<LinkTransport, const char *, int, LineSettings, const char *, qint64>{Tcp, lo, 0, slow, "", 0},
              {Tcp, lo, 1, slow, "", 2000},
              {Tcp, lo, 65535, slow, "", 2000},
              {Tcp, lo, 65536, slow, "", 0},
              {Tcp, lo, 70000, slow, "", 0},
              {Tcp, "", 5600, slow, "", 0},
              {Tcp, "  ", 5600, slow, "", 0},
              {Serial, "/dev/zil-no-such-port", 0, slow, "/dev/zil-no-such-port", 0}, // names its cause
              {Serial, "/dev/null", 0, fast, "/dev/null", 0},                         // not a serial line
              {Serial, "", 0, slow, "", 0}})
            QTest::addRow("%s '%s' %d %s", transport == Tcp ? "TCP" : "serial", target, port, qPrintable(lineSettingsText(line)))
                << OpenRow{{transport, target, port, target, line}, reason, endMs};
    }
    void openFails()
    {
        QFETCH(OpenRow, row);
        const auto &[settings, reason, endMs] = row;
        FakeClock clock;
        DeviceLink link(clock);
        const Result<> open = link.Open(settings);
        QVERIFY2(!open && !link.channel() && !open.error().isEmpty() && open.error().contains(reason), qPrintable(open.error()));
        QVERIFY(!AwaitAnswer(link, 1, 5, WaitForm::Strict, LateAnswer::Used)); // a time-out at once, no channel
        QCOMPARE(clock.ms(), endMs);
    }

    // Each model's line on a port, as its text names it; the text form of other lines too.
    void lineSettingsOnThePort_data()
    {
        using P = LineSettings::Parity;
        using S = LineSettings::StopBits;
        QTest::addColumn<LineSettings>("line");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("port");
        for (const ModelFacts &row : ModelTable::Rows)
            QTest::addRow("%s", qPrintable(row.caption.toString()))
                << row.line << (row.model == DeviceModel::V1 ? "9600,o,8,1" : "38400,o,8,1")
                << QList<int>{row.model == DeviceModel::V1 ? 9600 : 38400, SP::OddParity, SP::Data8, SP::OneStop, SP::NoFlowControl};
        QTest::newRow("even, 2") << LineSettings{1200, P::Even, 7, S::Two} << "1200,e,7,2"
                                 << QList<int>{1200, SP::EvenParity, SP::Data7, SP::TwoStop, SP::NoFlowControl};
        QTest::newRow("none, 1.5") << LineSettings{19200, P::None, 5, S::OneAndHalf} << "19200,n,5,1.5"
                                   << QList<int>{19200, SP::NoParity, SP::Data5, SP::OneAndHalfStop, SP::NoFlowControl};
    }
    void lineSettingsOnThePort()
    {
        QFETCH(LineSettings, line);
        QFETCH(QString, text);
        QFETCH(QList<int>, port);
        QCOMPARE(lineSettingsText(line), text);
        QSerialPort serial;
        serial.setFlowControl(QSerialPort::HardwareControl);
        applyLineSettings(serial, line);
        QCOMPARE(QList<int>({serial.baudRate(), serial.parity(), serial.dataBits(), serial.stopBits(), serial.flowControl()}), port);
    }

    // "map text|port|device": port 1 and 16 by default, the map's own lines, lines that name no device.
    void serialPortMap_data()
    {
        QTest::addColumn<QString>("row");
        for (const char *row :
             {"|1|/dev/ttyS0", "|16|/dev/ttyS15", "1 = /dev/a|1|/dev/a", " 4=/dev/pts/7 \r\n|4|/dev/pts/7",
              "5 = /dev/ttyUSB5 # usb|5|/dev/ttyUSB5", "7 = /dev/x#y|7|/dev/x", "garbage\n\xff\xfe\n\n8 = /dev/ttyACM1\n|8|/dev/ttyACM1",
              "0 = /dev/z|0|", "five = /dev/x|5|/dev/ttyS4", "6 =|6|/dev/ttyS5", "# 2 = /dev/b|2|/dev/ttyS1", "9 = # none|9|/dev/ttyS8"})
            QTest::newRow(QByteArray(row).toPercentEncoding(" =/#|")) << QString::fromLatin1(row);
    }
    void serialPortMap()
    {
        QFETCH(QString, row);
        const QStringList f = row.split(u'|');
        QCOMPARE(SerialPortMap::fromText(f[0]).deviceName(f[1].toInt()), f[2]);
    }

    // "text|host port" taken, or "text|!what the refusal says", ~ for a NUL byte. An address is taken only as
    // written, since the resolver reads blanks, signs, "0x" and text cut at a NUL as another address.
    void tcpTargets_data()
    {
        QTest::addColumn<QString>("row");
        for (const char *row :
             {"[::1]|::1 5600", "[0::1]:5601|0::1 5601", "::ffff:1.2.3.4|::ffff:1.2.3.4 5600", "[fe80::1%lo]:80|fe80::1%lo 80",
              "ctrl-1.local:7|ctrl-1.local 7", "[ ::1]|!' ::1': an IPv6 address is written with hex digits, ':' and '.' only, not ' '",
              "0::+1|!not '+'", "::0x1|!not 'x'", "[:: 1]|!not ' '", "::1~|!not U+0000", "[::1~x]:80|!not U+0000", "[+1::%lo]|!not '+'",
              "127.0.0.1~|!not a host name", "ctrl~|!not a host name"})
            QTest::newRow(QByteArray(row).replace('~', "NUL")) << QString::fromLatin1(row).replace(u'~', QChar(0));
    }
    void tcpTargets()
    {
        QFETCH(QString, row);
        const QStringList f = row.split(u'|');
        const Result<LinkSettings> target = parseTcpTarget(f[0]);
        const bool taken = !f[1].startsWith(u'!');
        if (taken)
            QCOMPARE(target ? target->host + u' ' + QString::number(target->tcpPort) : target.error(), f[1]);
        else
            QVERIFY2(!target && target.error().contains(f[1].mid(1)), qPrintable(target ? target->host : target.error()));
        // The window's address box takes the same hosts.
        const QString host = taken ? target->host : f[0].section(u']', 0, 0).remove(u'[');
        QCOMPARE(hostAddressProblem(host).isEmpty(), taken);
    }

    // "kind|value|width|text", kind D: FormatDecimal in the width; 2: FormatHex2; 4: FormatHex4.
    void fieldEncoders_data()
    {
        QTest::addColumn<QString>("row");
        for (const char *row : {"D|5|2|05",       "D|30|2|30",      "D|123|2|12",          "D|7|1|7",    "D|0|2|00",   "D|-5|3|0-5",
                                "D|42|0|",        "D|42|-1|",       "D|-32768|8|00-32768", "2|0|0|00",   "2|9|0|09",   "2|15|0|0F",
                                "2|16|0|10",      "2|255|0|FF",     "2|256|0|00",          "2|-1|0|00",  "4|0|0|0000", "4|32|0|0020",
                                "4|48879|0|BEEF", "4|65535|0|FFFF", "4|65536|0|0000",      "4|-1|0|0000"})
            QTest::newRow(row) << QString(row);
    }
    void fieldEncoders()
    {
        QFETCH(QString, row);
        const QStringList f = row.split(u'|');
        const int value = f[1].toInt();
        QCOMPARE(f[0] == u"D" ? FormatDecimal(value, f[2].toInt()) : f[0] == u"2" ? FormatHex2(value) : FormatHex4(value), f[3]);
    }

    // "text|marker|offset|length|field", ~ for a NUL byte. The marker's 1-based position (0 when missing) plus the
    // offset locates the field, never read past the text.
    void answerLocation_data()
    {
        QTest::addColumn<QString>("row");
        for (const char *row :
             {"xy$ZW001O!!|$ZW|6|1|O", "$ZW001N$ZW001O|$ZW|6|1|N", "$Q$DT001O|$|1|2|Q$", "ZW001O|$ZW|6|1|O", "~~%RE12|%|3|2|12",
              "abc||0|2|ab", "abc|c|0|1|c", "abc|c|1|1|", "abcdef|e|0|4|ef", "abc|a|-8|2|ab", "|%|1|1|"})
            QTest::newRow(row) << QString(row);
    }
    void answerLocation()
    {
        QFETCH(QString, row);
        const QList<QByteArray> f = row.toLatin1().replace('~', '\0').split('|');
        QCOMPARE(answerField(f[0], answerPosition(f[0], f[1]) + f[2].toInt(), f[3].toInt()), f[4]);
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "tst_link.moc"
