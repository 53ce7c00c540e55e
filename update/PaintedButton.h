#pragma once

#include <QPushButton>

// The update dialogs' buttons: a rounded pill painted by hand so that it looks the same
// on every platform style. Primary buttons carry the brand gradient, secondary ones are
// outlined.
class PaintedButton : public QPushButton
{
    Q_OBJECT
public:
    enum Style
    {
        Primary,
        Secondary
    };

    PaintedButton(const QString& text, Style style, QWidget* parent = nullptr);

    Style buttonStyle() const { return m_style; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor textColor() const;
    void paintPrimary(QPainter& painter, const QRectF& area) const;
    void paintSecondary(QPainter& painter, const QRectF& area) const;

    Style m_style;
};
