#pragma once

#include "AnswerChannel.h"

#include <QString>

class QSocketNotifier;

namespace zilsim {

// The controller's serial line: a pseudo-terminal whose device path the
// program opens as its serial port. The simulator keeps the slave side open
// itself, so the master never reports a hang-up when the program closes the
// port (a notifier would otherwise fire without end). Nor does it learn when
// the program closes the port, so the line's session (program mode) lasts
// until the next "%CM" request.
class SerialLine final : public AnswerChannel
{
    Q_OBJECT

public:
    // Output waiting for a reader beyond this is dropped, oldest first.
    static constexpr int MaxPendingOutput = 64 * 1024;

    explicit SerialLine(QObject *parent = nullptr);
    ~SerialLine() override;

    bool open(QString *error);
    QString devicePath() const { return m_devicePath; }
    bool isTcp() const override { return false; }

protected:
    void writeBytes(const QByteArray &bytes) override;
    void dropLink() override { } // a serial line cannot be dropped: stays silent

private:
    void readMaster();
    void flushPending();
    void closeAll();

    int m_master = -1;
    int m_slave = -1;
    QString m_devicePath;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QByteArray m_pending;
};

} // namespace zilsim
