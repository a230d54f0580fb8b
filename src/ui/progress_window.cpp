#include "ui/progress_window.h"

#include "core/common/product.h"
#include "ui/program_icon.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace ui {

namespace {
// The bar counts in permille, so totals beyond int's range still fit.
constexpr int kBarSteps = 1000;
} // namespace

ProgressWindow::ProgressWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_member(new QLabel(this)),
      m_counts(new QLabel(this)), m_bar(new QProgressBar(this))
{
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(QString::fromUtf8(core::kProductName));
    setWindowIcon(programIcon());
    setWindowModality(Qt::ApplicationModal);
    m_member->setObjectName(QStringLiteral("lblMember"));
    m_member->setMinimumWidth(320);
    m_bar->setObjectName(QStringLiteral("barProgress"));
    m_bar->setRange(0, kBarSteps);
    m_bar->setValue(0);
    m_counts->setObjectName(QStringLiteral("lblCounts"));
    m_counts->hide(); // until a backup counts its first file
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_member);
    layout->addWidget(m_counts);
    layout->addWidget(m_bar);
}

void ProgressWindow::showProgress(std::uint64_t bytesDone, std::uint64_t bytesTotal, const QString& member)
{
    m_member->setText(member);
    if (bytesTotal > 0)
        m_bar->setValue(int(std::min<std::uint64_t>(bytesDone, bytesTotal) * kBarSteps / bytesTotal));
}

void ProgressWindow::countFile(bool carried)
{
    ++(carried ? m_carried : m_compressed);
    // "Compressed n, carried over unchanged m"
    m_counts->setText(QStringLiteral("圧縮 %1 件　変更なしで引き継ぎ %2 件").arg(m_compressed).arg(m_carried));
    m_counts->show();
}

void ProgressWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

void ProgressWindow::keyPressEvent(QKeyEvent* event)
{
    // Escape would otherwise close the dialog.
    event->ignore();
}

} // namespace ui

// Each window's meta-object code lives with it, so a program links only the windows it uses.
#include "moc_progress_window.cpp"
