#pragma once
// frmReload: picks one slot of the current mode (ReturnMode 0 by date, else by time) and either
// restores it over the protected folder or copies it into a chosen folder. Shown modally; closes
// itself once a restore or a copy has run.

#include "core/app_state.h"
#include "core/restore/reload_model.h"

#include <QDialog>

class QComboBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace ui {

class RestoreWindow : public QDialog {
    Q_OBJECT

public:
    // Form_Load: reads ReturnMode and the recorded times once; the list is not refreshed later.
    RestoreWindow(core::AppState& state, core::Services& services, QWidget* parent = nullptr);

    const core::restore::ReloadModel& model() const { return m_model; }

protected:
    bool event(QEvent* event) override;

private:
    void buildControls();
    void cmb01_Click(int index);
    void Dir1_Change(QListWidgetItem* item);
    void cmdReload_Click();
    void cmdRead_Click();
    // Shows the model's selection, folders and title in the controls.
    void showModel();
    void fillDir1(const QString& folder);
    void fillFile1(const QString& folder);

    core::AppState& m_state;
    core::Services& m_services;
    core::restore::ReloadModel m_model;

    QPushButton* m_cmdRead = nullptr;
    QComboBox* m_cmb01 = nullptr;
    QListWidget* m_File1 = nullptr;
    QPushButton* m_cmdReload = nullptr;
    QListWidget* m_Dir1 = nullptr;
};

} // namespace ui
