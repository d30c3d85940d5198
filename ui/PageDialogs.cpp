#include "ui/PageDialogs.h"

#include <QFileDialog>
#include <QPrintPreviewDialog>

QString QtPageDialogs::pdfFileName(QWidget *parent, const QString &suggested)
{
    return QFileDialog::getSaveFileName(parent, QStringLiteral("PDF olarak kaydet"), suggested, QStringLiteral("PDF dosyası (*.pdf)"));
}

void QtPageDialogs::runPreview(QPrintPreviewDialog &preview)
{
    preview.exec();
}
