#pragma once
// Small helpers for driving windows in tests.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>

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

// The labels, buttons and check boxes of `window` that cut their text: lower than the font's line
// (a button also needs room for its frame), narrower than the text, or reaching past the window.
inline std::string cutTexts(const QWidget* window)
{
    std::string cut;
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        const auto* box = qobject_cast<const QCheckBox*>(widget);
        const auto* button = qobject_cast<const QPushButton*>(widget);
        const auto* label = qobject_cast<const QLabel*>(widget);
        const QString text = box ? box->text() : button ? button->text() : label ? label->text() : QString();
        if (text.isEmpty() || !widget->isVisibleTo(window))
            continue;
        const int needed = box ? 0 : widget->fontMetrics().height() + (button ? 6 : 0);
        const QRect shown(widget->mapTo(window, QPoint(0, 0)),
                          QSize(widget->fontMetrics().horizontalAdvance(text), widget->height()));
        if (widget->height() < needed || (box && box->width() < box->sizeHint().width()) ||
            !window->rect().contains(shown))
            cut += widget->objectName().toStdString() + " ";
    }
    return cut;
}

template <typename T> T* child(const QObject* parent, const char* name)
{
    return parent->findChild<T*>(QString::fromUtf8(name));
}

} // namespace fernhold::test
