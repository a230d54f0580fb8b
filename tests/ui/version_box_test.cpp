#include "core/shell/version_text.h"
#include "ui/version_box.h"
#include "window_helpers.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using fernhold::test::child;

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

TEST(VersionBox, ShowsThisBuildsVersionAndBothMakerLabelsOpenTheProductPage)
{
    ui::VersionBox box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("つむぎ君"));
    EXPECT_EQ(child<QLabel>(&box, "lblVer")->text().toStdString(),
              core::versionText(FERNHOLD_VERSION_MAJOR, FERNHOLD_VERSION_MINOR, FERNHOLD_VERSION_PATCH));
    EXPECT_FALSE(child<QLabel>(&box, "Image1")->pixmap().isNull());
    // Wine's stand-in fonts (the minimal platform) measure otherwise than the system's.
    if (QGuiApplication::platformName() != QLatin1String("minimal")) {
        EXPECT_EQ(fernhold::test::cutTexts(&box), "");
    }

    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    box.show();
    QTest::mouseClick(child<QLabel>(&box, "lblPro_0"), Qt::LeftButton);
    QTest::mouseClick(child<QLabel>(&box, "lblPro_1"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_EQ(recorder.urls, (QList<QUrl>(2, QUrl(QString::fromUtf8(ui::kProductPage)))));
}

} // namespace

#include "version_box_test.moc"
