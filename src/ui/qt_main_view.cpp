#include "ui/qt_main_view.h"

#include <QCoreApplication>

namespace ui {

void QtMainView::setTitle(const std::string& title)
{
    if (m_window)
        m_window->setWindowTitle(QString::fromStdString(title));
}

void QtMainView::processPendingEvents()
{
    QCoreApplication::processEvents();
}

} // namespace ui
