#include "link/HostAddress.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace {

bool isPlainDecimalPart(const QString &part)
{
    static const QRegularExpression decimal(QRegularExpression::anchoredPattern(QStringLiteral("0|[1-9][0-9]{0,2}")));
    return decimal.match(part).hasMatch() && part.toInt() <= 255;
}

} // namespace

QString hostAddressProblem(const QString &host)
{
    const qsizetype percent = host.indexOf(u'%');
    if (percent >= 0) {
        static const QRegularExpression interfaceName(QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9._-]+")));
        QHostAddress address;
        if (!address.setAddress(host.left(percent)) || address.protocol() != QAbstractSocket::IPv6Protocol)
            return QStringLiteral("only an IPv6 address takes a scope after '%'");
        if (!interfaceName.match(host.mid(percent + 1)).hasMatch())
            return QStringLiteral("the scope after '%' is not an interface name");
        return {};
    }
    QHostAddress address;
    if (!address.setAddress(host) || address.protocol() != QAbstractSocket::IPv4Protocol)
        return {};
    const QStringList parts = host.split(u'.');
    if (parts.size() != 4 || !std::all_of(parts.begin(), parts.end(), isPlainDecimalPart))
        return QStringLiteral("an IPv4 address is four decimal parts from 0 to 255 without leading zeros "
                              "(this one would reach %1)")
            .arg(address.toString());
    return {};
}
