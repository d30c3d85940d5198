#include "ui/MessageBoxDialog.h"

#include <QMessageBox>

DialogAnswer MessageBoxDialog::ask(const QString &text, DialogButtons buttons)
{
    QMessageBox::StandardButtons shown = QMessageBox::Ok;
    if (buttons == DialogButtons::YesNo)
        shown = QMessageBox::Yes | QMessageBox::No;
    else if (buttons == DialogButtons::YesNoCancel)
        shown = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;

    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle, text, shown, m_parent);
    switch (box.exec()) {
    case QMessageBox::Yes: return DialogAnswer::Yes;
    case QMessageBox::No: return DialogAnswer::No;
    case QMessageBox::Cancel: return DialogAnswer::Cancel;
    default:
        // Closing a question with Escape or the close box is not a Yes.
        return buttons == DialogButtons::Ok ? DialogAnswer::Ok
             : buttons == DialogButtons::YesNoCancel ? DialogAnswer::Cancel
                                                      : DialogAnswer::No;
    }
}
