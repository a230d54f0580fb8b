#pragma once
// Small helpers for driving windows in tests.

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace fernhold::test {

// Runs `inspect` on the next modal window once it is open (polling, since the opening call
// blocks); `inspect` must close it.
inline void whenModalOpens(std::function<void(QWidget*)> inspect)
{
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, inspect = std::move(inspect)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        inspect(modal);
    });
    poll->start();
}

// The visible top-level window of that object name, or null.
inline QWidget* visibleWindow(const char* name)
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String(name) && widget->isVisible())
            return widget;
    return nullptr;
}

template <typename T> T* child(const QObject* parent, const char* name)
{
    return parent->findChild<T*>(QString::fromUtf8(name));
}

} // namespace fernhold::test
