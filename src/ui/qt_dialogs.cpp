#include "ui/qt_dialogs.h"

#include "ui/program_icon.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace ui {

namespace {

// The core's texts break lines with a lone CR, which a label would not show as a break.
QString visibleText(const std::string& text)
{
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

QMessageBox* makeBox(const std::string& title, const std::string& text, QMessageBox::StandardButtons buttons,
                     QWidget* parent = nullptr)
{
    auto* box = new QMessageBox(QMessageBox::NoIcon, QString::fromStdString(title), visibleText(text), buttons, parent);
    box->setWindowIcon(programIcon());
    return box;
}

} // namespace

void QtDialogs::message(const std::string& title, const std::string& text)
{
    std::unique_ptr<QMessageBox> box(makeBox(title, text, QMessageBox::Ok));
    box->exec();
}

bool QtDialogs::ask(const std::string& title, const std::string& text)
{
    std::unique_ptr<QMessageBox> box(makeBox(title, text, QMessageBox::Yes | QMessageBox::No));
    return box->exec() == QMessageBox::Yes;
}

void QtDialogs::notify(const std::string& title, const std::string& text)
{
    // A failure that repeats every hour would otherwise stack a box per hour; only the newest says
    // anything the person still needs.
    if (m_notice)
        m_notice->close();
    QMessageBox* box = makeBox(title, text, QMessageBox::Ok, m_owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // The program ends with its main window; a notice left open must not keep it running.
    box->setAttribute(Qt::WA_QuitOnClose, false);
    box->setModal(false);
    m_notice = box;
    box->show();
}

std::optional<std::string> QtDialogs::chooseFolder(const std::string& title, const std::string& startFolder,
                                                   const std::string& /*instruction*/)
{
    // A folder chooser needs no "click the folder" text in a file-name field.
    const QString folder =
        QFileDialog::getExistingDirectory(nullptr, QString::fromStdString(title), QString::fromStdString(startFolder));
    if (folder.isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(folder).toStdString();
}

} // namespace ui
