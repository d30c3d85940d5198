#include "link/LinkOptions.h"

#include "link/HostAddress.h"
#include "schedule/SettingsFile.h"

#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace {

constexpr qsizetype LongestHostName = 253;

bool isDottedQuad(const QString &host)
{
    static const QRegularExpression quad(
        QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{1,3}\\.[0-9]{1,3}\\.[0-9]{1,3}\\.[0-9]{1,3}")));
    QHostAddress address;
    return quad.match(host).hasMatch() && address.setAddress(host);
}

bool isHostName(const QString &host)
{
    static const QRegularExpression label(
        QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?")));
    static const QRegularExpression numeric(QRegularExpression::anchoredPattern(QStringLiteral("[0-9.]+")));
    if (host.isEmpty() || host.size() > LongestHostName || numeric.match(host).hasMatch())
        return false; // numbers and dots only: an IPv4 address or nothing
    const QStringList labels = host.split(u'.');
    return std::all_of(labels.begin(), labels.end(), [](const QString &l) { return label.match(l).hasMatch(); });
}

// A scope ("%eth0") is checked with the rest of the address below.
bool isIpv6Address(const QString &host)
{
    QHostAddress address;
    return address.setAddress(host.section(u'%', 0, 0)) && address.protocol() == QAbstractSocket::IPv6Protocol;
}

} // namespace

Result<LinkSettings> parseTcpTarget(const QString &text)
{
    const QString given = text.trimmed();
    QString host = given;
    std::optional<QString> port; // present when a colon introduces one
    bool bracketed = false;
    if (given.startsWith(u'[')) {
        const qsizetype close = given.indexOf(u']');
        const QString rest = close < 0 ? QString() : given.mid(close + 1);
        if (close < 0 || !(rest.isEmpty() || rest.startsWith(u':')))
            return failure(QStringLiteral("--tcp: '%1' is not [IPv6 address] or [IPv6 address]:PORT").arg(text));
        host = given.mid(1, close - 1);
        if (!rest.isEmpty())
            port = rest.mid(1);
        bracketed = true;
    } else if (given.count(u':') == 1) {
        host = given.section(u':', 0, 0);
        port = given.section(u':', 1);
    }

    const bool ipv6 = (bracketed || given.count(u':') > 1) && isIpv6Address(host);
    if (!ipv6 && !isDottedQuad(host) && !isHostName(host))
        return failure(QStringLiteral("--tcp: '%1' is not a host name or an IP address").arg(host));
    if (const QString problem = hostAddressProblem(host); !problem.isEmpty())
        return failure(QStringLiteral("--tcp: '%1': %2").arg(host, problem));

    LinkSettings target;
    target.transport = LinkTransport::Tcp;
    target.host = host;
    target.tcpPort = DefaultTcpPort;
    if (port) {
        static const QRegularExpression digits(QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{1,5}")));
        const int number = digits.match(*port).hasMatch() ? port->toInt() : 0;
        if (number < LowestTcpPort || number > HighestTcpPort)
            return failure(QStringLiteral("--tcp: port '%1' is not a number from 1 to 65535").arg(*port));
        target.tcpPort = number;
    }
    return target;
}

Result<LinkSettings> parseSerialTarget(const QString &text, const SerialPortMap &portMap)
{
    const QString given = text.trimmed();
    if (given.isEmpty())
        return failure(QStringLiteral("--serial: give a device path or a port number from 1 to 16"));
    LinkSettings target;
    target.transport = LinkTransport::Serial;
    static const QRegularExpression digits(QRegularExpression::anchoredPattern(QStringLiteral("[0-9]+")));
    if (digits.match(given).hasMatch()) {
        bool ok = false;
        const int number = given.toInt(&ok);
        if (!ok || number < 1 || number > SerialPortCount)
            return failure(QStringLiteral("--serial: port '%1' is not a port number from 1 to 16").arg(given));
        target.serialDevice = portMap.deviceName(number);
    } else {
        target.serialDevice = given;
    }
    return target;
}

QString linkIdentity(const LinkSettings &link)
{
    if (link.transport == LinkTransport::Serial) {
        const QFileInfo device(link.serialDevice);
        const QString canonical = device.canonicalFilePath();
        return QStringLiteral("serial ") + (canonical.isEmpty() ? QDir::cleanPath(device.absoluteFilePath()) : canonical);
    }
    QString host = link.host.toLower();
    if (QHostAddress address; address.setAddress(link.host)) {
        // An IPv4 address written inside IPv6 ("::ffff:10.0.0.5") reaches the IPv4 host.
        bool mapped = false;
        const quint32 ipv4 = address.toIPv4Address(&mapped);
        host = mapped ? QHostAddress(ipv4).toString() : address.toString();
    }
    return QStringLiteral("tcp %1 %2").arg(host).arg(link.tcpPort);
}
