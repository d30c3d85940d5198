#include "ui/MessageBoxDialog.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <utility>

namespace {
// The code a box ends with when the session closes it: no button's.
constexpr int ClosedBySessionEnd = -1;
} // namespace

DialogAnswer MessageBoxDialog::ask(const QString &text, DialogButtons buttons)
{
    if (m_sessionEnded) {
        qWarning("%s", qUtf8Printable(text));
        return cautiousAnswer(buttons);
    }
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
    m_open = &box;
    switch (box.exec()) {
    case QMessageBox::Yes: return DialogAnswer::Yes;
    case QMessageBox::No: return DialogAnswer::No;
    case QMessageBox::Cancel: return DialogAnswer::Cancel;
    default:
        // Closing a question with Escape, the close box or the session's end is not a Yes.
        return cautiousAnswer(buttons);
    }
}

void MessageBoxDialog::endSession()
{
    m_sessionEnded = true;
    if (m_open)
        m_open->done(ClosedBySessionEnd);
}
