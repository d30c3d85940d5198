#include "operations/TransferProgress.h"
#include "ui/ComStatusWindow.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

class ComStatusWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void layoutFollowsTheDesign_data();
    void layoutFollowsTheDesign();
    void titleTextsAndFonts();
    void picturesAreDrawn();
    void arrowsFollowTheTimer_data();
    void arrowsFollowTheTimer();
    void closingRules();
    void barAndStatusLineShowTheProgress_data();
    void barAndStatusLineShowTheProgress();
    void otherDirectionKeepsTheArrowStill();
    void timerTicksEvery200msWhileLoaded();
    void shownCentredOnTheScreen();
};

void ComStatusWindowTest::layoutFollowsTheDesign_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("ISource") << "ISource" << QRect(90, 450, 585, 645);
    for (int i = 0; i < 6; ++i)
        QTest::addRow("IArrows_%d", i) << QStringLiteral("IArrows_%1").arg(i) << QRect(720 + 600 * i, 525, 480, 480);
    QTest::newRow("Image1") << "Image1" << QRect(4200, 90, 930, 1305);
    QTest::newRow("lblStatus") << "lblStatus" << QRect(90, 1575, 5025, 255);
    QTest::newRow("PBar") << "PBar" << QRect(60, 1860, 5055, 345);
    QTest::newRow("Frame1") << "Frame1" << QRect(45, 2280, 5145, 90);
    QTest::newRow("cmdCancel") << "cmdCancel" << QRect(1980, 2430, 1215, 375);
}

void ComStatusWindowTest::layoutFollowsTheDesign()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    TransferProgress progress;
    ComStatusWindow window(progress);
    QCOMPARE(window.size(), QSize(346, 193));
    QCOMPARE(window.minimumSize(), window.maximumSize()); // fixed size
    QWidget *control = window.findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(),
             QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
    QVERIFY(window.rect().contains(control->geometry()));
}

void ComStatusWindowTest::titleTextsAndFonts()
{
    TransferProgress progress;
    ComStatusWindow window(progress);
    QCOMPARE(window.objectName(), QStringLiteral("frmComStatus"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Haberleşme Durumu"));
    QVERIFY(!window.isModal());
    QVERIFY(window.windowFlags() & Qt::WindowCloseButtonHint);
    auto *cancel = window.findChild<QPushButton *>(QStringLiteral("cmdCancel"));
    QVERIFY(cancel);
    QCOMPARE(cancel->text(), QStringLiteral("İptal Et"));
    QCOMPARE(cancel->font().pointSizeF(), 8.25);
    auto *status = window.findChild<QLabel *>(QStringLiteral("lblStatus"));
    QVERIFY(status);
    QVERIFY(status->text().isEmpty());
    QCOMPARE(status->font().pointSizeF(), 8.25);
    QVERIFY(window.findChild<QFrame *>(QStringLiteral("Frame1")));
}

void ComStatusWindowTest::picturesAreDrawn()
{
    TransferProgress progress;
    ComStatusWindow window(progress);
    for (const char *name : {"ISource", "Image1", "IArrows_0", "IArrows_5"}) {
        auto *label = window.findChild<QLabel *>(QLatin1String(name));
        QVERIFY(label);
        const QImage image = label->pixmap().toImage();
        QCOMPARE(image.size(), label->size());
        int painted = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                painted += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
        QVERIFY2(painted > image.width() * image.height() / 10, name); // real artwork, not an empty box
    }
    // Every transfer puts its own arrow in place of the outlined one.
    auto *arrow = window.findChild<QLabel *>(QStringLiteral("IArrows_2"));
    const QImage outlined = arrow->pixmap().toImage();
    progress.open(TransferProgress::ToController);
    const QImage right = arrow->pixmap().toImage();
    progress.close();
    progress.open(TransferProgress::ToComputer);
    const QImage left = arrow->pixmap().toImage();
    QVERIFY(outlined != right);
    QVERIFY(right != left);
    QVERIFY(left != outlined);
    if (!qEnvironmentVariableIsEmpty("ZIL_SCREENSHOT_DIR")) {
        window.show();
        progress.tick();
        window.grab().save(qEnvironmentVariable("ZIL_SCREENSHOT_DIR") + QStringLiteral("/frmComStatus.png"));
    }
    progress.close();
}

void ComStatusWindowTest::arrowsFollowTheTimer_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QList<int>>("lit");
    QTest::newRow("send") << int(TransferProgress::ToController) << QList<int>{0, 1, 2, 3, 4, 5, 0, 1};
    QTest::newRow("receive") << int(TransferProgress::ToComputer) << QList<int>{5, 4, 3, 2, 1, 0, 5, 4};
}

void ComStatusWindowTest::arrowsFollowTheTimer()
{
    QFETCH(int, direction);
    QFETCH(QList<int>, lit);
    TransferProgress progress;
    ComStatusWindow window(progress);
    progress.open(qint16(direction));
    window.show();
    // The one arrow shown, -1 for none, 99 for several, 6 for all.
    const auto shownArrow = [&] {
        int shown = -1, count = 0;
        for (int i = 0; i < 6; ++i) {
            if (!window.findChild<QLabel *>(QStringLiteral("IArrows_%1").arg(i))->isHidden()) {
                shown = shown == -1 ? i : 99;
                ++count;
            }
        }
        return count == 6 ? 6 : shown;
    };
    QList<int> seen;
    for (int tick = 0; tick < lit.size(); ++tick) {
        progress.tick();
        seen.append(shownArrow());
    }
    QCOMPARE(seen, lit);
    // A cancel stops the run and lights all of them.
    progress.cancel();
    progress.tick();
    QCOMPARE(shownArrow(), 6);
    progress.tick();
    QCOMPARE(shownArrow(), 6);
    progress.close();
}

void ComStatusWindowTest::closingRules()
{
    TransferProgress progress;
    ComStatusWindow window(progress);
    QSignalSpy unloads(&progress, &TransferProgress::unloaded);
    progress.open(TransferProgress::ToController);
    window.show();
    // Neither the close box nor Escape ends a running transfer.
    QVERIFY(!window.close());
    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(window.isVisible());
    QCOMPARE(progress.TransferRunning(), TransferProgress::Running);
    QCOMPARE(unloads.count(), 0);
    // The cancel button only raises the flag; the transfer closes the window
    // at its next check, after which the close box works too.
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("cmdCancel")), Qt::LeftButton);
    QVERIFY(progress.cancelled());
    QVERIFY(window.isVisible());
    QVERIFY(window.close());
    QVERIFY(!window.isVisible());
    QVERIFY(!progress.isLoaded());
    // A cancel after the end stops nothing more.
    progress.cancel();
    QCOMPARE(progress.TransferRunning(), TransferProgress::Stopped);
    // Reused by the next transfer, which hides it when done.
    for (int run = 0; run < 2; ++run) {
        progress.open(TransferProgress::ToController);
        window.show();
        QVERIFY(window.isVisible());
        progress.close();
        QVERIFY(!window.isVisible());
    }
    QCOMPARE(unloads.count(), 3);
    progress.close(); // a second close unloads nothing more
    QCOMPARE(unloads.count(), 3);
    progress.open(TransferProgress::ToController);
    QCOMPARE(progress.TransferRunning(), TransferProgress::Running);
    progress.close();
}

