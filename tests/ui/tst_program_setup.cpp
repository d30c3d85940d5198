// What the window program sets before its window opens, and the device each "Com Port" number opens, shown as its tooltip.
#include "support/WindowFixture.h"
#include "ui/MessageBoxDialog.h"
#include "ui/ProgramSetup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

class ProgramSetupTest : public QObject
{
    Q_OBJECT

private slots:
    // Our message boxes' captions, title and text, and again after the
    // program's set-up: its icon, its name, and Qt's own dialogs in Turkish.
    void setUpAndMessageBoxes()
    {
        const QString text = QStringLiteral("Çıkılsın mı?\r\nNOT: ğüşiöç");
        for (bool setUp : {false, true}) {
            if (setUp) {
                setUpWindowProgram(*qApp);
                QVERIFY(!QApplication::windowIcon().pixmap(32).isNull());
                QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("zilsistemi"));
                if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_tr.qm")))
                    QSKIP("Qt's Turkish translation (qt6-translations-l10n) is not installed");
                QCOMPARE(QDialogButtonBox(QDialogButtonBox::Close).button(QDialogButtonBox::Close)->text(), QStringLiteral("Kapat"));
                QVERIFY(installQtTurkish(*qApp));
            }
            QStringList captions;
            QTimer::singleShot(0, this, [&] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                QVERIFY(box);
                QCOMPARE(box->windowTitle(), ApplicationTitle);
                QCOMPARE(box->icon(), QMessageBox::NoIcon);
                QCOMPARE(box->text(), text);
                for (QAbstractButton *button : box->buttons())
                    captions << button->text();
                box->button(QMessageBox::No)->click();
            });
            QCOMPARE(MessageBoxDialog().ask(text, DialogButtons::YesNoCancel), DialogAnswer::No);
            captions.sort();
            QCOMPARE(captions, (QStringList{"Evet", "Hayır", "İptal"}));
        }
    }

    void portTipsNameTheDevice()
    {
        WindowFixture fx;
        const QString present = fx.path("adapter");
        QVERIFY(fx.writeFile("adapter", {}));
        QVERIFY(fx.writeFile("SerialPorts.txt", "1 = " + present.toUtf8() + " # usb adapter\n2 = /dev/zil-no-such-port\n"));
        fx.start();
        auto *list = fx.child<QComboBox>("cmbPortNo");
        QCOMPARE(list->count(), 16);
        QCOMPARE(list->itemData(0, Qt::ToolTipRole).toString(), present);
        QCOMPARE(list->itemData(1, Qt::ToolTipRole).toString(), QStringLiteral("/dev/zil-no-such-port (aygıt bulunamadı)"));
        QVERIFY(list->itemData(15, Qt::ToolTipRole).toString().startsWith(QStringLiteral("/dev/ttyS15")));
    }
};

QTEST_MAIN(ProgramSetupTest)
#include "tst_program_setup.moc"
