// The zilsim executable as a script or an operator starts it: where it
// listens, one exchange, the frame log on stdout, its options and its end.
#include <QHostAddress>
#include <QProcess>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTest>

namespace {
const QString Zilsim = QStringLiteral(ZILSIM_PATH);

// Reads stdout lines until one starts with `prefix`.
QByteArray waitForLine(QProcess &process, const QByteArray &prefix, QByteArray &seen, int timeoutMs = 5000)
{
    QByteArray found;
    (void)QTest::qWaitFor([&] {
        seen += process.readAllStandardOutput();
        for (const QByteArray &line : seen.split('\n')) {
            if (line.startsWith(prefix) && seen.contains(line + '\n')) {
                found = line;
                return true;
            }
        }
        return process.state() == QProcess::NotRunning;
    }, timeoutMs);
    return found;
}

QByteArray readAtLeast(QIODevice &link, qsizetype count)
{
    QByteArray got;
    (void)QTest::qWaitFor([&] {
        got += link.readAll();
        return got.size() >= count;
    }, 3000);
    return got;
}
} // namespace

class TestZilsimExe : public QObject
{
    Q_OBJECT

private slots:
    void announcesAndAnswers();
    void faultsFromCommandLine();
    void quitsAfterSecondsWithNullStdin();
    void badOptions_data();
    void badOptions();
};

void TestZilsimExe::announcesAndAnswers()
{
    QProcess process;
    process.start(Zilsim, {QStringLiteral("--model"), QStringLiteral("3")});
    QVERIFY2(process.waitForStarted(5000), qPrintable(process.errorString()));
    QByteArray seen;
    const QByteArray tcpLine = waitForLine(process, "TCP ", seen);
    QVERIFY2(tcpLine.startsWith("TCP 127.0.0.1:"), seen.constData());
    const QByteArray serialLine = waitForLine(process, "SERIAL ", seen);
    QVERIFY2(serialLine.startsWith("SERIAL /dev/pts/"), seen.constData());
    bool ok = false;
    const quint16 port = quint16(tcpLine.mid(tcpLine.lastIndexOf(':') + 1).toUInt(&ok));
    QVERIFY(ok && port > 0);

    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(socket.waitForConnected(3000));
    socket.write("%UR001**%UR001**%UR001**%UR001**\r");
    const QByteArray answer = readAtLeast(socket, 23);
    QCOMPARE(answer.size(), 23);
    QVERIFY(answer.startsWith("$UR001"));
    QVERIFY(answer.endsWith("**\r"));
    // Every frame is logged on one line, the carriage return escaped.
    QVERIFY(!waitForLine(process, "<- %UR001**%UR001**%UR001**%UR001**\\r", seen).isEmpty());

    // The serial line it announced answers too.
    QSerialPort serial(QString::fromLocal8Bit(serialLine.mid(7)));
    QVERIFY2(serial.open(QIODevice::ReadWrite), qPrintable(serial.errorString()));
    serial.write("%DT00105**\r");
    QCOMPARE(readAtLeast(serial, 9), QByteArray("$DT001O\r\n"));
    serial.close();

    // Closing its stdin ends it.
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
}

void TestZilsimExe::faultsFromCommandLine()
{
    QProcess process;
    process.start(Zilsim, {QStringLiteral("--no-serial"), QStringLiteral("--model"), QStringLiteral("1"),
                           QStringLiteral("--fault"), QStringLiteral("wrong-status"),
                           QStringLiteral("--fault-after"), QStringLiteral("1")});
    QVERIFY(process.waitForStarted(5000));
    QByteArray seen;
    const QByteArray tcpLine = waitForLine(process, "TCP ", seen);
    QVERIFY2(!tcpLine.isEmpty(), seen.constData());
    QVERIFY(!seen.contains("SERIAL"));
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(tcpLine.mid(tcpLine.lastIndexOf(':') + 1).toUInt()));
    QVERIFY(socket.waitForConnected(3000));
    const QByteArray write = "%ZW0011051030830**%ZW0011051030830**%ZW0011051030830**\r";
    socket.write(write);
    QCOMPARE(readAtLeast(socket, 9), QByteArray("$ZW001O\r\n"));
    socket.write(write);
    QCOMPARE(readAtLeast(socket, 9), QByteArray("$ZW001N\r\n"));
    process.kill();
    process.waitForFinished(3000);
}

void TestZilsimExe::quitsAfterSecondsWithNullStdin()
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(Zilsim, {QStringLiteral("--no-serial"), QStringLiteral("--quit-after-seconds"), QStringLiteral("0.7")});
    QVERIFY(process.waitForStarted(5000));
    // End of file on /dev/null does not end it early...
    QVERIFY(!process.waitForFinished(400));
    // ... the time limit does.
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(timer.elapsed() >= 600);
    QVERIFY(process.readAllStandardOutput().startsWith("TCP 127.0.0.1:"));
}

void TestZilsimExe::badOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("model 9") << QStringList{"--model", "9"};
    QTest::newRow("model text") << QStringList{"--model", "V3"};
    QTest::newRow("unknown fault") << QStringList{"--fault", "explode"};
    QTest::newRow("late without time") << QStringList{"--fault", "late:"};
    QTest::newRow("port too big") << QStringList{"--tcp-port", "70000"};
    QTest::newRow("negative fault-after") << QStringList{"--fault-after", "-1"};
}

void TestZilsimExe::badOptions()
{
    QFETCH(QStringList, arguments);
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(Zilsim, arguments + QStringList{"--no-serial", "--quit-after-seconds", "5"});
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(!process.readAllStandardError().isEmpty());
    QVERIFY(process.readAllStandardOutput().isEmpty());
}

QTEST_GUILESS_MAIN(TestZilsimExe)
#include "tst_zilsim_exe.moc"
