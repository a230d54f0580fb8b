#include "ui/setup_dialog.h"

#include "core/common/product.h"
#include "core/settings/setup_file.h"
#include "core/shell/autostart_questions.h"
#include "core/shell/pick_folder.h"
#include "core/shell/setup_time_list.h"
#include "ui/program_icon.h"
#include "ui/twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include <algorithm>

namespace ui {

namespace {

// The client area, widened from 8835 so that 登録 (at left 8880) lies inside it.
constexpr int kClientWidth = 9705;
constexpr int kClientHeight = 2565;

constexpr std::array<int, 8> kHourColumns = {90, 673, 1256, 1839, 2422, 3005, 3588, 4170};
constexpr std::array<int, 3> kHourRows = {540, 780, 1020};

constexpr const char* kMonthCaptions[] = {"起動時にバックアップする", "時刻指定", "その都度マウスでクリックする"};
constexpr std::array<int, 3> kMonthWidths = {2775, 1185, 2775};

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

std::int16_t checkValue(bool checked)
{
    return checked ? 1 : 0;
}

// Where the style draws a frame's caption, in the frame's own coordinates.
QRect captionRect(const QGroupBox* frame)
{
    QStyleOptionGroupBox option;
    option.initFrom(frame);
    option.text = frame->title();
    option.textAlignment = frame->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    return frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
}

} // namespace

SetupDialog::SetupDialog(core::AppState& state, core::Services& services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_state(state), m_services(services)
{
    setObjectName(QStringLiteral("Setup"));
    setWindowTitle(QString::fromUtf8(kTitle));
    setWindowIcon(programIcon());
    buildMenus();
    buildFolderFrame();
    buildHourFrame();
    buildMonthFrame();
    m_cmdSet = addButton(this, QStringLiteral("cmdSet"), QStringLiteral("登録"), twipsRect(this, 8880, 300, 705, 375));
    connect(m_cmdSet, &QPushButton::clicked, this, &SetupDialog::cmdSet_Click);
    setFixedSize(twipsSize(this, kClientWidth, kClientHeight) + QSize(0, m_menuHeight + m_rowShift));
    Form_Load();
}

QCheckBox* SetupDialog::addCheck(QWidget* parent, const QString& name, const QString& caption, QRect rect)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setGeometry(rect);
    // Wide enough for the caption in today's fonts, which the layout's widths were not drawn for.
    box->resize(std::max(box->width(), box->sizeHint().width()), box->height());
    return box;
}

QPushButton* SetupDialog::addButton(QWidget* parent, const QString& name, const QString& caption, QRect rect)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(rect);
    return button;
}

void SetupDialog::buildMenus()
{
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("menuBar"));
    QAction* autoStart = bar->addAction(QStringLiteral("自動起動設定"));
    autoStart->setObjectName(QStringLiteral("menuAuto"));
    connect(autoStart, &QAction::triggered, this,
            [this] { core::menuAuto_Click(m_services.dialogs, m_state.programFolder); });
    QAction* manual = bar->addAction(QStringLiteral("自動起動解除"));
    manual->setObjectName(QStringLiteral("menuManu"));
    connect(manual, &QAction::triggered, this, [this] { core::menuManu_Click(m_services.dialogs); });
    m_menuHeight = bar->sizeHint().height();
    bar->setGeometry(0, 0, twipsToPixels(kClientWidth, logicalDpiX()), m_menuHeight);
}

void SetupDialog::buildFolderFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("        バックアップフォルダー"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(twipsRect(this, 330, 90, 8205, 825).translated(0, m_menuHeight));
    // Over the frame's caption line, in the room its leading blanks leave.
    auto* browse =
        addButton(frame, QStringLiteral("cmdFolder"), QStringLiteral("参照"), twipsRect(this, 90, 0, 585, 345));
    connect(browse, &QPushButton::clicked, this, &SetupDialog::cmdFolder_Click);
    // Blanks are narrower here than in the font the layout was drawn with: move the caption on
    // until it clears the button.
    const QRect caption = captionRect(frame);
    const int blanks = frame->fontMetrics().horizontalAdvance(frame->title().left(8));
    const int shortfall = browse->geometry().right() + 10 - (caption.left() + blanks);
    if (shortfall > 0)
        frame->setStyleSheet(QStringLiteral("QGroupBox#Frame1::title { padding-left: %1px; }").arg(shortfall));
    m_txtFolder = new QLineEdit(frame);
    m_txtFolder->setObjectName(QStringLiteral("txtFolder"));
    m_txtFolder->setReadOnly(true);
    m_txtFolder->setGeometry(twipsRect(this, 90, 360, 7995, 285));
}

