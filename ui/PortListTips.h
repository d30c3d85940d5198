#pragma once

#include <QString>

class QComboBox;
class SerialPortMap;

// What port number N of the "Com Port" list opens on this machine, for its
// tooltip: the device from the port map, and whether that device is missing.
QString portListTip(const SerialPortMap &map, int portNumber);

// Gives item k of the list (port k + 1) its tip, from the port map in the
// data folder as it is now.
void setPortListTips(QComboBox *list, const QString &dataDirectory);
