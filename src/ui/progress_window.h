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
    // A backup's files, counted apart: compressed, or carried unchanged from the earlier backup.
    void countFile(bool carried);

protected:
    // The archive command cannot be stopped halfway from here; the window closes when it ends.
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* m_member;
    QLabel* m_counts;
    QProgressBar* m_bar;
    int m_compressed = 0;
    int m_carried = 0;
};

} // namespace ui
