// The zilsim executable as a script or an operator starts it: where it
// listens, one exchange on each link, the frame log on stdout, bad options.
#include <QHostAddress>
#include <QProcess>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTest>

namespace {
QByteArray waitForLine(QProcess &process, const QByteArray &prefix, QByteArray &seen)
{
    QByteArray found;
    (void)QTest::qWaitFor(
        [&] {
            seen += process.readAllStandardOutput();
            for (const QByteArray &line : seen.split('\n'))
                if (line.startsWith(prefix) && seen.contains(line + '\n')) {
                    found = line;
                    return true;
                }
            return process.state() == QProcess::NotRunning;
        },
        5000);
    return found;
}

QByteArray readAtLeast(QIODevice &link, qsizetype count)
{
    QByteArray got;
    (void)QTest::qWaitFor([&] { return (got += link.readAll()).size() >= count; }, 3000);
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
        process.start(QStringLiteral(ZILSIM_PATH), {QStringLiteral("--model"), QStringLiteral("3")});
        QVERIFY2(process.waitForStarted(5000), qPrintable(process.errorString()));
        QByteArray seen;
        const QByteArray tcpLine = waitForLine(process, "TCP ", seen);
        QVERIFY2(tcpLine.startsWith("TCP 127.0.0.1:"), seen.constData());
        const QByteArray serialLine = waitForLine(process, "SERIAL ", seen);
        QVERIFY2(serialLine.startsWith("SERIAL /dev/pts/"), seen.constData());
        const quint16 port = quint16(tcpLine.mid(tcpLine.lastIndexOf(':') + 1).toUInt()); // 0 when no number
        QVERIFY(port > 0);

        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(socket.waitForConnected(3000));
        socket.write("%UR001**%UR001**%UR001**%UR001**\r");
        const QByteArray answer = readAtLeast(socket, 23);
        QVERIFY2(answer.size() == 23 && answer.startsWith("$UR001") && answer.endsWith("**\r"), answer.constData());
        QVERIFY(!waitForLine(process, "<- %UR001**%UR001**%UR001**%UR001**\\r", seen).isEmpty());

        QSerialPort serial(QString::fromLocal8Bit(serialLine.mid(7)));
        QVERIFY2(serial.open(QIODevice::ReadWrite), qPrintable(serial.errorString()));
        serial.write("%DT00105**\r");
        QCOMPARE(readAtLeast(serial, 9), QByteArray("$DT001O\r\n"));

        process.closeWriteChannel();
        QVERIFY(process.waitForFinished(5000));
        QVERIFY(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0);
    }

    void badOptions()
    {
        for (const QStringList &arguments : {QStringList{"--model", "9"}, {"--fault", "explode"}, {"--tcp-port", "70000"}}) {
            QProcess process;
            process.setStandardInputFile(QProcess::nullDevice());
            process.start(QStringLiteral(ZILSIM_PATH), arguments + QStringList{"--no-serial", "--quit-after-seconds", "5"});
            QVERIFY(process.waitForFinished(5000));
            QVERIFY2(process.exitCode() == 2 && !process.readAllStandardError().isEmpty() && process.readAllStandardOutput().isEmpty(),
                     qPrintable(arguments.join(u' ')));
        }
    }
};

QTEST_GUILESS_MAIN(TestZilsimExe)
#include "tst_zilsim_exe.moc"
