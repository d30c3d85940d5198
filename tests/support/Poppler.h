#pragma once

#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QTemporaryFile>

// A poppler tool's output for a PDF: pdftotext's text or pdffonts' table.
inline QString poppler(const QString &tool, QStringList arguments, const QByteArray &pdf)
{
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/XXXXXX.pdf"));
    if (!file.open() || file.write(pdf) != pdf.size() || !file.flush())
        return {};
    QProcess process;
    process.start(tool, arguments << file.fileName() << (tool == u"pdftotext" ? QStringList{"-"} : QStringList{}));
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput());
}
