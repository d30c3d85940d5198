#include "schedule/SettingsFile.h"

#include "support/FileBytes.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>


class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void loadLimitsRanges_data();
    void loadLimitsRanges();
    void missingFileIsCreatedEmpty();
    void longerFileKeepsExtraBytes();
    void unwritableSaveIsReported();
};

void TestSettingsFile::loadLimitsRanges_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("portNo");
    QTest::addColumn<int>("reserved");
    QTest::addColumn<QByteArray>("savedAgain");

    QTest::newRow("port 3") << QByteArray::fromHex("03000000") << 3 << 0 << QByteArray::fromHex("03000000");
    QTest::newRow("port 17, reserved 9") << QByteArray::fromHex("11000900") << 1 << 5 << QByteArray::fromHex("01000500");
    QTest::newRow("both -1") << QByteArray::fromHex("ffffffff") << 1 << -1 << QByteArray::fromHex("0100ffff");
    QTest::newRow("port 0 kept") << QByteArray::fromHex("00000500") << 0 << 5 << QByteArray::fromHex("00000500");
    QTest::newRow("port 16 kept") << QByteArray::fromHex("10000000") << 16 << 0 << QByteArray::fromHex("10000000");
    QTest::newRow("huge port") << QByteArray::fromHex("ff7f0080") << 1 << -32768 << QByteArray::fromHex("01000080");
    QTest::newRow("one byte") << QByteArray::fromHex("05") << 5 << 0 << QByteArray::fromHex("05000000");
    QTest::newRow("three bytes") << QByteArray::fromHex("020007") << 2 << 5 << QByteArray::fromHex("02000500");
    QTest::newRow("empty") << QByteArray() << 0 << 0 << QByteArray::fromHex("00000000");
}

void TestSettingsFile::loadLimitsRanges()
{
    QFETCH(QByteArray, file);
    QFETCH(int, portNo);
    QFETCH(int, reserved);
    QFETCH(QByteArray, savedAgain);

    QTemporaryDir dir;
    const QString path = settingsFilePath(dir.path());
    QVERIFY(writeFileBytes(path, file));
    RingerSettings settings;
    LoadSettings(settings, path);
    QCOMPARE(int(settings.PortNo), portNo);
    QCOMPARE(int(settings.Reserved), reserved);
    QVERIFY(SaveSettings(settings, path).isEmpty());
    QCOMPARE(readFileBytes(path), savedAgain);
}

void TestSettingsFile::missingFileIsCreatedEmpty()
{
    QTemporaryDir dir;
    const QString path = settingsFilePath(dir.path());
    RingerSettings settings;
    LoadSettings(settings, path);
    QCOMPARE(settings, RingerSettings());
    QCOMPARE(readFileBytes(path), QByteArray());
    QVERIFY(QFile::exists(path));
    QVERIFY(SaveSettings(settings, path).isEmpty());
    QCOMPARE(readFileBytes(path), QByteArray::fromHex("00000000"));
}

void TestSettingsFile::longerFileKeepsExtraBytes()
{
    QTemporaryDir dir;
    const QString path = settingsFilePath(dir.path());
    QVERIFY(writeFileBytes(path, QByteArray::fromHex("0300000041424344")));
    RingerSettings settings;
    LoadSettings(settings, path);
    settings.PortNo = 5;
    QVERIFY(SaveSettings(settings, path).isEmpty());
    QCOMPARE(readFileBytes(path), QByteArray::fromHex("0500000041424344"));
}

void TestSettingsFile::unwritableSaveIsReported()
{
    QTemporaryDir dir;
    const QString notADirectory = dir.filePath("plain-file");
    QVERIFY(writeFileBytes(notADirectory, "x"));
    const QString error = SaveSettings(RingerSettings{2, 0}, settingsFilePath(notADirectory));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settings_file.moc"
