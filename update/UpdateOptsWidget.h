#pragma once

#include <QWidget>

class PaintedButton;
class QHBoxLayout;
class QSpacerItem;

// The offer's row of choices: skip this version, remind me later, update now.
class UpdateOptsWidget : public QWidget
{
    Q_OBJECT
public:
    explicit UpdateOptsWidget(QWidget* parent = nullptr);

    // A check the user asked for, and a forced update, leave only "update now".
    void hideSkipAndLater();

signals:
    void skip();
    void showNextTime();
    void update();

private:
    PaintedButton* addButton(const QString& text, const QString& name, bool primary);

    QHBoxLayout* m_layout;
    PaintedButton* m_skip;
    QSpacerItem* m_stretch;
    PaintedButton* m_later;
    PaintedButton* m_update;
};
