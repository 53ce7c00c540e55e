#pragma once

#include <QApplication>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <functional>

// Polls with timer until a visible modal dialog of type Dialog is active, then stops the
// timer and hands the dialog over.
template<typename Dialog> void answerModal(QTimer* timer, std::function<void(Dialog*)> answer)
{
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        answer(dialog);
    });
    timer->start();
}

// Answers the next modal dialog of type Dialog that the code under test opens and
// runs: the test says how, the watcher waits for it to appear.
template<typename Dialog> class ModalWatcher
{
public:
    explicit ModalWatcher(std::function<void(Dialog*)> answer)
    {
        m_timer.setInterval(50);
        answerModal<Dialog>(&m_timer, [this, answer](Dialog* dialog) {
            m_answered = true;
            answer(dialog);
        });
    }

    bool answered() const { return m_answered; }

private:
    QTimer m_timer;
    bool m_answered = false;
};

// The same for a test that cannot keep a watcher in scope, such as one whose code under
// test runs the dialog from a helper: the poll removes itself once it has answered.
template<typename Dialog> void whenModalShown(std::function<void(Dialog*)> answer)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    answerModal<Dialog>(poll, [poll, answer](Dialog* dialog) {
        poll->deleteLater();
        answer(dialog);
    });
}
