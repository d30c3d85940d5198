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

bool isIpv6(const QString &text)
{
    QHostAddress address;
    return address.setAddress(text) && address.protocol() == QAbstractSocket::IPv6Protocol;
}

// A character as a message shows it: printable ones in quotes, others by code.
QString shown(QChar c)
{
    return c.isPrint() ? QStringLiteral("'%1'").arg(c) : QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
}

// The address reader takes blanks, signs and "0x" in IPv6 groups and stops
// at a NUL, so "0::+1", "[ ::1]" and "::1<NUL>x" would all reach ::1: an IPv6
// address is taken only as written with hex digits, colons and the dots of
// an IPv4 end (which the reader takes only in plain decimal).
QString ipv6TextProblem(const QString &address)
{
    static const QRegularExpression written(QStringLiteral("[^0-9A-Fa-f:.]"));
    if (const QRegularExpressionMatch stray = written.match(address); stray.hasMatch())
        return QStringLiteral("an IPv6 address is written with hex digits, ':' and '.' only, not %1").arg(shown(stray.captured()[0]));
    return {};
}

} // namespace

QString hostAddressProblem(const QString &host)
{
    const qsizetype percent = host.indexOf(u'%');
    if (percent >= 0) {
        static const QRegularExpression interfaceName(QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9._-]+")));
        if (!isIpv6(host.left(percent)))
            return QStringLiteral("only an IPv6 address takes a scope after '%'");
        if (const QString problem = ipv6TextProblem(host.left(percent)); !problem.isEmpty())
            return problem;
        if (!interfaceName.match(host.mid(percent + 1)).hasMatch())
            return QStringLiteral("the scope after '%' is not an interface name");
        return {};
    }
    if (isIpv6(host))
        return ipv6TextProblem(host);
    QHostAddress address;
    if (address.setAddress(host) && address.protocol() == QAbstractSocket::IPv4Protocol) {
        const QStringList parts = host.split(u'.');
        if (parts.size() != 4 || !std::all_of(parts.begin(), parts.end(), isPlainDecimalPart))
            return QStringLiteral("an IPv4 address is four decimal parts from 0 to 255 without leading zeros "
                                  "(this one would reach %1)")
                .arg(address.toString());
        return {};
    }
    // A name: the resolver would stop at a NUL and read another name.
    const auto control = std::find_if(host.begin(), host.end(), [](QChar c) { return !c.isPrint() || c.isSpace(); });
    if (control != host.end())
        return QStringLiteral("a host name holds no blank or control character, not %1").arg(shown(*control));
    return {};
}
