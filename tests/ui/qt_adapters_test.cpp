#include "core/shell/pick_folder.h"
#include "support/temp_folder.h"
#include "ui/qt_dialogs.h"
#include "ui/qt_locale_format.h"
#include "window_helpers.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>

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

// Qt's own button texts come from its Japanese catalogue, whatever the locale.
TEST(QtDialogs, QuestionsHaveJapaneseYesAndNoAndGoAheadOnlyOnYes)
{
    ui::QtDialogs dialogs;
    for (const auto answer : {QMessageBox::Yes, QMessageBox::No}) {
        QStringList texts;
        whenModalOpens([&texts, answer](QWidget* window) {
            auto* box = qobject_cast<QMessageBox*>(window);
            ASSERT_NE(box, nullptr);
            for (QAbstractButton* button : box->buttons())
                texts << button->text().remove(QLatin1Char('&'));
            box->button(answer)->click();
        });
        EXPECT_EQ(dialogs.ask("t", "q"), answer == QMessageBox::Yes);
        texts.sort();
        EXPECT_EQ(texts, (QStringList{QStringLiteral("いいえ(N)"), QStringLiteral("はい(Y)")}));
    }
}

// A folder typed into the chooser that does not exist reaches the picker's own message, not a
// warning of the chooser's.
TEST(QtDialogs, MissingFolderTypedIntoTheChooserMeetsOurMessage)
{
    fernhold::test::TempFolder temp;
    ui::QtDialogs dialogs;
    core::SetupRecord record;
    record.BackupFolder = temp.path();
    QString accept;
    QString message;
    whenModalOpens([&](QWidget* window) {
        auto* chooser = qobject_cast<QFileDialog*>(window);
        ASSERT_NE(chooser, nullptr);
        auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setFocus();
        name->setText(QString::fromStdString(temp.file("ない")));
        accept = chooser->findChild<QDialogButtonBox*>()->buttons().first()->text();
        whenModalOpens([&, open = QPointer<QFileDialog>(chooser)](QWidget* next) {
            auto* box = qobject_cast<QMessageBox*>(next);
            ASSERT_NE(box, nullptr);
            message = box->text();
            box->accept();
            // A chooser that stayed open after its own warning must not hang the test.
            if (open)
                open->reject();
        });
        QTest::keyClick(name, Qt::Key_Return);
    });
    const fernhold::test::TempFolder programFolder;
    EXPECT_EQ(core::PickFolder(record, dialogs, programFolder.path()), "Cancel");
    EXPECT_EQ(message.toStdString(), core::kFolderMissingMessage);
    EXPECT_EQ(record.BackupFolder, temp.path());
    EXPECT_FALSE(accept.contains(QStringLiteral("Choose"))) << accept.toStdString();
}

} // namespace
