#include "ui/PortListTips.h"

#include "link/SerialPortMap.h"

#include <QComboBox>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace {
bool deviceExists(const QString &device)
{
#ifdef Q_OS_WIN
    return !QSerialPortInfo(device).isNull();
#else
    // Pseudo-terminals and adapters without a driver entry are not listed by
    // the serial port enumeration, but they are files.
    return QFileInfo::exists(device);
#endif
}
} // namespace

QString portListTip(const SerialPortMap &map, int portNumber)
{
    const QString device = map.deviceName(portNumber);
    if (deviceExists(device))
        return device;
    return QStringLiteral("%1 (aygıt bulunamadı)").arg(device);
}

void setPortListTips(QComboBox *list, const QString &dataDirectory)
{
    const SerialPortMap map = SerialPortMap::fromDirectory(dataDirectory);
    for (int index = 0; index < list->count(); ++index)
        list->setItemData(index, portListTip(map, index + 1), Qt::ToolTipRole);
}
