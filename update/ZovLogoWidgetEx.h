#pragma once

#include <QWidget>

class QLabel;

// The updating dialog's brand header: icon, program name, a line that tells what is
// going on (it may carry a link) and, once a download runs, its progress in figures.
class ZovLogoWidgetEx : public QWidget
{
    Q_OBJECT
public:
    explicit ZovLogoWidgetEx(QWidget* parent = nullptr);

    void setLineText(const QString& text);
    void setProgress(float value);
    void hideProgress();

public slots:
    void onOpenUrl(QString url);

private:
    QLabel* m_line;
    QLabel* m_progress;
};
