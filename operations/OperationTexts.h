#pragma once

#include "link/LinkLock.h"

#include <QString>

// What the operator reads during the device work, word for word.
namespace OperationText {

inline const QString AskSendCalendar = QStringLiteral("Zil takvimini Zil Kontrol Cihazı'na göndermek istiyor musunuz?");
inline const QString AskReceiveCalendar = QStringLiteral("Zil takvimini Zil Kontrol Cihazı'ndan almak istiyor musunuz?");

inline const QString SerialPortFailed = QStringLiteral("Haberleşme Portu Açılamadı");
inline const QString TcpPortFailed = QStringLiteral("TCPIP Portu Açılamadı");
inline const QString ControllerBusy = QStringLiteral("Zil Kontrol Cihazı başka bir program tarafından kullanılıyor.");

inline const QString EnteringProgramMode = QStringLiteral("Zil Kontrol Cihazı program moduna alınıyor...");
inline const QString ProgramModeFailed = QStringLiteral("Zil Kontrol Cihazı program moduna alınamadı");
inline const QString Cancelled = QStringLiteral("İşlem operatör tarafından iptal edildi!");

inline const QString Sending = QStringLiteral("Zil takvimi gönderiliyor...%");
inline const QString SendSucceeded = QStringLiteral("Zil Kontrol Cihazı'na zil takvimi başarı ile yüklendi.");
inline const QString BlockSendFailed = QStringLiteral("Zil Kontrol Cihazı'na zil takvimi yüklenemedi");
inline const QString RecordSendFailed = QStringLiteral("Hata, Zil takvimi gönderilemedi!");

inline const QString Receiving = QStringLiteral("Zil takvimi Zil Kontrol Cihazı okuyucudan alınıyor...%");
inline const QString ReceiveSucceeded = QStringLiteral("Zil takvimi Zil Kontrol Cihazı'ndan alındı.");
inline const QString ReceiveFailed = QStringLiteral("Hata, zil takvimi Zil Kontrol Cihazı'ndan alınamadı");

inline const QString ClockSet = QStringLiteral("Zil Kontrol Cihazı saati ayarlandı");
inline const QString ClockSetFailed = QStringLiteral("Hata, Zil Kontrol Cihazı saati ayarlanamadı");
inline const QString ClockReadFailed = QStringLiteral("Hata, Zil Kontrol Cihazı saati alınamadı");

inline const QString RelayTestNotOnV1 = QStringLiteral("Bu fonksiyon sadece ZK-480 V2 ve üst model cihazlarda mevcuttur");
inline const QString RelayTestDone = QStringLiteral("İşlem başarı ile gerçekleştirildi");
inline const QString RelayTestFailed = QStringLiteral("Hata, İşlem gerçekleştirilemedi!");

// A status line with the whole percent of the work done: "...%37".
inline QString withPercent(const QString &prefix, qint64 done, qint64 whole)
{
    return prefix + QString::number(whole > 0 ? done * 100 / whole : 0);
}

// ControllerBusy with its holder: "... kullanılıyor (zilctl, süreç 1234)."
inline QString controllerBusy(const LockHolder &holder)
{
    if (holder.program.isEmpty())
        return ControllerBusy;
    return ControllerBusy.chopped(1) + QStringLiteral(" (%1, süreç %2).").arg(holder.program).arg(holder.pid);
}

} // namespace OperationText
