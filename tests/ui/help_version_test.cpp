#include "core/app_state.h"
#include "ui/help_window.h"
#include "ui/version_box.h"
#include "window_helpers.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

namespace {

using fernhold::test::child;

TEST(HelpWindow, LoadsTheTitleAndFileOfThePageAndNothingForAPageOutsideTheRange)
{
    core::AppState state;
    state.programFolder = "/opt/fernhold";
    state.HelpPage = 4;
    ui::HelpWindow window(state);
    window.Form_Load();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("つむぎ君：　おたすけ"));
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ(child<QLabel>(&window, "lbl01")->text(), QStringLiteral("  時刻指定で復元（上書き）"));
    EXPECT_EQ(child<QTextBrowser>(&window, "WebBrowser1")->source().toLocalFile(),
              QStringLiteral("/opt/fernhold/help4.html"));
    EXPECT_EQ(fernhold::test::cutTexts(&window), "");
    EXPECT_GT(child<QTextBrowser>(&window, "WebBrowser1")->y(), child<QLabel>(&window, "lbl01")->geometry().bottom());

    state.HelpPage = 8;
    ui::HelpWindow outside(state);
    outside.Form_Load();
    EXPECT_EQ(child<QLabel>(&outside, "lbl01")->text(), QStringLiteral(" ファイルのバックアップ"));
    EXPECT_TRUE(child<QTextBrowser>(&outside, "WebBrowser1")->source().isEmpty());
}

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

TEST(VersionBox, ShowsTheVersionTextAndBothMakerLabelsOpenTheProductPage)
{
    ui::VersionBox box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("つむぎ君"));
    EXPECT_EQ(child<QLabel>(&box, "lblTitle")->text(), QStringLiteral("つむぎ君"));
    EXPECT_EQ(child<QLabel>(&box, "lblVer")->text(), QStringLiteral("Ver %1.%2%3")
                                                         .arg(FERNHOLD_VERSION_MAJOR)
                                                         .arg(FERNHOLD_VERSION_MINOR)
                                                         .arg(FERNHOLD_VERSION_PATCH));
    EXPECT_FALSE(child<QLabel>(&box, "Image1")->pixmap().isNull());
    // Under Wine's minimal platform the texts are measured in Wine's stand-in fonts, not the
    // system's; whether they fit is checked where fonts are drawn.
    if (QGuiApplication::platformName() != QLatin1String("minimal")) {
        EXPECT_EQ(fernhold::test::cutTexts(&box), "");
    }

    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    box.show();
    QTest::mouseClick(child<QLabel>(&box, "lblPro_0"), Qt::LeftButton);
    QTest::mouseClick(child<QLabel>(&box, "lblPro_1"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));

    ASSERT_EQ(recorder.urls.size(), 2);
    EXPECT_EQ(recorder.urls[0], QUrl(QString::fromUtf8(ui::kProductPage)));
    EXPECT_EQ(recorder.urls[1], recorder.urls[0]);
    EXPECT_TRUE(box.isVisible());
}

} // namespace

#include "help_version_test.moc"
