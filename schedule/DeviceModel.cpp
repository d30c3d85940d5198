#include "schedule/DeviceModel.h"

std::optional<DeviceModel> modelFromNumber(int number)
{
    if (number < 0 || number >= ModelCount)
        return std::nullopt;
    return DeviceModel(number);
}

QString lineSettingsText(const LineSettings &line)
{
    static constexpr char16_t ParityLetters[] = u"neoms";
    static constexpr QStringView StopBitsTexts[] = {u"1", u"1.5", u"2"};
    return QStringLiteral("%1,%2,%3,%4")
        .arg(line.baudRate)
        .arg(QChar(ParityLetters[int(line.parity)]))
        .arg(line.dataBits)
        .arg(StopBitsTexts[int(line.stopBits)]);
}
