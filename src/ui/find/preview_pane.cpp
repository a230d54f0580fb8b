#include "ui/find/preview_pane.h"

#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>

namespace ui {
namespace {

QString sizeText(std::uint64_t size)
{
    return QStringLiteral("%1 バイト").arg(QLocale(QLocale::Japanese).toString(static_cast<qulonglong>(size)));
}

} // namespace

PreviewPane::PreviewPane(QWidget* parent)
    : QStackedWidget(parent), m_text(new QPlainTextEdit(this)), m_picture(new QLabel(this)), m_note(new QLabel(this))
{
    setObjectName(QStringLiteral("picPreview"));
    m_text->setObjectName(QStringLiteral("txtPreview"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_picture->setObjectName(QStringLiteral("imgPreview"));
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setMinimumSize(1, 1);
    m_note->setObjectName(QStringLiteral("lblPreview"));
    m_note->setAlignment(Qt::AlignCenter);
    m_note->setWordWrap(true);
    addWidget(m_note);
    addWidget(m_text);
    addWidget(m_picture);
}

void PreviewPane::showNote(const QString& note)
{
    m_pixmap = QPixmap();
    m_note->setText(note);
    setCurrentWidget(m_note);
}

void PreviewPane::show(const core::find::Preview& preview)
{
    using core::find::PreviewKind;
    if (preview.kind == PreviewKind::Text) {
        QString text = QString::fromStdString(preview.text);
        if (preview.truncated)
            text += QStringLiteral("\n……（ここまで。全体は %1）").arg(sizeText(preview.size));
        m_text->setPlainText(text);
        setCurrentWidget(m_text);
        return;
    }
    if (preview.kind == PreviewKind::Image) {
        const QByteArray bytes(preview.bytes.data(), static_cast<qsizetype>(preview.bytes.size()));
        if (m_pixmap.loadFromData(bytes)) {
            setCurrentWidget(m_picture);
            fitPicture();
            return;
        }
    }
    if (preview.kind == PreviewKind::Failed) {
        showNote(QStringLiteral("この版は書庫から読み出せませんでした。"));
        return;
    }
    showNote(QStringLiteral("%1\n%2").arg(QString::fromStdString(preview.typeWord), sizeText(preview.size)));
}

void PreviewPane::resizeEvent(QResizeEvent* event)
{
    QStackedWidget::resizeEvent(event);
    fitPicture();
}

// A picture larger than the pane is shown whole, scaled down; a smaller one at its own size.
void PreviewPane::fitPicture()
{
    if (m_pixmap.isNull())
        return;
    const QSize room = m_picture->size();
    const bool fits = m_pixmap.width() <= room.width() && m_pixmap.height() <= room.height();
    m_picture->setPixmap(fits ? m_pixmap : m_pixmap.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

} // namespace ui
