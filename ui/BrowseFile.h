#pragma once

#include "Drives.h"
#include "FolderListing.h"
#include "Layout.h"

#include <QDialog>
#include <QModelIndex>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QListView;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QStringListModel;

namespace vantrel {

// The full path that "OK" reports: the folder, a separator unless the folder already ends in one, the name.
QString JoinFolderAndFile(const QString& folder, const QString& file);

// The modal drive, folder and file dialog in which the user picks one WAD file.
class BrowseFile final : public QDialog {
    Q_OBJECT

public:
    // Opens at startFolder, or at the process's current folder when that is empty, and lists the machine's
    // drives unless another source is given.
    explicit BrowseFile(QWidget* owner, std::unique_ptr<DriveSource> drives = nullptr, const QString& startFolder = {});
    ~BrowseFile() override;

    // The choice confirmed with "OK" or a double-click; empty after "Cancel" or the close box.
    [[nodiscard]] QString Result() const;
    [[nodiscard]] QString ResultFile() const;
    [[nodiscard]] QString Resultpath() const;

    // The folder that the folder list shows, as "Resultpath" would report it.
    [[nodiscard]] QString FolderPath() const;

    // Sets the file list's pattern: wildcards '*' and '?', several separated by ";", letter case ignored.
    void Browse(const QString& pattern);

    // "Cancel" and the close box: the dialog unloads, so its result fields read as a new dialog's.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    BuiltControls CreateControls();
    void SetTabOrder(const BuiltControls& controls);
    void WireEvents();

    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void File1_DblClick();
    void Command1_Click();
    void CommandCancel_Click();
    void Dir1_OpenItem(const QListWidgetItem* item);

    bool MoveFolderList(const QString& folder);
    void ShowFolder(const QString& folder, FolderListing contents);
    bool OpenDrive(const Drive& drive, const QString& folder);
    void SelectDriveQuietly(const std::optional<Drive>& drive);
    [[nodiscard]] QString CurrentFolderOf(const Drive& drive) const;
    [[nodiscard]] QModelIndex SelectedFile() const;

    std::unique_ptr<DriveSource> m_driveSource;
    QList<Drive> m_drives;
    QString m_startFolder;
    NamePatterns m_patterns;
    QString m_folder;      // the folder list's folder, with "/" separators
    FolderListing m_shown; // what the folder list's folder holds, read once for both lists

    QComboBox* m_drive1{};
    QListWidget* m_dir1{};
    QListView* m_file1{};
    QStringListModel* m_fileNames{};
    QPushButton* m_command1{};
    QPushButton* m_commandCancel{};
    QLineEdit* m_result{};
    QLineEdit* m_resultFile{};
    QLineEdit* m_resultpath{};
    QLineEdit* m_resultDrive{};
};

} // namespace vantrel
