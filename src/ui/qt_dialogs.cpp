#include "ui/qt_dialogs.h"

#include "ui/program_icon.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
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

// The window a question or chooser belongs to: the modal window open now, else the active one.
QWidget* askingWindow()
{
    QWidget* modal = QApplication::activeModalWidget();
    return modal ? modal : QApplication::activeWindow();
}

// A box that waits for its answer opens over the window that asked (owner); a notice belongs to
// the main window, whichever window is active when it is shown, so it closes with the program.
QMessageBox* makeBox(const std::string& title, const std::string& text, QMessageBox::StandardButtons buttons,
                     QWidget* owner = nullptr)
{
    auto* box = new QMessageBox(QMessageBox::NoIcon, QString::fromStdString(title), visibleText(text), buttons, owner);
    box->setWindowIcon(programIcon());
    return box;
}

// Qt's own chooser, the same on every system and in the program's language. A typed path that
// names no folder is handed back as it stands instead of meeting Qt's own warning: whether the
// folder exists is the caller's question, answered in its own words.
class FolderChooser final : public QFileDialog {
public:
    FolderChooser(QWidget* owner, const QString& title, const QString& startFolder)
        : QFileDialog(owner, title, startFolder)
    {
        setObjectName(QStringLiteral("folderChooser"));
        setWindowIcon(programIcon());
        setOption(QFileDialog::DontUseNativeDialog);
        setOption(QFileDialog::ShowDirsOnly);
        setFileMode(QFileDialog::Directory);
    }

    void accept() override
    {
        const QStringList chosen = selectedFiles();
        if (chosen.size() == 1 && !QFileInfo(chosen.first()).isDir()) {
            QDialog::accept();
            return;
        }
        QFileDialog::accept();
    }
};

} // namespace

void QtDialogs::message(const std::string& title, const std::string& text)
{
    std::unique_ptr<QMessageBox> box(makeBox(title, text, QMessageBox::Ok, askingWindow()));
    box->exec();
}

bool QtDialogs::ask(const std::string& title, const std::string& text)
{
    std::unique_ptr<QMessageBox> box(makeBox(title, text, QMessageBox::Yes | QMessageBox::No, askingWindow()));
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
    FolderChooser chooser(askingWindow(), QString::fromStdString(title), QString::fromStdString(startFolder));
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(chooser.selectedFiles().first()).toStdString();
}

} // namespace ui
