#include "ui/find/find_window.h"

#include "core/common/archive_call.h"
#include "core/find/current_state.h"
#include "core/find/find_messages.h"
#include "core/find/history_index.h"
#include "core/find/preview.h"
#include "core/find/single_restore.h"
#include "core/find/slot_source.h"
#include "core/store/backup_tree.h"
#include "platform/paths.h"
#include "ui/find/history_loader.h"
#include "ui/find/preview_pane.h"

#include <QComboBox>
#include <QDateTime>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <thread>
#include <tuple>

namespace ui {
namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kFilledRole = Qt::UserRole + 1;
// A search for one letter finds nearly everything; the list stops here and says so.
constexpr int kMaxListed = 1000;

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

QString sizeText(std::uint64_t size)
{
    return QLocale(QLocale::Japanese).toString(static_cast<qulonglong>(size));
}

QTreeWidget* makeList(QWidget* parent, const char* name, const QStringList& headers)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QString::fromUtf8(name));
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->header()->setStretchLastSection(true);
    return list;
}

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption)
{
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

FindWindow::FindWindow(core::AppState& state, core::Services& services, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint),
      m_state(state), m_services(services)
{
    setObjectName(QStringLiteral("frmFind"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(q(core::find::findTitle()));
    buildControls();
    resize(900, 560);

    m_loader = new HistoryLoader([this](auto index) { historyBuilt(std::move(index)); },
                                 [this](int done, int count) {
                                     m_lblStatus->setText(
                                         QStringLiteral("世代を読んでいます（%1 / %2）").arg(done).arg(count));
                                 },
                                 this);
    m_loader->start(core::find::slotSources(m_state.programFolder, m_state.setup));
    m_lblStatus->setText(QStringLiteral("世代を読んでいます"));
    m_preview->showNote(QStringLiteral("ファイルと版を選ぶと、ここに中身を表示します。"));
    fillVersions();
    m_txtFind->setFocus();
}

FindWindow::~FindWindow()
{
    // The build ends (after the slot at hand) before anything it reports to is gone.
    delete m_loader;
}

void FindWindow::buildControls()
{
    m_txtFind = new QLineEdit(this);
    m_txtFind->setObjectName(QStringLiteral("txtFind"));
    m_txtFind->setPlaceholderText(QStringLiteral("名前の一部"));
    m_txtFind->setClearButtonEnabled(true);
    m_lblStatus = new QLabel(this);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_lblStatus->setWordWrap(true);

    m_treeFolders = new QTreeWidget(this);
    m_treeFolders->setObjectName(QStringLiteral("treeFolders"));
    m_treeFolders->setHeaderLabel(QStringLiteral("フォルダ"));
    m_lstFiles = makeList(this, "lstFiles", {QStringLiteral("ファイル"), QStringLiteral("版の数")});
    m_lstFiles->header()->setStretchLastSection(false);
    m_lstFiles->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_lstFiles->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_lstVersions = makeList(this, "lstVersions",
                             {QStringLiteral("更新日時"), QStringLiteral("大きさ"), QStringLiteral("持っている世代")});
    m_lblCurrent = new QLabel(this);
    m_lblCurrent->setObjectName(QStringLiteral("lblCurrent"));
    m_lblCurrent->setWordWrap(true);
    m_preview = new PreviewPane(this);

    m_cmdRestore = makeButton(this, "cmdRestore", "元の場所に復元");
    m_cmdSaveTo = makeButton(this, "cmdSaveTo", "フォルダへ保存");
    m_cmbGeneration = new QComboBox(this);
    m_cmbGeneration->setObjectName(QStringLiteral("cmbGeneration"));
    m_cmbGeneration->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_cmdRestoreFolder = makeButton(this, "cmdRestoreFolder", "フォルダごと復元");

    auto* versionsPart = new QWidget(this);
    auto* versionsLayout = new QVBoxLayout(versionsPart);
    versionsLayout->setContentsMargins(0, 0, 0, 0);
    versionsLayout->addWidget(m_lstVersions);
    versionsLayout->addWidget(m_lblCurrent);
    auto* middle = new QSplitter(Qt::Vertical, this);
    middle->addWidget(m_lstFiles);
    middle->addWidget(versionsPart);
    auto* panes = new QSplitter(Qt::Horizontal, this);
    panes->addWidget(m_treeFolders);
    panes->addWidget(middle);
    panes->addWidget(m_preview);
    panes->setStretchFactor(0, 2);
    panes->setStretchFactor(1, 4);
    panes->setStretchFactor(2, 3);

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(new QLabel(QStringLiteral("探す名前："), this));
    searchRow->addWidget(m_txtFind, 2);
    searchRow->addWidget(m_lblStatus, 3);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_cmdRestore);
    buttonRow->addWidget(m_cmdSaveTo);
    buttonRow->addStretch(1);
    buttonRow->addWidget(new QLabel(QStringLiteral("世代："), this));
    buttonRow->addWidget(m_cmbGeneration);
    buttonRow->addWidget(m_cmdRestoreFolder);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addWidget(panes, 1);
    layout->addLayout(buttonRow);

    connect(m_txtFind, &QLineEdit::textChanged, this, &FindWindow::txtFind_Change);
    connect(m_treeFolders, &QTreeWidget::itemExpanded, this, &FindWindow::treeFolders_Expand);
    connect(m_treeFolders, &QTreeWidget::itemSelectionChanged, this, &FindWindow::treeFolders_Click);
    connect(m_lstFiles, &QTreeWidget::itemSelectionChanged, this, &FindWindow::lstFiles_Click);
    connect(m_lstVersions, &QTreeWidget::itemSelectionChanged, this, &FindWindow::lstVersions_Click);
    connect(m_cmdRestore, &QPushButton::clicked, this, &FindWindow::cmdRestore_Click);
    connect(m_cmdSaveTo, &QPushButton::clicked, this, &FindWindow::cmdSaveTo_Click);
    connect(m_cmdRestoreFolder, &QPushButton::clicked, this, &FindWindow::cmdRestoreFolder_Click);
}

void FindWindow::historyBuilt(std::unique_ptr<core::find::HistoryIndex> index)
{
    m_index = std::move(index);
    std::vector<core::find::SlotSource> pending;
    pending.swap(m_pendingRefresh);
    for (const core::find::SlotSource& slot : pending)
        m_index->refreshSlot(slot);

    m_treeFolders->clear();
    const QString top = q(core::sourcePath(m_state.setup.BackupFolder));
    auto* root = new QTreeWidgetItem(m_treeFolders, {top});
    root->setToolTip(0, top);
    root->setData(0, kPathRole, QString());
    fillFolderChildren(root);
    root->setExpanded(true);
    m_treeFolders->setCurrentItem(root);
    fillGenerations();
    showStatus();
    fillFiles();
}

void FindWindow::slotsWritten(const core::SetupRecord& before)
{
    const auto now = core::find::slotSources(m_state.programFolder, m_state.setup);
    const auto was = core::find::slotSources(m_state.programFolder, before);
    std::vector<core::find::SlotSource> written;
    for (std::size_t slot = 0; slot < now.size() && slot < was.size(); ++slot)
        if (!(now[slot].stamp == was[slot].stamp))
            written.push_back(now[slot]);
    if (written.empty())
        return;
    if (!m_index) {
        m_pendingRefresh.insert(m_pendingRefresh.end(), written.begin(), written.end());
        return;
    }
    refreshSlots(written);
}

void FindWindow::refreshSlots(const std::vector<core::find::SlotSource>& sources)
{
    for (const core::find::SlotSource& slot : sources)
        m_index->refreshSlot(slot);
    // Folders a backup added show when their parent is opened again.
    for (QTreeWidgetItemIterator it(m_treeFolders); *it; ++it)
        if ((*it)->isExpanded() || (*it)->data(0, kFilledRole).toBool())
            (*it)->setData(0, kFilledRole, false);
    fillGenerations();
    showStatus();
    fillFiles();
}

void FindWindow::showStatus()
{
    QString status = QStringLiteral("索引：%1 件").arg(m_index->pathCount());
    const auto& damaged = m_index->damagedSlots();
    if (!damaged.empty())
        status += QStringLiteral("　") + q(core::find::damagedSlotsText(damaged));
    m_lblStatus->setText(status);
}

void FindWindow::fillGenerations()
{
    const QVariant chosen = m_cmbGeneration->currentData();
    m_cmbGeneration->clear();
    std::vector<int> order;
    const auto& sources = m_index->slots();
    for (int slot = 0; slot < int(sources.size()); ++slot)
        if (!sources[std::size_t(slot)].stamp.isZero())
            order.push_back(slot);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return sources[std::size_t(a)].stamp.seconds() > sources[std::size_t(b)].stamp.seconds();
    });
    for (int slot : order) {
        const core::find::SlotSource& source = sources[std::size_t(slot)];
        const core::CivilTime t = source.stamp.civil();
        m_cmbGeneration->addItem(q(m_services.locale.shortDate(t.year, t.month, t.day) + " " +
                                   m_services.locale.longTime(t.hour, t.minute, t.second) + "　" + source.name),
                                 slot);
    }
    const int again = m_cmbGeneration->findData(chosen);
    m_cmbGeneration->setCurrentIndex(std::max(again, 0));
    m_cmdRestoreFolder->setEnabled(m_cmbGeneration->count() > 0);
}

