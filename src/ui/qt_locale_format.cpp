#include "ui/qt_locale_format.h"

#include <QDate>
#include <QLocale>
#include <QTime>

namespace ui {

namespace {

// The locale's long time format without its time-zone name; "h:mm:ss" when it shows no seconds.
QString timeFormatWithSeconds()
{
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    format = format.trimmed();
    if (!format.contains(QLatin1Char('s')))
        format = QStringLiteral("h:mm:ss");
    return format;
}

} // namespace

std::string QtLocaleFormat::shortDate(int year, int month, int day) const
{
    return QLocale::system().toString(QDate(year, month, day), QLocale::ShortFormat).toStdString();
}

std::string QtLocaleFormat::longTime(int hour, int minute, int second) const
{
    return QLocale::system().toString(QTime(hour, minute, second), timeFormatWithSeconds()).toStdString();
}

} // namespace ui
