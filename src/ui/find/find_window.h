#pragma once
// The window that finds a file in every generation and brings back just that one (or one folder
// of a generation): a search box, a folder tree of everything any generation holds, the files
// found with their count of versions, the chosen file's versions and how the file now stands, a
// preview, and the restore buttons. Modeless; one instance, deleted when closed.
//
// The history is read on a worker thread when the window opens; the window works as soon as it
// is there, and is told by the main window when a backup wrote a slot.

#include "core/app_state.h"

#include <QDialog>

#include <memory>
#include <vector>

// Qt's "slots" keyword would clash with the history's slots(): the window's own code is built
// without Qt's keywords, and its users need not see the history at all.
namespace core::find {
class HistoryIndex;
struct RestoreRequest;
struct SlotSource;
struct Version;
} // namespace core::find

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace ui {

class HistoryLoader;
class PreviewPane;

class FindWindow final : public QDialog {
    Q_OBJECT
public:
    // state and services must outlive the window.
    FindWindow(core::AppState& state, core::Services& services, QWidget* parent = nullptr);
    ~FindWindow() override;

    // A backup may have rewritten slots: those whose stamp differs from `before` (the record as it
    // was before the backup) are read again, now or once the history being built is ready.
    void slotsWritten(const core::SetupRecord& before);

    // True once the history is there to search.
    bool historyReady() const { return m_index != nullptr; }

private:
    void buildControls();
    void historyBuilt(std::unique_ptr<core::find::HistoryIndex> index);
    void refreshSlots(const std::vector<core::find::SlotSource>& sources);
    void showStatus();

    void txtFind_Change();
    void treeFolders_Expand(QTreeWidgetItem* item);
    void treeFolders_Click();
    void lstFiles_Click();
    void lstVersions_Click();
    void cmdRestore_Click();
    void cmdSaveTo_Click();
    void cmdRestoreFolder_Click();

    void fillFolderChildren(QTreeWidgetItem* item);
    void fillFiles();
    void fillVersions();
    void fillGenerations();
    std::string chosenFile() const;
    std::string chosenFolder() const;
    const core::find::Version* chosenVersion() const;
    std::string protectedPath(const std::string& path) const;
    void restore(core::find::RestoreRequest request);

    core::AppState& m_state;
    core::Services& m_services;
    std::unique_ptr<core::find::HistoryIndex> m_index;
    std::vector<core::find::Version> m_versions; // of the chosen file, as listed
    std::vector<core::find::SlotSource> m_pendingRefresh;
    HistoryLoader* m_loader = nullptr;

    QLineEdit* m_txtFind = nullptr;
    QLabel* m_lblStatus = nullptr;
    QTreeWidget* m_treeFolders = nullptr;
    QTreeWidget* m_lstFiles = nullptr;
    QTreeWidget* m_lstVersions = nullptr;
    QLabel* m_lblCurrent = nullptr;
    PreviewPane* m_preview = nullptr;
    QPushButton* m_cmdRestore = nullptr;
    QPushButton* m_cmdSaveTo = nullptr;
    QComboBox* m_cmbGeneration = nullptr;
    QPushButton* m_cmdRestoreFolder = nullptr;
};

} // namespace ui
