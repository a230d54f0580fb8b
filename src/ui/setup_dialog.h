#pragma once
// Setup: the editor of the settings record. Every click goes into the record at once (the timer
// works with it meanwhile); the record is written to setup.def by 登録 and whenever the dialog
// closes. There is no cancel.

#include "core/app_state.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace ui {

class SetupDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "つむぎ君:  バックアップの設定";

    // Builds the controls and fills them from the record (Form_Load).
    SetupDialog(core::AppState& state, core::Services& services, QWidget* parent = nullptr);

    void Form_Load();

public slots:
    void cmdSet_Click();
    void cmdFolder_Click();
    void cmdOnOff_Click(int index);
    void cmbTime_Click(int index);

    // Every way of closing ends here, so every way saves.
    void done(int result) override;

private:
    void buildFolderFrame();
    void buildHourFrame();
    void buildMonthFrame();
    void buildMenus();
    void saveRecord();
    QCheckBox* addCheck(QWidget* parent, const QString& name, const QString& caption, QRect rect);
    QPushButton* addButton(QWidget* parent, const QString& name, const QString& caption, QRect rect);

    core::AppState& m_state;
    core::Services& m_services;
    int m_menuHeight = 0;
    int m_rowShift = 0; // how far the hour rows moved down to make room for taller buttons
    QLineEdit* m_txtFolder = nullptr;
    QLineEdit* m_txttime = nullptr;
    QComboBox* m_cmbTime = nullptr;
    QCheckBox* m_check1 = nullptr;
    QPushButton* m_cmdSet = nullptr;
    std::array<QCheckBox*, 3> m_chk01{};
    std::array<QCheckBox*, 24> m_chk02{};
};

} // namespace ui
