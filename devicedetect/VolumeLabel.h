#pragma once

#include <QLabel>

class QTimer;

// The microphone's level meter: a row of thin bars, the first ones lit as loud as the
// microphone is.
class VolumeLabel : public QLabel
{
    Q_OBJECT

public:
    explicit VolumeLabel(QWidget* parent = nullptr);

    // Lights volume / maximum of the bars, rounded down; none when maximum is 0.
    void setVolume(unsigned int volume, unsigned int maximum);
    int level() const { return m_level; }

    static constexpr int kBars = 45;
    static constexpr int kBarPitch = 6;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer* m_repaint;
    int m_level = 0;
};
