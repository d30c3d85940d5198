#pragma once

#include <QString>

class QPrintPreviewDialog;
class QWidget;

// The two dialogs of printing, behind one seam: tests answer the file
// dialog and look at the preview instead of running them modally.
class PageDialogs
{
public:
    virtual ~PageDialogs() = default;

    // The file a PDF goes to, starting from `suggested`; empty when cancelled.
    virtual QString pdfFileName(QWidget *parent, const QString &suggested) = 0;
    // Runs the preview the window has built; it paints on request.
    virtual void runPreview(QPrintPreviewDialog &preview) = 0;
};

class QtPageDialogs final : public PageDialogs
{
public:
    QString pdfFileName(QWidget *parent, const QString &suggested) override;
    void runPreview(QPrintPreviewDialog &preview) override;
};
