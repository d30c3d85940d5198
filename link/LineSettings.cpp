#include "link/LineSettings.h"

#include <QSerialPort>

void applyLineSettings(QSerialPort &port, const LineSettings &line)
{
    static constexpr QSerialPort::Parity Parities[] = {QSerialPort::NoParity, QSerialPort::EvenParity, QSerialPort::OddParity,
                                                       QSerialPort::MarkParity, QSerialPort::SpaceParity};
    static constexpr QSerialPort::StopBits StopBits[] = {QSerialPort::OneStop, QSerialPort::OneAndHalfStop, QSerialPort::TwoStop};
    port.setBaudRate(line.baudRate);
    port.setParity(Parities[int(line.parity)]);
    port.setDataBits(QSerialPort::DataBits(line.dataBits));
    port.setStopBits(StopBits[int(line.stopBits)]);
    port.setFlowControl(QSerialPort::NoFlowControl);
}
