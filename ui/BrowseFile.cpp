#include "BrowseFile.h"

#include "AccessibleRoles.h"
#include "BrowseFileControls.h"
#include "MessageBox.h"
#include "Paths.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringListModel>
#include <QWindow>

#include <utility>

namespace vantrel {

namespace {

constexpr const char* kDefaultPattern = "*.*wad";

QIcon NoIcon() {
    constexpr int kIconSize = 16;
    QPixmap blank(kIconSize, kIconSize);
    blank.fill(Qt::transparent);
    return {blank};
}

// The folders from the root down to the folder itself.
QStringList ChainOf(const QString& folder, const QString& root) {
    QStringList chain{folder};
    while (chain.first().size() > root.size()) {
        const QString parent = QFileInfo(chain.first()).path();
        if (parent == chain.first()) {
            break;
        }
        chain.prepend(parent);
    }
    return chain;
}

// The style's icon for an open or a closed folder. Asking the style can mean searching the desktop's icon
// theme file by file (thousands of checks where the theme has no index cache), so each answer is kept on the
// style itself, under the icon theme's name.
QIcon FolderIcon(QStyle* style, QStyle::StandardPixmap which) {
    const QByteArray property = "vantrelIcon" + QByteArray::number(which) + ':' + QIcon::themeName().toUtf8();
    QVariant icon = style->property(property.constData());
    if (!icon.isValid()) {
        icon = QVariant::fromValue(style->standardIcon(which));
        style->setProperty(property.constData(), icon);
    }
    return icon.value<QIcon>();
}

QListWidgetItem* AddFolderItem(QListWidget* list, const QString& text, const QString& path, qsizetype level,
                               const QIcon& icon) {
    auto* item = new QListWidgetItem(icon, text, list);
    item->setData(kPathRole, path);
    item->setData(kLevelRole, static_cast<int>(level));
    return item;
}

} // namespace

QString JoinFolderAndFile(const QString& folder, const QString& file) {
    return JoinPath(folder, file, QDir::separator());
}

BrowseFile::BrowseFile(QWidget* owner, std::unique_ptr<DriveSource> drives, const QString& startFolder)
    : QDialog(owner), m_driveSource(drives ? std::move(drives) : std::make_unique<SystemDrives>()),
      m_drives(m_driveSource->Drives()),
      m_startFolder(QDir::cleanPath(startFolder.isEmpty() ? QDir::currentPath() : QDir(startFolder).absolutePath())),
      m_patterns(PatternsFrom(QString::fromLatin1(kDefaultPattern))) {
    InstallAccessibleRoles();
    setObjectName(QStringLiteral("BrowseFile"));
    setWindowTitle(QStringLiteral("Browse for WAD file..."));
    setWindowIcon(NoIcon()); // an empty icon would be the owner's
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(TwipsToPixels(kBrowseFileClientArea, logicalDpiX()).size());
    SetTabOrder(CreateControls());

    SelectDriveQuietly(DriveHolding(m_drives, m_startFolder));
    ShowFolder(m_startFolder, ListFolder(m_startFolder, m_patterns).value_or(FolderListing{}));
    WireEvents();
    m_drive1->setFocus();
}

BrowseFile::~BrowseFile() = default;

BuiltControls BrowseFile::CreateControls() {
    BuiltControls controls = BuildFromTable(this, kBrowseFileControls, CreateBrowseFileControl);
    m_drive1 = Built<QComboBox>(controls, "Drive1");
    m_dir1 = Built<QListWidget>(controls, "Dir1");
    m_file1 = Built<QListView>(controls, "File1");
    m_command1 = Built<QPushButton>(controls, "Command1");
    m_commandCancel = Built<QPushButton>(controls, "CommandCancel");
    m_result = Built<QLineEdit>(controls, "Result");
    m_resultFile = Built<QLineEdit>(controls, "ResultFile");
    m_resultpath = Built<QLineEdit>(controls, "Resultpath");
    m_resultDrive = Built<QLineEdit>(controls, "ResultDrive");

    // Where the toolkit follows the Linux desktop's convention, a drop-down list is announced by its value and
    // named by a label that is its buddy; this one has no caption on screen, so its label is a hidden one.
    auto* driveLabel = new QLabel(m_drive1->accessibleName(), m_drive1->parentWidget());
    driveLabel->setBuddy(m_drive1);
    driveLabel->hide();
    m_drive1->view()->setAccessibleName(m_drive1->accessibleName());

    for (const Drive& drive : m_drives) {
        m_drive1->addItem(drive.text);
    }
    m_fileNames = new QStringListModel(this);
    m_file1->setModel(m_fileNames);
    m_command1->setEnabled(false);
    return controls;
}

void BrowseFile::SetTabOrder(const BuiltControls& controls) {
    SetTabOrderByPosition(controls, kBrowseFileControls);
}

void BrowseFile::WireEvents() {
    connect(m_drive1, &QComboBox::currentIndexChanged, this, &BrowseFile::Drive1_Change);
    connect(m_dir1, &QListWidget::itemDoubleClicked, this, &BrowseFile::Dir1_OpenItem);
    connect(m_file1->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (SelectedFile().isValid()) {
            File1_Click();
        } else {
            m_command1->setEnabled(false); // "OK" never confirms nothing
        }
    });
    connect(m_file1, &QListView::doubleClicked, this, &BrowseFile::File1_DblClick);
    connect(m_command1, &QPushButton::clicked, this, &BrowseFile::Command1_Click);
    connect(m_commandCancel, &QPushButton::clicked, this, &BrowseFile::CommandCancel_Click);
}

