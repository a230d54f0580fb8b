#include "ui/version_box.h"

#include "core/common/product.h"
#include "core/shell/version_text.h"
#include "ui/program_icon.h"
#include "ui/text_fit.h"
#include "ui/twips.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

namespace ui {

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

VersionBox::VersionBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmVersion"));
    setWindowTitle(QString::fromUtf8(core::kProductName));
    setWindowIcon(programIcon());
    setFixedSize(twipsSize(this, 3240, 1950));
    setStyleSheet(QStringLiteral("QDialog#frmVersion { background-color: rgb(64, 64, 64); }"));

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setGeometry(twipsRect(this, -90, -90, 3345, 2055));
    picture->setPixmap(QPixmap(QStringLiteral(":/fernhold/version_back.jpg")));
    picture->setScaledContents(true);

    QLabel* title = addLabel(QStringLiteral("lblTitle"), QString::fromUtf8(core::kProductName),
                             twipsRect(this, 90, 540, 2235, 345), QColor(255, 255, 128));
    QFont titleFont = title->font();
    titleFont.setPointSizeF(15.75);
    titleFont.setItalic(true);
    title->setFont(titleFont);

    m_version = addLabel(QStringLiteral("lblVer"), QStringLiteral("Ver 0.01"), twipsRect(this, 2280, 600, 1155, 315),
                         QColor(255, 255, 0));
    QFont versionFont = m_version->font();
    versionFont.setPointSize(12);
    m_version->setFont(versionFont);

    const QRect makerRects[] = {twipsRect(this, 120, 1500, 2505, 255), twipsRect(this, 630, 1680, 2505, 255)};
    const QString makerTexts[] = {QString::fromUtf8(kMakerName), QString::fromUtf8(kMakerAddress)};
    for (int i = 0; i < 2; ++i) {
        auto* label = new ClickableLabel(makerTexts[i], this);
        label->setObjectName(QStringLiteral("lblPro_%1").arg(i));
        label->setGeometry(makerRects[i]);
        label->setStyleSheet(QStringLiteral("color: rgb(0, 255, 255); background: transparent;"));
        label->setCursor(Qt::PointingHandCursor);
        connect(label, &ClickableLabel::clicked, this, &VersionBox::lblPro_Click);
    }
    findChild<QLabel*>(QStringLiteral("lblPro_1"))
        ->setToolTip(QStringLiteral("%1にジャンプします").arg(QString::fromUtf8(kMakerName)));
    Form_Load();
}

QLabel* VersionBox::addLabel(const QString& name, const QString& text, QRect rect, const QColor& color)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(name);
    label->setGeometry(rect);
    label->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(color.name()));
    return label;
}

void VersionBox::Form_Load()
{
    m_version->setText(QString::fromStdString(
        core::versionText(FERNHOLD_VERSION_MAJOR, FERNHOLD_VERSION_MINOR, FERNHOLD_VERSION_PATCH)));
    // Every text whole and inside the box, however wide the version grows.
    for (QLabel* label : findChildren<QLabel*>())
        if (!label->text().isEmpty())
            fitLabelToText(label, rect().adjusted(2, 2, -2, -2));
}

void VersionBox::lblPro_Click()
{
    // Whether a browser opens is the desktop's affair; the box stays open either way.
    QDesktopServices::openUrl(QUrl(QString::fromUtf8(kProductPage)));
}

} // namespace ui

// Each window's meta-object code lives with it, so a program links only the windows it uses.
#include "moc_version_box.cpp"
