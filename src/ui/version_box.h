#pragma once
// frmVersion: product name and version over the background picture, and the maker's name and
// address, either of which opens the product page in the browser.

#include <QDialog>
#include <QLabel>

namespace ui {

inline constexpr const char* kMakerName = "Fernhold Works";
inline constexpr const char* kMakerAddress = "fernhold.example.com";
// The product's own page; both labels open it, whatever they show.
inline constexpr const char* kProductPage = "https://fernhold.example.com/tsumugi/";

// A label that reports a click.
class ClickableLabel final : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class VersionBox final : public QDialog {
    Q_OBJECT
public:
    explicit VersionBox(QWidget* parent = nullptr);

    // Writes the version text into lblVer.
    void Form_Load();

public slots:
    void lblPro_Click();

private:
    QLabel* addLabel(const QString& name, const QString& text, QRect rect, const QColor& color);
    QLabel* m_version = nullptr;
};

} // namespace ui
