#pragma once

#include <QString>

// Everything the operator is asked or told goes through here: message boxes
// without an icon, with the application's title and the buttons named.
// Tests stand in a scripted dialog that answers and records.
inline const QString ApplicationTitle = QStringLiteral("ZK-480 Zil Kontrol Sistemi V" ZIL_VERSION);

enum class DialogButtons { Ok, YesNo, YesNoCancel };
enum class DialogAnswer { Ok, Yes, No, Cancel };

class OperatorDialog
{
public:
    virtual ~OperatorDialog() = default;

    virtual DialogAnswer ask(const QString &text, DialogButtons buttons) = 0;
    // The session ends: an open question closes with its cautious answer, and
    // later ones get theirs at once, shown to nobody.
    virtual void endSession() { }

    // What closing a box without choosing means: Ok, No, or Cancel.
    static DialogAnswer cautiousAnswer(DialogButtons buttons)
    {
        return buttons == DialogButtons::Ok ? DialogAnswer::Ok : buttons == DialogButtons::YesNo ? DialogAnswer::No : DialogAnswer::Cancel;
    }

    void tell(const QString &text) { ask(text, DialogButtons::Ok); }
    bool confirm(const QString &text) { return ask(text, DialogButtons::YesNo) == DialogAnswer::Yes; }
};
