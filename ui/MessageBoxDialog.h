#pragma once

#include "ui/OperatorDialog.h"

#include <QPointer>

class QMessageBox;
class QWidget;

// Asks and tells the operator with modal message boxes: no icon, the
// application's title, exactly the buttons asked for.
class MessageBoxDialog final : public OperatorDialog
{
public:
    explicit MessageBoxDialog(QWidget *parent = nullptr) : m_parent(parent) { }
    void setParent(QWidget *parent) { m_parent = parent; }

    DialogAnswer ask(const QString &text, DialogButtons buttons) override;
    // Closes the open box; what is asked later goes to the error output.
    void endSession() override;

private:
    QWidget *m_parent;
    QPointer<QMessageBox> m_open;
    bool m_sessionEnded = false;
};
