// The window program itself, offscreen, beside its files in a folder of its
// own: a real SIGTERM or SIGHUP closes it as its close box does.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

class TestSessionEnd : public QObject
{
    Q_OBJECT

private slots:
    void signalStoresBothFiles()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        for (int signal : {SIGTERM, SIGHUP}) {
            QTemporaryDir folder;
            const QDir files(folder.path());
            QVERIFY(QFile::copy(QStringLiteral(ZILSISTEMI_PATH), files.filePath("zilsistemi")));
            QProcess window;
            window.start(files.filePath("zilsistemi"), {});
            QVERIFY(window.waitForStarted());
            const auto stopped = qScopeGuard([&window] {
                window.kill();
                window.waitForFinished();
            });
            const auto caught = [&window] { // the handlers are in place once /proc says both signals are caught
                QFile status(QStringLiteral("/proc/%1/status").arg(window.processId()));
                const QString text = QString::fromLatin1(status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray());
                const quint64 mask = QRegularExpression("SigCgt:\\s*(\\w+)").match(text).captured(1).toULongLong(nullptr, 16);
                return (mask >> (SIGTERM - 1) & 1) && (mask >> (SIGHUP - 1) & 1);
            };
            QTRY_VERIFY_WITH_TIMEOUT(caught(), 20000);

            // What start-up wrote goes; only the end of the session writes them again.
            QVERIFY(QFile::remove(files.filePath("RingCalendar.dat")));
            QFile::remove(files.filePath("Ringer.ini"));
            ::kill(pid_t(window.processId()), signal);
            QVERIFY(window.waitForFinished(20000));
            QVERIFY(window.exitStatus() == QProcess::NormalExit && window.exitCode() == 0);
            QCOMPARE(QFileInfo(files.filePath("RingCalendar.dat")).size(), 5378);
            QCOMPARE(QFileInfo(files.filePath("Ringer.ini")).size(), 4);
        }
    }
};

QTEST_GUILESS_MAIN(TestSessionEnd)
#include "tst_session_end.moc"
