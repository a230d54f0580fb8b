#pragma once
// The preview of one version: its text, its picture, or its size and kind of data.

#include "core/find/preview.h"

#include <QStackedWidget>

class QLabel;
class QPlainTextEdit;

namespace ui {

class PreviewPane final : public QStackedWidget {
public:
    explicit PreviewPane(QWidget* parent = nullptr);

    void show(const core::find::Preview& preview);
    // Nothing chosen, or a line of its own (e.g. while the history is being read).
    void showNote(const QString& note);

private:
    QPlainTextEdit* m_text;
    QLabel* m_picture;
    QLabel* m_note;
    QPixmap m_pixmap; // the picture at its own size, scaled down to the pane as it is shown
    void resizeEvent(QResizeEvent* event) override;
    void fitPicture();
};

} // namespace ui
