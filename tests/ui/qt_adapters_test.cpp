#include "ui/qt_dialogs.h"
#include "ui/qt_locale_format.h"
#include "window_helpers.h"

#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using fernhold::test::whenModalOpens;

TEST(QtDialogs, MessagesShowCrAsLineBreaksWithoutAnIcon)
{
    ui::QtDialogs dialogs;
    QString text;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QString title;
    whenModalOpens([&](QWidget* window) {
        auto* box = qobject_cast<QMessageBox*>(window);
        ASSERT_NE(box, nullptr);
        text = box->text();
        icon = box->icon();
        title = box->windowTitle();
        box->accept();
    });
    dialogs.message("つむぎ君", "一行目\r二行目");
    EXPECT_EQ(text, QStringLiteral("一行目\n二行目"));
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_EQ(title, QStringLiteral("つむぎ君"));
}

TEST(QtDialogs, QuestionsGoAheadOnlyOnYes)
{
    ui::QtDialogs dialogs;
    for (const auto answer : {QMessageBox::Yes, QMessageBox::No}) {
        whenModalOpens([answer](QWidget* window) {
            auto* box = qobject_cast<QMessageBox*>(window);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
            box->button(answer)->click();
        });
        EXPECT_EQ(dialogs.ask("t", "q"), answer == QMessageBox::Yes);
    }
}

TEST(QtDialogs, NoticesDoNotBlockTheCaller)
{
    ui::QtDialogs dialogs;
    dialogs.notify("つむぎ君", "終了\rしました");
    QMessageBox* shown = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
            shown = box;
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(shown->isModal());
    EXPECT_EQ(shown->text(), QStringLiteral("終了\nしました"));
    shown->close();
}

TEST(QtLocaleFormat, TimesAlwaysCarrySeconds)
{
    const std::string time = ui::QtLocaleFormat().longTime(14, 5, 9);
    EXPECT_NE(time.find("05"), std::string::npos) << time;
    EXPECT_NE(time.find("09"), std::string::npos) << time;
}

} // namespace
