#pragma once

#include <QWidget>

class MyLabel;
class QLabel;
class QTimer;

// One entry of a device list: the device's name, and a tick while it is the chosen one.
class SelectItem : public QWidget
{
    Q_OBJECT

public:
    explicit SelectItem(const QString& text, QWidget* parent = nullptr);

    QString text() const;
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);

    static constexpr int kWidth = 323;
    static constexpr int kHeight = 30;

signals:
    // A left click on the entry, once its short highlight is over.
    void clicked();

private:
    void onLabelClicked();
    void onHighlightOver();
    void showState(bool highlighted);

    MyLabel* m_label;
    QLabel* m_tick;
    QTimer* m_highlight;
    bool m_selected = false;
};