void SetupDialog::buildHourFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("本日のバック（バックを取る時刻に　　をつける）"), this);
    frame->setObjectName(QStringLiteral("frame02"));
    frame->setGeometry(twipsRect(this, 3750, 1050, 4815, 1335).translated(0, m_menuHeight));

    // A sample of the mark the caption asks for, sitting in the caption's gap of two ideographic
    // blanks (found from the font, which the fixed layout assumed).
    const QString caption = frame->title();
    const QRect captionArea = captionRect(frame);
    const QFontMetrics metrics = frame->fontMetrics();
    const int gapLeft =
        captionArea.left() + metrics.horizontalAdvance(caption.left(caption.indexOf(QStringLiteral("　　"))));
    const int gapWidth = metrics.horizontalAdvance(QStringLiteral("　　"));
    const QSize mark(style()->pixelMetric(QStyle::PM_IndicatorWidth), style()->pixelMetric(QStyle::PM_IndicatorHeight));
    m_check1 = addCheck(frame, QStringLiteral("Check1"), QString(),
                        QRect(QPoint(gapLeft + (gapWidth - mark.width()) / 2,
                                     captionArea.top() + (captionArea.height() - mark.height()) / 2),
                              mark));
    m_check1->setChecked(true);
    connect(m_check1, &QCheckBox::clicked, this, [this] { m_check1->setChecked(true); });

    const char* onOffCaptions[] = {"全て on", "全て off"};
    int buttonsBottom = 0;
    for (int i = 0; i < 2; ++i) {
        QPushButton* button =
            addButton(frame, QStringLiteral("cmdOnOff_%1").arg(i), QString::fromUtf8(onOffCaptions[i]),
                      twipsRect(this, 210 + i * 1050, 240, 1035, 255));
        // The layout's buttons are too low for the font's glyphs and the frame around them.
        button->resize(button->width(), std::max(button->height(), button->fontMetrics().height() + 6));
        buttonsBottom = button->geometry().bottom();
        connect(button, &QPushButton::clicked, this, [this, i] { cmdOnOff_Click(i); });
    }
    // The hour rows, and both frames with them, move down as far as the taller buttons need.
    m_rowShift = std::max(0, buttonsBottom + 2 - twipsRect(this, 0, kHourRows[0], 0, 0).top());
    frame->resize(frame->width(), frame->height() + m_rowShift);
    for (int hour = 0; hour < 24; ++hour) {
        QCheckBox* box =
            addCheck(frame, QStringLiteral("chk02_%1").arg(hour), twoDigits(hour),
                     twipsRect(this, kHourColumns[hour % 8], kHourRows[hour / 8], 615, 225).translated(0, m_rowShift));
        connect(box, &QCheckBox::clicked, this,
                [this, hour](bool checked) { m_state.setup.DayBackHour[hour] = checkValue(checked); });
        m_chk02[hour] = box;
    }
}

void SetupDialog::buildMonthFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("月のバック"), this);
    frame->setObjectName(QStringLiteral("frame01"));
    frame->setGeometry(
        twipsRect(this, 330, 1050, 3255, 1335).translated(0, m_menuHeight).adjusted(0, 0, 0, m_rowShift));
    for (int i = 0; i < 3; ++i) {
        QCheckBox* box = addCheck(frame, QStringLiteral("chk01_%1").arg(i), QString::fromUtf8(kMonthCaptions[i]),
                                  twipsRect(this, 270, 330 + i * 300, kMonthWidths[i], 225));
        connect(box, &QCheckBox::clicked, this,
                [this, i](bool checked) { m_state.setup.MonthBackOption[i] = checkValue(checked); });
        m_chk01[i] = box;
    }
    // The list shows only its drop-down button; the chosen time appears in txttime over its field.
    m_cmbTime = new QComboBox(frame);
    m_cmbTime->setObjectName(QStringLiteral("cmbTime"));
    m_cmbTime->setGeometry(twipsRect(this, 1740, 600, 1305, 300));
    connect(m_cmbTime, &QComboBox::activated, this, &SetupDialog::cmbTime_Click);
    m_txttime = new QLineEdit(frame);
    m_txttime->setObjectName(QStringLiteral("txttime"));
    m_txttime->setReadOnly(true);
    m_txttime->setGeometry(twipsRect(this, 1710, 600, 1065, 300));
    m_txttime->raise();
}

void SetupDialog::Form_Load()
{
    core::SetupRecord& record = m_state.setup;
    // A hand-edited value other than 0 or 1 shows clear, and the record follows what is shown.
    for (int i = 0; i < 3; ++i) {
        m_chk01[i]->setChecked(core::isChecked(record.MonthBackOption[i]));
        record.MonthBackOption[i] = checkValue(m_chk01[i]->isChecked());
    }
    for (int hour = 0; hour < 24; ++hour) {
        m_chk02[hour]->setChecked(core::isChecked(record.DayBackHour[hour]));
        record.DayBackHour[hour] = checkValue(m_chk02[hour]->isChecked());
    }
    m_cmbTime->clear();
    for (const std::string& time : core::halfHourTimes())
        m_cmbTime->addItem(QString::fromStdString(time));
    const int index = core::timeIndexToSelect(record);
    m_cmbTime->setCurrentIndex(index);
    cmbTime_Click(index);
    m_txtFolder->setText(QString::fromStdString(record.BackupFolder));
}

void SetupDialog::cmbTime_Click(int index)
{
    core::chooseTime(m_state.setup, index);
    m_txttime->setText(QString::fromStdString(m_state.setup.MonthBackTime));
}

void SetupDialog::cmdOnOff_Click(int index)
{
    const bool on = index == 0;
    for (int hour = 0; hour < 24; ++hour) {
        m_chk02[hour]->setChecked(on);
        m_state.setup.DayBackHour[hour] = checkValue(on);
    }
    m_cmdSet->setFocus();
}

void SetupDialog::cmdFolder_Click()
{
    if (core::PickFolder(m_state.setup, m_services.dialogs, m_state.programFolder).empty())
        m_txtFolder->setText(QString::fromStdString(m_state.setup.BackupFolder));
}

void SetupDialog::cmdSet_Click()
{
    saveRecord();
}

void SetupDialog::saveRecord()
{
    const base::Status saved = core::SaveSetup(m_state);
    // The record in memory stays right; still, the person must know the file did not follow.
    if (!saved.ok())
        m_services.dialogs.message(core::kProductName, core::saveFailureText(saved));
}

void SetupDialog::done(int result)
{
    saveRecord();
    QDialog::done(result);
}

} // namespace ui

// Each window's meta-object code lives with it, so a program links only the windows it uses.
#include "moc_setup_dialog.cpp"
