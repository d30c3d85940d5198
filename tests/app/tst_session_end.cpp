// The window program itself, offscreen, with its files in a folder of its
// own: a real SIGTERM or SIGHUP closes it as its close box does.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

namespace {
// The handlers are in place once /proc says the process catches the signal.
bool catches(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}
} // namespace

class TestSessionEnd : public QObject
{
    Q_OBJECT

private slots:
    void signalStoresBothFiles_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void signalStoresBothFiles()
    {
        QFETCH(int, signal);
        // Beside a copy of the executable: the folder the program keeps its files in.
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString program = QDir(folder.path()).filePath(QStringLiteral("zilsistemi"));
        QVERIFY(QFile::copy(QStringLiteral(ZILSISTEMI_PATH), program));
        QProcess window;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        window.setProcessEnvironment(environment);
        window.start(program, {});
        QVERIFY(window.waitForStarted());
        const auto stopped = qScopeGuard([&window] {
            window.kill();
            window.waitForFinished();
        });
        QTRY_VERIFY_WITH_TIMEOUT(catches(window.processId(), SIGTERM) && catches(window.processId(), SIGHUP), 20000);

        // What start-up wrote goes; only the end of the session writes them again.
        const QDir files(folder.path());
        QVERIFY(QFile::remove(files.filePath(QStringLiteral("RingCalendar.dat"))));
        QFile::remove(files.filePath(QStringLiteral("Ringer.ini")));
        ::kill(pid_t(window.processId()), signal);
        QVERIFY(window.waitForFinished(20000));
        QCOMPARE(window.exitStatus(), QProcess::NormalExit);
        QCOMPARE(window.exitCode(), 0);
        QCOMPARE(QFileInfo(files.filePath(QStringLiteral("RingCalendar.dat"))).size(), 5378);
        QCOMPARE(QFileInfo(files.filePath(QStringLiteral("Ringer.ini"))).size(), 4);
    }
};

QTEST_GUILESS_MAIN(TestSessionEnd)
#include "tst_session_end.moc"
