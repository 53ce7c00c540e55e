#pragma once

#include <QObject>

class QPrinter;
class QWebEnginePage;

// Prints the page the student sees through the system print dialog. print() returns
// only when printing has finished, failed or was cancelled.
class PrintHandler : public QObject
{
    Q_OBJECT
public:
    explicit PrintHandler(QObject* parent = nullptr);

    void setPage(QWebEnginePage* page);

public slots:
    void print();
    void printPreview();
    void printDocument(QPrinter* printer);

private:
    QWidget* dialogParent() const;

    QWebEnginePage* m_page = nullptr;
    bool m_inPrintPreview = false;
};
