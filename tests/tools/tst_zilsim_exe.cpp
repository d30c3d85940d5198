// The zilsim executable as a script or an operator starts it: where it
// listens, one exchange on each link, the frame log on stdout, bad options.
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
    (void)QTest::qWaitFor(
        [&] {
            seen += process.readAllStandardOutput();
            for (const QByteArray &line : seen.split('\n')) {
                if (line.startsWith(prefix) && seen.contains(line + '\n')) {
                    found = line;
                    return true;
                }
            }
            return process.state() == QProcess::NotRunning;
        },
        timeoutMs);
    return found;
}

QByteArray readAtLeast(QIODevice &link, qsizetype count)
{
    QByteArray got;
    (void)QTest::qWaitFor(
        [&] {
            got += link.readAll();
            return got.size() >= count;
        },
        3000);
    return got;
}
} // namespace

class TestZilsimExe : public QObject
{
    Q_OBJECT

private slots:
    void announcesAndAnswers()
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
        QVERIFY2(answer.size() == 23 && answer.startsWith("$UR001") && answer.endsWith("**\r"), answer.constData());
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

    // Each exits 2, with a message on stderr and nothing on stdout.
    void badOptions()
    {
        for (const QStringList &arguments : {QStringList{"--model", "9"}, {"--fault", "explode"}, {"--tcp-port", "70000"}}) {
            QProcess process;
            process.setStandardInputFile(QProcess::nullDevice());
            process.start(Zilsim, arguments + QStringList{"--no-serial", "--quit-after-seconds", "5"});
            QVERIFY(process.waitForFinished(5000));
            QVERIFY2(process.exitCode() == 2 && !process.readAllStandardError().isEmpty() && process.readAllStandardOutput().isEmpty(),
                     qPrintable(arguments.join(u' ')));
        }
    }
};

QTEST_GUILESS_MAIN(TestZilsimExe)
#include "tst_zilsim_exe.moc"
