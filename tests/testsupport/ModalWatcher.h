#pragma once

#include <QApplication>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <functional>

// Answers the next modal dialog of type Dialog that the code under test opens and
// runs: the test says how, the watcher waits for it to appear.
template<typename Dialog> class ModalWatcher
{
public:
    explicit ModalWatcher(std::function<void(Dialog*)> answer)
        : m_answer(std::move(answer))
    {
        m_timer.setInterval(50);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }

    bool answered() const { return m_answered; }

private:
    void poll()
    {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        m_timer.stop();
        m_answered = true;
        m_answer(dialog);
    }

    std::function<void(Dialog*)> m_answer;
    QTimer m_timer;
    bool m_answered = false;
};

// The same for a test that cannot keep a watcher in scope, such as one whose code under
// test runs the dialog from a helper: the poll removes itself once it has answered.
template<typename Dialog> void whenModalShown(std::function<void(Dialog*)> answer)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        answer(dialog);
    });
    poll->start();
}