void ComStatusWindowTest::barAndStatusLineShowTheProgress_data()
{
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("value");
    QTest::newRow("V1 blocks: 33 steps on 32") << 32 << 33 << 32;
    QTest::newRow("half way") << 448 << 224 << 224;
    QTest::newRow("far beyond") << 3 << 1000 << 3;
    QTest::newRow("no steps at all") << 0 << 5 << 0;
    QTest::newRow("negative count") << -4 << 2 << 0;
}

void ComStatusWindowTest::barAndStatusLineShowTheProgress()
{
    QFETCH(int, maximum);
    QFETCH(int, steps);
    QFETCH(int, value);
    TransferProgress progress;
    ComStatusWindow window(progress);
    auto *bar = window.findChild<QProgressBar *>(QStringLiteral("PBar"));
    auto *status = window.findChild<QLabel *>(QStringLiteral("lblStatus"));
    progress.open(TransferProgress::ToController);
    progress.setStepCount(maximum);
    QCOMPARE(bar->value(), 0);
    for (int i = 0; i < steps; ++i)
        progress.step();
    QCOMPARE(progress.value(), value);
    QVERIFY(progress.value() <= progress.maximum());
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->value(), value);
    progress.setStatusText(QStringLiteral("Zil takvimi gönderiliyor...%100"));
    QCOMPARE(status->text(), QStringLiteral("Zil takvimi gönderiliyor...%100"));
    QCOMPARE(status->accessibleName(), status->text());
    progress.resetBar();
    QCOMPARE(progress.value(), 0);
    QCOMPARE(bar->value(), 0);
    progress.close();
}

void ComStatusWindowTest::otherDirectionKeepsTheArrowStill()
{
    TransferProgress progress;
    progress.open(TransferProgress::ToController);
    progress.tick();
    progress.tick(); // next index 2
    progress.close();
    progress.open(7); // neither direction: the index stays and the arrow stands
    QCOMPARE(progress.ArrowIndex(), qint16(2));
    progress.tick();
    progress.tick();
    QCOMPARE(progress.ArrowIndex(), qint16(2));
    for (int i = 0; i < TransferProgress::ArrowCount; ++i)
        QCOMPARE(progress.arrowVisible(i), i == 2);
}

void ComStatusWindowTest::timerTicksEvery200msWhileLoaded()
{
    TransferProgress progress;
    QSignalSpy ticks(&progress, &TransferProgress::arrowsChanged);
    progress.open(TransferProgress::ToController);
    // One real-time check: about five ticks a second, none after unloading.
    QTest::qWait(1100);
    QVERIFY2(ticks.count() >= 3 && ticks.count() <= 6, qPrintable(QString::number(ticks.count())));
    progress.close();
    const int afterClose = ticks.count();
    QTest::qWait(450);
    QCOMPARE(ticks.count(), afterClose);
}

void ComStatusWindowTest::shownCentredOnTheScreen()
{
    TransferProgress progress;
    ComStatusWindow window(progress);
    progress.open(TransferProgress::ToController);
    window.show();
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY2((window.frameGeometry().center() - centre).manhattanLength() <= 4,
             qPrintable(QStringLiteral("%1,%2").arg(window.frameGeometry().center().x()).arg(window.frameGeometry().center().y())));
    progress.close();
}

QTEST_MAIN(ComStatusWindowTest)
#include "tst_ComStatusWindow.moc"
