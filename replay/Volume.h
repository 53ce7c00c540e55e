#pragma once

#include <QWidget>

class QLabel;
class QSlider;

// The volume pop-up above the control bar: a vertical slider under its percentage.
class Volume : public QWidget
{
    Q_OBJECT
public:
    explicit Volume(QWidget* parent = nullptr);

    // 0 to 1.
    float volume() const;
    void setVolume(float volume);

signals:
    void volumeChanged(float volume);
    void isSoundWidgetShow(bool isShow);

public slots:
    void onVolumeValueChanged(int value);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QSlider* m_slider;
    QLabel* m_label;
};
