// The real message boxes: no icon, the application's title, exactly the
// buttons asked for, and the button pressed comes back as the answer.
#include "ui/MessageBoxDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(DialogButtons)
Q_DECLARE_METATYPE(DialogAnswer)
Q_DECLARE_METATYPE(QMessageBox::StandardButton)

class MessageBoxDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void asksWithTheNamedButtons_data()
    {
        QTest::addColumn<DialogButtons>("buttons");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QMessageBox::StandardButton>("press");
        QTest::addColumn<DialogAnswer>("answer");
        const int yesNo = QMessageBox::Yes | QMessageBox::No;
        QTest::newRow("Ok") << DialogButtons::Ok << int(QMessageBox::Ok) << QMessageBox::Ok << DialogAnswer::Ok;
        QTest::newRow("Yes") << DialogButtons::YesNo << yesNo << QMessageBox::Yes << DialogAnswer::Yes;
        QTest::newRow("No") << DialogButtons::YesNo << yesNo << QMessageBox::No << DialogAnswer::No;
        QTest::newRow("Cancel of three") << DialogButtons::YesNoCancel << (yesNo | QMessageBox::Cancel)
                                         << QMessageBox::Cancel << DialogAnswer::Cancel;
        QTest::newRow("Yes of three") << DialogButtons::YesNoCancel << (yesNo | QMessageBox::Cancel)
                                      << QMessageBox::Yes << DialogAnswer::Yes;
    }
    void asksWithTheNamedButtons()
    {
        QFETCH(DialogButtons, buttons);
        QFETCH(int, shown);
        QFETCH(QMessageBox::StandardButton, press);
        QFETCH(DialogAnswer, answer);

        const QString text = QStringLiteral("   Çıkılsın mı?\r\n  NOT: ğüşiöç");
        bool seen = false;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            seen = true;
            QCOMPARE(box->windowTitle(), ApplicationTitle);
            QCOMPARE(box->icon(), QMessageBox::NoIcon);
            QCOMPARE(box->text(), text);
            QCOMPARE(int(box->standardButtons()), shown);
            QStringList captions;
            for (QAbstractButton *button : box->buttons())
                captions << button->text();
            captions.sort();
            QStringList expected;
            for (auto [flag, caption] : {std::pair{QMessageBox::Ok, "Tamam"}, {QMessageBox::Yes, "Evet"},
                                         {QMessageBox::No, "Hayır"}, {QMessageBox::Cancel, "İptal"}})
                if (shown & flag)
                    expected << QString::fromUtf8(caption);
            expected.sort();
            QCOMPARE(captions, expected);
            box->button(press)->click();
        });
        MessageBoxDialog dialog;
        QCOMPARE(dialog.ask(text, buttons), answer);
        QVERIFY(seen);
    }
};

QTEST_MAIN(MessageBoxDialogTest)
#include "tst_messageboxdialog.moc"