// Folders get their children when first opened, so a tree of thousands costs nothing up front.
void FindWindow::fillFolderChildren(QTreeWidgetItem* item)
{
    if (item->data(0, kFilledRole).toBool())
        return;
    item->setData(0, kFilledRole, true);
    qDeleteAll(item->takeChildren());
    const std::string folder = item->data(0, kPathRole).toString().toStdString();
    for (const core::find::TreeEntry& entry : m_index->children(folder)) {
        if (!entry.isFolder)
            continue;
        auto* child = new QTreeWidgetItem(item, {q(entry.name)});
        child->setData(0, kPathRole, q(folder.empty() ? entry.name : folder + "/" + entry.name));
        child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
    item->setChildIndicatorPolicy(item->childCount() ? QTreeWidgetItem::ShowIndicator
                                                     : QTreeWidgetItem::DontShowIndicator);
}

void FindWindow::treeFolders_Expand(QTreeWidgetItem* item)
{
    fillFolderChildren(item);
}

void FindWindow::treeFolders_Click()
{
    if (m_index)
        fillFiles();
}

void FindWindow::txtFind_Change()
{
    if (m_index)
        fillFiles();
}

// With a name to find, every file that matches below the chosen folder; without one, the files
// directly in it.
void FindWindow::fillFiles()
{
    const std::string kept = chosenFile();
    m_lstFiles->clear();
    const std::string folder = chosenFolder();
    const std::string query = m_txtFind->text().toStdString();
    QList<QTreeWidgetItem*> items;
    if (!query.empty()) {
        for (const core::find::SearchHit& hit : m_index->search(query)) {
            if (!folder.empty() && hit.path.rfind(folder + "/", 0) != 0)
                continue;
            if (items.size() == kMaxListed)
                break;
            auto* item = new QTreeWidgetItem({q(hit.path), QString::number(hit.versionCount)});
            item->setData(0, kPathRole, q(hit.path));
            items << item;
        }
    } else {
        for (const core::find::TreeEntry& entry : m_index->children(folder)) {
            if (entry.isFolder)
                continue;
            const std::string path = folder.empty() ? entry.name : folder + "/" + entry.name;
            auto* item = new QTreeWidgetItem({q(entry.name), QString::number(entry.versionCount)});
            item->setData(0, kPathRole, q(path));
            items << item;
        }
    }
    m_lstFiles->addTopLevelItems(items);
    if (items.size() == kMaxListed)
        m_lstFiles->addTopLevelItem(
            new QTreeWidgetItem({QStringLiteral("（ここまで。名前をもっと詳しく入れてください）")}));
    for (QTreeWidgetItem* item : items)
        if (item->data(0, kPathRole).toString().toStdString() == kept)
            m_lstFiles->setCurrentItem(item);
    fillVersions();
}

void FindWindow::lstFiles_Click()
{
    fillVersions();
}

// The chosen file's versions, newest first, the one the file now is marked; and the file's state.
void FindWindow::fillVersions()
{
    // The version chosen before stays chosen when it is still listed.
    const core::find::Version* kept = chosenVersion();
    std::tuple<std::int64_t, std::uint64_t, std::uint16_t> keptKey{};
    if (kept)
        keptKey = std::tuple(kept->mtime, kept->size, kept->crc);
    m_lstVersions->clear();
    const std::string path = chosenFile();
    m_versions = (m_index && !path.empty()) ? m_index->versions(path) : std::vector<core::find::Version>();
    if (path.empty()) {
        m_lblCurrent->clear();
    } else {
        const auto now = core::find::currentState(core::sourcePath(m_state.setup.BackupFolder), path, m_versions);
        m_lblCurrent->setText(q(core::find::currentStateText(now)));
        for (int row = 0; row < int(m_versions.size()); ++row) {
            const core::find::Version& version = m_versions[std::size_t(row)];
            const QDateTime mtime = QDateTime::fromSecsSinceEpoch(version.mtime).toLocalTime();
            QStringList holders;
            for (const core::find::VersionSlot& slot : version.slots) {
                const core::CivilTime t = slot.stamp.civil();
                holders << q(m_services.locale.shortDate(t.year, t.month, t.day) + " " +
                             m_services.locale.longTime(t.hour, t.minute, t.second));
            }
            auto* item = new QTreeWidgetItem(
                m_lstVersions,
                {q(m_services.locale.shortDate(mtime.date().year(), mtime.date().month(), mtime.date().day()) + " " +
                   m_services.locale.longTime(mtime.time().hour(), mtime.time().minute(), mtime.time().second())),
                 sizeText(version.size), holders.join(QStringLiteral("、"))});
            item->setData(0, kPathRole, row);
            item->setToolTip(2, item->text(2));
            if (now.state == core::find::FileState::Same && now.version == row) {
                QFont bold = item->font(0);
                bold.setBold(true);
                for (int column = 0; column < 3; ++column)
                    item->setFont(column, bold);
            }
            if (kept && keptKey == std::tuple(version.mtime, version.size, version.crc))
                m_lstVersions->setCurrentItem(item);
        }
    }
    for (int column = 0; column < 2; ++column)
        m_lstVersions->resizeColumnToContents(column);
    if (!m_lstVersions->currentItem() && m_lstVersions->topLevelItemCount() > 0)
        m_lstVersions->setCurrentItem(m_lstVersions->topLevelItem(0));
    lstVersions_Click();
}

void FindWindow::lstVersions_Click()
{
    const core::find::Version* version = chosenVersion();
    m_cmdRestore->setEnabled(version != nullptr);
    m_cmdSaveTo->setEnabled(version != nullptr);
    if (version)
        m_preview->show(core::find::previewVersion(*m_index, chosenFile(), *version));
    else if (m_index)
        m_preview->showNote(QStringLiteral("ファイルと版を選ぶと、ここに中身を表示します。"));
}

std::string FindWindow::chosenFile() const
{
    const QTreeWidgetItem* item = m_lstFiles->currentItem();
    return item ? item->data(0, kPathRole).toString().toStdString() : std::string();
}

std::string FindWindow::chosenFolder() const
{
    const QTreeWidgetItem* item = m_treeFolders->currentItem();
    return item ? item->data(0, kPathRole).toString().toStdString() : std::string();
}

const core::find::Version* FindWindow::chosenVersion() const
{
    const QTreeWidgetItem* item = m_lstVersions->currentItem();
    if (!item)
        return nullptr;
    const int row = item->data(0, kPathRole).toInt();
    return row >= 0 && row < int(m_versions.size()) ? &m_versions[std::size_t(row)] : nullptr;
}

void FindWindow::cmdRestore_Click()
{
    const core::find::Version* version = chosenVersion();
    if (!version)
        return;
    const std::string path = chosenFile();
    const core::find::Version chosen = *version;
    const std::string target = protectedPath(path);
    const std::string question =
        core::find::overwriteQuestionText(target, core::find::overwriteQuestion(target, chosen));
    if (!question.empty() && !m_services.dialogs.ask(core::find::findTitle(), question))
        return;
    // A backup may have run while the question was open: take the version from where it is now.
    const auto versions = m_index->versions(path);
    const auto still = std::find_if(versions.begin(), versions.end(), [&](const core::find::Version& v) {
        return v.mtime == chosen.mtime && v.size == chosen.size && v.crc == chosen.crc;
    });
    if (still == versions.end() || still->slots.empty()) {
        fillVersions();
        return;
    }
    core::find::RestoreRequest request;
    request.path = path;
    request.slot = still->slots.front().slot;
    request.place = core::find::RestorePlace::Original;
    request.protectedFolder = core::sourcePath(m_state.setup.BackupFolder);
    restore(std::move(request));
}

void FindWindow::cmdSaveTo_Click()
{
    const core::find::Version* version = chosenVersion();
    if (!version)
        return;
    const int slot = version->slots.front().slot;
    const auto folder = m_services.dialogs.chooseFolder(
        core::find::findTitle(), core::tmpReadFolder(m_state.programFolder), "保存先のフォルダを選んでください");
    if (!folder)
        return;
    core::find::RestoreRequest request;
    request.path = chosenFile();
    request.slot = slot;
    request.place = core::find::RestorePlace::IntoFolder;
    request.folder = *folder;
    restore(std::move(request));
}

// Asks only when files there now would be written over, as the single file does.
void FindWindow::cmdRestoreFolder_Click()
{
    if (!m_index || m_cmbGeneration->currentIndex() < 0)
        return;
    core::find::RestoreRequest request;
    request.path = chosenFolder();
    request.isFolder = true;
    request.slot = m_cmbGeneration->currentData().toInt();
    request.place = core::find::RestorePlace::Original;
    request.protectedFolder = core::sourcePath(m_state.setup.BackupFolder);
    const std::string question = core::find::folderOverwriteQuestionText(
        core::find::restoredPath(request), m_index->slots()[std::size_t(request.slot)].name,
        core::find::overwritesOf(*m_index, request));
    if (!question.empty() && !m_services.dialogs.ask(core::find::findTitle(), question))
        return;
    restore(std::move(request));
}

void FindWindow::restore(core::find::RestoreRequest request)
{
    if (!m_index)
        return;
    request.programFolder = m_state.programFolder;
    // Off the window's thread, so a folder of thousands of files leaves the clock ticking; the
    // program counts as busy meanwhile, so a tick does not start a backup over the slot being read.
    const core::ArchiveBusyGuard busy(m_state.archiveBusy);
    core::find::RestoreResult result;
    QEventLoop loop;
    std::thread worker([&] {
        result = core::find::restoreFromHistory(*m_index, request);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // Clicks wait until it is done, so nothing else starts meanwhile.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    m_services.dialogs.message(core::find::findTitle(), result.message);
    fillVersions();
}

// The history's paths are '/'-separated; the file system's may not be.
std::string FindWindow::protectedPath(const std::string& path) const
{
    std::string native = path;
    std::replace(native.begin(), native.end(), '/', platform::kSeparator);
    return platform::joinPath(core::sourcePath(m_state.setup.BackupFolder), native);
}

} // namespace ui

// Each window's meta-object code lives with it, so a program links only the windows it uses.
#include "moc_find_window.cpp"
