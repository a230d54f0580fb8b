#include "ui/qt_translation.h"

#include <QCoreApplication>
#include <QTranslator>

namespace ui {

QString qtTranslationFolder()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
}

bool loadQtJapanese(const QString& folder)
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_ja"), folder)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace ui
