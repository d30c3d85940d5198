#include "schedule/ProgramIdentity.h"

#include <QCoreApplication>

void setProgramIdentity()
{
    QCoreApplication::setOrganizationName(QStringLiteral("ZK-480"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("zilsistemi.example.org"));
    QCoreApplication::setApplicationName(QStringLiteral("zilsistemi"));
    QCoreApplication::setApplicationVersion(ProgramVersion);
}