QString BrowseFile::Result() const {
    return m_result->text();
}

QString BrowseFile::ResultFile() const {
    return m_resultFile->text();
}

QString BrowseFile::Resultpath() const {
    return m_resultpath->text();
}

QString BrowseFile::FolderPath() const {
    return QDir::toNativeSeparators(m_folder);
}

void BrowseFile::Browse(const QString& pattern) {
    m_patterns = PatternsFrom(pattern);
    m_shown.files = ListFolder(m_folder, m_patterns).value_or(FolderListing{}).files;
    m_command1->setEnabled(false);
    m_fileNames->setStringList(m_shown.files);
}

void BrowseFile::reject() {
    for (QLineEdit* field : {m_result, m_resultFile, m_resultpath, m_resultDrive}) {
        field->clear();
    }
    QDialog::reject();
}

void BrowseFile::keyPressEvent(QKeyEvent* event) {
    // Neither button is a cancel button, so Escape does not close the dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void BrowseFile::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) {
        return; // the system shows it again (its owner restored): it stays where the user left it
    }
    // The toolkit centres a dialog over its owner as if both had the owner's frame, and a tool window's frame
    // is slimmer. Where the system already tells this window's frame (Windows), it is centred by its own.
    const QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    const QWindow* handle = windowHandle();
    if (owner != nullptr && handle != nullptr && !handle->frameMargins().isNull()) {
        move(pos() + owner->frameGeometry().center() - frameGeometry().center());
    }
}

void BrowseFile::Drive1_Change() {
    m_command1->setEnabled(false);
    const qsizetype index = m_drive1->currentIndex();
    if (index >= 0 && OpenDrive(m_drives.at(index), CurrentFolderOf(m_drives.at(index)))) {
        return;
    }
    ShowMessage(this, {QStringLiteral("Drive not ready"), QStringLiteral("ERROR"), MessageIcon::None});

    // Back to the drive of the folder shown before. Should that have gone too, as when the medium was pulled
    // meanwhile, to the first drive that can be read, instead of reporting the next failure for ever.
    const std::optional<Drive> before = DriveHolding(m_drives, m_folder);
    if (before && OpenDrive(*before, CurrentFolderOf(*before))) {
        SelectDriveQuietly(before);
        return;
    }
    for (const Drive& drive : m_drives) {
        if (OpenDrive(drive, drive.root)) {
            SelectDriveQuietly(drive);
            return;
        }
    }
    SelectDriveQuietly(before); // nothing can be read: the lists stay where they were
}

