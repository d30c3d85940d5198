// Which folder keeps the two files: beside the executable when it takes new files or already holds both files writable, else the user's
// data folder, seeded once with copies. And what the operator reads after "kaydedilemedi": the cause in Turkish for the common failures,
// the system's text otherwise.
#include "schedule/CalendarFile.h"
#include "schedule/DataDirectory.h"
#include "schedule/InPlaceRecordWrite.h"
#include "schedule/RecordFile.h"
#include "schedule/SettingsFile.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using ChoiceRow = std::tuple<bool, QStringList, QStringList, bool>;

class DataDirectoryTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    QString program() const { return m_root.filePath("program"); }
    QString user() const { return m_root.filePath("home/.local/share/zilsistemi"); }

private slots:
    void init()
    {
        QDir(program()).removeRecursively();
        QDir(m_root.filePath("home")).removeRecursively();
        QVERIFY(QDir().mkpath(program()));
    }

    void chooses_data()
    {
        QTest::addColumn<ChoiceRow>("row");
        const QStringList both{"RingCalendar.dat", "Ringer.ini"}, calendar{"RingCalendar.dat"};
        QTest::newRow("portable, no files yet") << ChoiceRow{true, {}, {}, true};
        QTest::newRow("portable, read-only files") << ChoiceRow{true, both, {}, true};
        QTest::newRow("read-only folder, both writable") << ChoiceRow{false, both, both, true};
        QTest::newRow("read-only folder, no files") << ChoiceRow{false, {}, {}, false};
        QTest::newRow("read-only folder, calendar only") << ChoiceRow{false, calendar, calendar, false};
        QTest::newRow("read-only folder, settings read-only") << ChoiceRow{false, both, calendar, false};
        QTest::newRow("read-only folder, calendar read-only") << ChoiceRow{false, both, {"Ringer.ini"}, false};
    }
    void chooses()
    {
        QFETCH(ChoiceRow, row);
        const auto &[folderTakesFiles, present, writable, besideProgram] = row;
        for (const QString &name : present)
            QVERIFY(writeFileBytes(QDir(program()).filePath(name), "x"));
        const FolderProbe probe{[&](const QString &) { return folderTakesFiles; },
                                [&](const QString &file) { return writable.contains(QFileInfo(file).fileName()); }};
        QCOMPARE(prepareDataDirectory(program(), user(), probe), besideProgram ? program() : user());
        QCOMPARE(QFileInfo::exists(user()), !besideProgram);
    }

    void firstStartCopiesWhatIsBesideTheProgram()
    {
        const FolderProbe readOnly{[](const QString &) { return false; }, [](const QString &) { return false; }};
        const QByteArray calendar = calendarToBytes(RingCalendar());
        QVERIFY(writeFileBytes(calendarFilePath(program()), calendar));
        QCOMPARE(prepareDataDirectory(program(), user(), readOnly), user());
        QCOMPARE(readFileBytes(calendarFilePath(user())), calendar);
        QVERIFY(!QFile::exists(settingsFilePath(user()))); // none to copy
        QVERIFY(QFileInfo(calendarFilePath(user())).permissions().testFlag(QFile::WriteOwner));

        // Later starts keep the user's own files.
        QVERIFY(writeFileBytes(calendarFilePath(user()), "edited"));
        prepareDataDirectory(program(), user(), readOnly);
        QCOMPARE(readFileBytes(calendarFilePath(user())), QByteArray("edited"));
    }

    void realProbeLeavesNothingBehind()
    {
        QVERIFY(FolderProbe::real().canCreateFiles(program()));
        QVERIFY(QDir(program()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        QVERIFY(!FolderProbe::real().canCreateFiles(m_root.filePath("no-such-folder")));
    }

    void inPlaceWriteKeepsTheTail()
    {
        const QString path = calendarFilePath(program());
        QVERIFY(writeFileBytes(path, "0123456789"));
        QCOMPARE(writeRecordInPlace(path, "abcd").error(), QString());
        QCOMPARE(readFileBytes(path), QByteArray("abcd456789"));
    }

    void readOnlyFolderWithRealPermissions()
    {
        if (geteuid() == 0)
            QSKIP("root writes into any folder: permission bits cannot be tried");
        const QFile::Permissions readOnlyFolder = QFile::ReadOwner | QFile::ExeOwner;
        QVERIFY(QFile::setPermissions(program(), readOnlyFolder));
        QCOMPARE(prepareDataDirectory(program(), user()), user());

        QVERIFY(QFile::setPermissions(program(), readOnlyFolder | QFile::WriteOwner));
        QVERIFY(writeFileBytes(calendarFilePath(program()), QByteArray(6000, 'z')));
        QVERIFY(writeFileBytes(settingsFilePath(program()), "1234"));
        QVERIFY(QFile::setPermissions(program(), readOnlyFolder));
        QCOMPARE(prepareDataDirectory(program(), user()), program());
        // Saved in place, the way the program always has: tail kept.
        QCOMPARE(SaveCalendar(RingCalendar(), calendarFilePath(program())).error(), QString());
        QCOMPARE(readFileBytes(calendarFilePath(program())).mid(CalendarFileSize), QByteArray(6000 - CalendarFileSize, 'z'));
        QVERIFY(QFile::setPermissions(program(), readOnlyFolder | QFile::WriteOwner));
    }

    void causes()
    {
        // Writes to /dev/full fail as on a full disk, for every user.
        QCOMPARE(writeRecordInPlace(QStringLiteral("/dev/full"), QByteArray(5378, 'x')).error(), QString("Diskte yer kalmadı."));
        QTemporaryDir dir;
        QVERIFY(writeFileBytes(dir.filePath("plain"), "x"));
        QCOMPARE(writeRecordKeepingTail(dir.filePath("no-such-folder/RingCalendar.dat"), "record").error(), QString("Klasör bulunamadı."));
        QCOMPARE(writeRecordKeepingTail(dir.filePath("plain/RingCalendar.dat"), "record").error(), QString("Klasör bulunamadı."));
        // Other causes keep the system's text: here a folder where the file should be.
        QVERIFY(QDir(dir.path()).mkdir("RingCalendar.dat"));
        QFile asFile(dir.filePath("RingCalendar.dat"));
        QVERIFY(!asFile.open(QIODevice::ReadOnly));
        QCOMPARE(writeRecordKeepingTail(asFile.fileName(), "record").error(), asFile.errorString());
        if (geteuid() == 0)
            QSKIP("root writes into any folder: permission bits cannot be tried");
        QVERIFY(QDir(dir.path()).mkdir("locked"));
        QVERIFY(QFile::setPermissions(dir.filePath("locked"), QFile::ReadOwner | QFile::ExeOwner));
        QCOMPARE(writeRecordKeepingTail(dir.filePath("locked/RingCalendar.dat"), "record").error(), QString("Yazma izni yok."));
    }
};

QTEST_GUILESS_MAIN(DataDirectoryTest)
#include "tst_data_directory.moc"
