#pragma once

#include <QObject>
#include <QString>

// One per web view. Its signals are the view's hooks for scripts to run in the page
// and for page changes; the view connects sigResponse to its script runner.
class DHBridge : public QObject
{
    Q_OBJECT
public:
    explicit DHBridge(QObject* parent = nullptr);

signals:
    // msg is a complete script to run in the page.
    void sigResponse(QString msg);
    void sigPageChanged();
};
