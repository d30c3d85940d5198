#include "ui/MessageBoxDialog.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <utility>

DialogAnswer MessageBoxDialog::ask(const QString &text, DialogButtons buttons)
{
    QMessageBox::StandardButtons shown = QMessageBox::Ok;
    if (buttons == DialogButtons::YesNo)
        shown = QMessageBox::Yes | QMessageBox::No;
    else if (buttons == DialogButtons::YesNoCancel)
        shown = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;

    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle, text, shown, m_parent);
    // The window speaks Turkish whatever the desktop's language.
    for (const auto &[button, caption] : {std::pair{QMessageBox::Ok, u"Tamam"},
                                          {QMessageBox::Yes, u"Evet"},
                                          {QMessageBox::No, u"Hayır"},
                                          {QMessageBox::Cancel, u"İptal"}}) {
        if (QAbstractButton *shownButton = box.button(button))
            shownButton->setText(QString::fromUtf16(caption));
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return DialogAnswer::Yes;
    case QMessageBox::No: return DialogAnswer::No;
    case QMessageBox::Cancel: return DialogAnswer::Cancel;
    default:
        // Closing a question with Escape or the close box is not a Yes.
        return buttons == DialogButtons::Ok            ? DialogAnswer::Ok
               : buttons == DialogButtons::YesNoCancel ? DialogAnswer::Cancel
                                                       : DialogAnswer::No;
    }
}
