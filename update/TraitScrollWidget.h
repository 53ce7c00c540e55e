#pragma once

#include <QScrollArea>

class QLabel;

// The release notes. The thin scroll bar shows only while the student is over the notes
// or is dragging it, so short notes read like plain text.
class TraitScrollWidget : public QScrollArea
{
    Q_OBJECT
public:
    explicit TraitScrollWidget(QWidget* parent = nullptr);

    void setText(const QString& msg);

public slots:
    void onSliderPressed();
    void onSliderReleased();

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void updateScrollBar();

    QLabel* m_label;
    bool m_hovered = false;
    bool m_sliderHeld = false;
};
