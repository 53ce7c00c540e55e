#pragma once

#include <QWidget>

// The download bar: a grey track with the done part filled in the brand gradient.
class UpdateProgressWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int BarWidth = 360;

    explicit UpdateProgressWidget(QWidget* parent = nullptr);

    // value is the fraction done, 0 to 1.
    void setValue(float value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_filledWidth = 0;
};
