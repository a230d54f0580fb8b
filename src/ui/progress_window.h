#pragma once
// The small window shown while a long archive command runs: the member in work and a bar.

#include <QDialog>

#include <cstdint>

class QLabel;
class QProgressBar;

namespace ui {

class ProgressWindow final : public QDialog {
    Q_OBJECT
public:
    explicit ProgressWindow(QWidget* parent = nullptr);

    void showProgress(std::uint64_t bytesDone, std::uint64_t bytesTotal, const QString& member);

protected:
    // The archive command cannot be stopped halfway from here; the window closes when it ends.
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* m_member;
    QProgressBar* m_bar;
};

} // namespace ui
