#include "web/PrintHandler.h"

#include <QEventLoop>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QWebEnginePage>
#include <QWebEngineView>

PrintHandler::PrintHandler(QObject* parent)
    : QObject(parent)
{ }

void PrintHandler::setPage(QWebEnginePage* page)
{
    m_page = page;
}

QWidget* PrintHandler::dialogParent() const
{
    return m_page ? m_page->view() : nullptr;
}

void PrintHandler::print()
{
    QPrinter printer(QPrinter::ScreenResolution);
    QPrintDialog dialog(&printer, dialogParent());
    if (dialog.exec() == QDialog::Accepted)
        printDocument(&printer);
}

void PrintHandler::printPreview()
{
    if (!m_page || m_inPrintPreview)
        return;
    m_inPrintPreview = true;
    QPrinter printer;
    QPrintPreviewDialog preview(&printer, dialogParent());
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, &PrintHandler::printDocument);
    preview.exec();
    m_inPrintPreview = false;
}

void PrintHandler::printDocument(QPrinter* printer)
{
    if (!m_page)
        return;
    // The page prints asynchronously; the nested loop keeps the window (and the
    // bridge) responsive while it does.
    QEventLoop loop;
    bool printed = false;
    m_page->print(printer, [&loop, &printed](bool success) {
        printed = success;
        loop.quit();
    });
    loop.exec();

    if (!printed) {
        QPainter painter;
        if (painter.begin(printer)) {
            QFont font = painter.font();
            font.setPixelSize(20);
            painter.setFont(font);
            painter.drawText(QPointF(10, 25), QStringLiteral("Could not generate print preview."));
            painter.end();
        }
    }
}
