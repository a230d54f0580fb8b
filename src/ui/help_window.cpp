#include "ui/help_window.h"

#include "core/shell/help_pages.h"
#include "ui/program_icon.h"
#include "ui/text_fit.h"
#include "ui/twips.h"

#include <QLabel>
#include <QTextBrowser>
#include <QUrl>

#include <algorithm>

namespace ui {

HelpWindow::HelpWindow(const core::AppState& state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_state(state), m_title(new QLabel(this)), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("frmHelp"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf8(core::kHelpWindowTitle));
    setWindowIcon(programIcon());
    setFixedSize(twipsSize(this, 5925, 7980));
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("QDialog#frmHelp { background-color: rgb(255, 255, 192); }"));

    m_title->setObjectName(QStringLiteral("lbl01"));
    m_title->setGeometry(twipsRect(this, 210, 120, 5415, 345));
    m_title->setAutoFillBackground(true);
    m_title->setStyleSheet(QStringLiteral("background-color: rgb(128, 128, 128); color: white;"));
    QFont titleFont = m_title->font();
    titleFont.setPointSizeF(15.75);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    m_title->setText(QString::fromUtf8(core::kHelpCreationTitle));

    // The strip is as tall as its glyphs need, and the page starts below it.
    fitLabelToText(m_title, rect());
    m_browser->setObjectName(QStringLiteral("WebBrowser1"));
    QRect page = twipsRect(this, 60, 570, 5745, 7305);
    page.setTop(std::max(page.top(), m_title->geometry().bottom() + 4));
    m_browser->setGeometry(page);
    m_browser->setOpenExternalLinks(true);
}

void HelpWindow::Form_Load()
{
    const auto page = core::helpPage(m_state.HelpPage);
    if (!page) {
        m_title->setText(QString::fromUtf8(core::kHelpCreationTitle));
        m_browser->setSource(QUrl());
        m_browser->clear();
        return;
    }
    m_title->setText(QString::fromStdString(page->title));
    const std::string path = core::helpPagePath(m_state.programFolder, m_state.HelpPage);
    m_browser->setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
}

} // namespace ui

// Each window's meta-object code lives with it, so a program links only the windows it uses.
#include "moc_help_window.cpp"