void BrowseFile::Dir1_Change() {
    m_command1->setEnabled(false);
    m_fileNames->setStringList(m_shown.files);
}

void BrowseFile::File1_Click() {
    m_command1->setEnabled(true);
}

void BrowseFile::File1_DblClick() {
    m_command1->setEnabled(true);
    Command1_Click();
}

void BrowseFile::Command1_Click() {
    const QModelIndex file = SelectedFile();
    if (!file.isValid()) {
        return;
    }
    const QString folder = FolderPath();
    const QString name = file.data().toString();
    m_result->setText(JoinFolderAndFile(folder, name));
    m_resultFile->setText(name);
    m_resultpath->setText(folder);
    accept();
}

void BrowseFile::CommandCancel_Click() {
    reject();
}

void BrowseFile::Dir1_OpenItem(const QListWidgetItem* item) {
    const QString folder = item->data(kPathRole).toString();
    if (folder == m_folder || MoveFolderList(folder)) {
        return;
    }
    // A failed attempt changes nothing, but like every change of folder it takes back the file choice.
    m_file1->clearSelection();
    m_command1->setEnabled(false);
    ShowMessage(this, {QStringLiteral("The folder %1 cannot be opened.").arg(QDir::toNativeSeparators(folder)),
                       QStringLiteral("ERROR"), MessageIcon::None});
}

// False, with both lists as they were, when the folder cannot be opened.
bool BrowseFile::MoveFolderList(const QString& folder) {
    std::optional<FolderListing> contents = ListFolder(folder, m_patterns);
    if (!contents) {
        return false;
    }
    ShowFolder(folder, std::move(*contents));
    return true;
}

void BrowseFile::ShowFolder(const QString& folder, FolderListing contents) {
    m_folder = folder;
    m_shown = std::move(contents);

    const std::optional<Drive> drive = DriveHolding(m_drives, m_folder);
    const QStringList chain = ChainOf(m_folder, drive ? drive->root : QString());
    const QIcon open = FolderIcon(m_dir1->style(), QStyle::SP_DirOpenIcon);
    const QIcon closed = FolderIcon(m_dir1->style(), QStyle::SP_DirClosedIcon);
    m_dir1->clear();
    for (qsizetype level = 0; level < chain.size(); ++level) {
        const QString& path = chain.at(level);
        const QString text = level == 0 ? QDir::toNativeSeparators(path) : QFileInfo(path).fileName();
        AddFolderItem(m_dir1, text, path, level, open);
    }
    m_dir1->setCurrentRow(static_cast<int>(chain.size() - 1));
    for (const QString& name : std::as_const(m_shown.folders)) {
        AddFolderItem(m_dir1, name, JoinPath(m_folder, name), chain.size(), closed);
    }
    Dir1_Change();
}

bool BrowseFile::OpenDrive(const Drive& drive, const QString& folder) {
    return m_driveSource->IsReady(drive) && MoveFolderList(folder);
}

void BrowseFile::SelectDriveQuietly(const std::optional<Drive>& drive) {
    const QSignalBlocker blocker(m_drive1);
    m_drive1->setCurrentIndex(drive ? static_cast<int>(m_drives.indexOf(*drive)) : -1);
}

// Where the folder list goes when a drive is chosen: that drive's current folder. The dialog's own drive is
// at the folder the dialog opened at; others at the current folder the system keeps for them, or their root.
QString BrowseFile::CurrentFolderOf(const Drive& drive) const {
    if (DriveHolding(m_drives, m_startFolder) == drive) {
        return m_startFolder;
    }
    const QString folder = SystemCurrentFolder(drive);
    return folder.isEmpty() ? drive.root : folder;
}

QModelIndex BrowseFile::SelectedFile() const {
    const QModelIndexList selected = m_file1->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QModelIndex{} : selected.first();
}

} // namespace vantrel
