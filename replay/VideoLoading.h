#pragma once

#include <QWidget>

class QLabel;
class QStackedLayout;
class SequenceFrame;

// The overlay over the replay's video: a loading animation while the video starts or
// recovers, a message with a retry button, and the "重播" page at the end.
class VideoLoading : public QWidget
{
    Q_OBJECT
public:
    enum Page
    {
        LoadingPage,
        MessagePage,
        ReplayPage
    };

    explicit VideoLoading(QWidget* parent = nullptr);

    // text: a line under the animation, in plain words for the student.
    void showLoading(const QString& text);
    void showMessage(const QString& text);
    void showReplay();
    Page page() const;

signals:
    void notifyRetryClicked();
    void notifyReplayClicked();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* createLoadingPage();
    QWidget* createMessagePage();
    QWidget* createReplayPage();
    void showPage(Page page);

    QStackedLayout* m_pages;
    SequenceFrame* m_animation = nullptr;
    QLabel* m_loadingText = nullptr;
    QLabel* m_messageText = nullptr;
};
