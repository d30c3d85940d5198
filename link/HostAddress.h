#pragma once

#include <QString>

// Why a host text must not be connected to; empty when it may. The resolver
// also reads "192.168.001.010" (octal parts), "127.1" or "0x7f.0.0.1" as IPv4
// addresses, each another host than the one it seems to name, so an IPv4
// address is taken only as four plain decimal parts. An IPv6 scope is only an
// interface name: letters, digits, ".", "_" and "-".
QString hostAddressProblem(const QString &host);
