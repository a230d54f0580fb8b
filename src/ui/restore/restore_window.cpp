#include "ui/restore/restore_window.h"

#include "core/restore/copy_to_folder.h"
#include "core/restore/reload_actions.h"
#include "core/restore/restore_messages.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

namespace ui {
namespace {

// Positions are kept in twips (1/1440 inch) and placed at the screen's logical DPI.
QRect twipsRect(const QWidget* widget, int left, int top, int width, int height)
{
    const int dpiX = widget->logicalDpiX();
    const int dpiY = widget->logicalDpiY();
    return QRect(left * dpiX / 1440, top * dpiY / 1440, width * dpiX / 1440, height * dpiY / 1440);
}

QString fromUtf8(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string toUtf8(const QString& text)
{
    return text.toStdString();
}

QFont controlFont(const QString& family, const QString& fallback, qreal points, bool bold)
{
    QFont result;
    result.setFamilies({family, fallback, QStringLiteral("Noto Sans CJK JP")});
    result.setPointSizeF(points);
    result.setBold(bold);
    return result;
}

QString colours(const char* background, const char* text = nullptr)
{
    QString sheet = QStringLiteral("background-color: %1;").arg(QLatin1String(background));
    if (text)
        sheet += QStringLiteral(" color: %1;").arg(QLatin1String(text));
    return sheet;
}

constexpr int kPathRole = Qt::UserRole;

} // namespace

RestoreWindow::RestoreWindow(core::AppState& state, core::Services& services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_state(state), m_services(services), m_model(state.programFolder, state.ReturnMode, state.setup, services.locale)
{
    setObjectName(QStringLiteral("frmReload"));
    setFixedSize(twipsRect(this, 0, 0, 4755, 1740).size());
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0, 0, 255));
    setPalette(palette);

    buildControls();
    m_cmdReload->setText(fromUtf8(m_model.restoreButtonCaption()));
    for (const std::string& entry : m_model.entries())
        m_cmb01->addItem(fromUtf8(entry));
    showModel();
}

void RestoreWindow::buildControls()
{
    m_cmdRead = new QPushButton(fromUtf8(core::restore::kCopyButtonCaption), this);
    m_cmdRead->setObjectName(QStringLiteral("cmdRead"));
    m_cmdRead->setGeometry(twipsRect(this, 2250, 660, 2475, 285));
    m_cmdRead->setStyleSheet(colours("rgb(128, 128, 255)"));
    m_cmdRead->setAutoDefault(false);

    m_cmb01 = new QComboBox(this);
    m_cmb01->setObjectName(QStringLiteral("cmb01"));
    m_cmb01->setEditable(false);
    m_cmb01->setGeometry(twipsRect(this, 0, 0, 4755, 315));
    m_cmb01->setFont(controlFont(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"), 9.75, true));
    m_cmb01->setStyleSheet(colours("rgb(64, 64, 64)", "rgb(255, 255, 128)"));

    m_File1 = new QListWidget(this);
    m_File1->setObjectName(QStringLiteral("File1"));
    m_File1->setGeometry(twipsRect(this, 2190, 960, 2565, 750));
    m_File1->setFont(controlFont(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"), 8.25, false));
    m_File1->setStyleSheet(colours("rgb(192, 192, 255)"));

    m_cmdReload = new QPushButton(this);
    m_cmdReload->setObjectName(QStringLiteral("cmdReload"));
    m_cmdReload->setGeometry(twipsRect(this, 2250, 360, 2475, 285));
    m_cmdReload->setStyleSheet(colours("rgb(128, 128, 255)"));
    m_cmdReload->setAutoDefault(false);

    m_Dir1 = new QListWidget(this);
    m_Dir1->setObjectName(QStringLiteral("Dir1"));
    m_Dir1->setGeometry(twipsRect(this, 0, 300, 2205, 1455));
    m_Dir1->setStyleSheet(colours("rgb(192, 255, 255)"));

    setTabOrder(m_cmdReload, m_Dir1);
    setTabOrder(m_Dir1, m_File1);
    setTabOrder(m_File1, m_cmb01);
    setTabOrder(m_cmb01, m_cmdRead);
    m_cmdReload->setFocus();

    // Picking the entry already selected still counts: it brings Dir1 back to that slot.
    connect(m_cmb01, &QComboBox::currentIndexChanged, this, &RestoreWindow::cmb01_Click);
    connect(m_cmb01, &QComboBox::activated, this, &RestoreWindow::cmb01_Click);
    connect(m_Dir1, &QListWidget::itemActivated, this, &RestoreWindow::Dir1_Change);
    connect(m_cmdReload, &QPushButton::clicked, this, &RestoreWindow::cmdReload_Click);
    connect(m_cmdRead, &QPushButton::clicked, this, &RestoreWindow::cmdRead_Click);
}

bool RestoreWindow::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        m_model.activate(); // Form_Activate
    return QDialog::event(event);
}

void RestoreWindow::cmb01_Click(int index)
{
    m_model.entryClicked(index);
    showModel();
}

void RestoreWindow::Dir1_Change(QListWidgetItem* item)
{
    if (!item)
        return;
    m_model.folderChanged(toUtf8(item->data(kPathRole).toString()));
    showModel();
}

void RestoreWindow::cmdReload_Click()
{
    if (core::restore::restoreSelectedSlot(m_state, m_services, m_model))
        accept();
}

void RestoreWindow::cmdRead_Click()
{
    if (core::restore::closesWindow(core::restore::copySlotToFolder(m_state, m_services, m_model.slotPath())))
        accept();
}

void RestoreWindow::showModel()
{
    {
        const QSignalBlocker blocker(m_cmb01);
        m_cmb01->setCurrentIndex(m_model.selectedEntry());
    }
    fillDir1(fromUtf8(m_model.dirFolder()));
    fillFile1(fromUtf8(m_model.fileFolder()));
    setWindowTitle(fromUtf8(m_model.title()));
}

// Like a folder list box: the open folder's ancestors from the root down, the open folder
// highlighted, then its subfolders. Activating an entry opens that folder.
void RestoreWindow::fillDir1(const QString& folder)
{
    m_Dir1->clear();
    QStringList chain;
    for (QDir dir(folder);;) {
        chain.prepend(dir.absolutePath());
        if (!dir.cdUp())
            break;
    }
    int depth = 0;
    for (const QString& path : chain) {
        const QString name = QDir(path).isRoot() ? QDir::toNativeSeparators(path) : QDir(path).dirName();
        auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + name, m_Dir1);
        item->setData(kPathRole, QDir::toNativeSeparators(path));
        ++depth;
    }
    m_Dir1->setCurrentRow(m_Dir1->count() - 1);
    const QStringList subfolders =
        QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : subfolders) {
        auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + name, m_Dir1);
        item->setData(kPathRole, QDir::toNativeSeparators(QDir(folder).filePath(name)));
    }
}

void RestoreWindow::fillFile1(const QString& folder)
{
    m_File1->clear();
    m_File1->addItems(QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
}

} // namespace ui
