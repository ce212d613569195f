#include "BrowseFile.h"

#include "AccessibleRoles.h"
#include "FileNames.h"
#include "MessageBox.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
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
#include <QStyledItemDelegate>
#include <QWindow>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace vantrel {

namespace {

using enum BrowseControlKind;

constexpr int kPathRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kIndentTwips = 150;
constexpr const char* kDefaultPattern = "*.*wad";

} // namespace

const std::array<BrowseControlRow, 10> kBrowseFileControls{{
    {"Frame1", Frame, "BrowseFile", "", {120, 0, 6855, 5055}, 0, ""},
    {"Drive1", DriveList, "Frame1", "", {120, 240, 3255, 315}, 1, "Drive"},
    {"File1", FileList, "Frame1", "", {3480, 240, 3255, 3990}, 2, "Files"},
    {"Dir1", FolderList, "Frame1", "", {120, 600, 3255, 3690}, 3, "Folder"},
    {"Command1", Button, "Frame1", "OK", {120, 4440, 975, 375}, 7, ""},
    {"CommandCancel", Button, "Frame1", "Cancel", {5760, 4440, 975, 375}, 8, ""},
    {"Result", ResultField, "BrowseFile", "", {240, 6000, 2535, 285}, 4, "Chosen file"},
    {"ResultFile", ResultField, "BrowseFile", "", {240, 6360, 2535, 285}, 5, "Chosen file name"},
    {"Resultpath", ResultField, "BrowseFile", "", {240, 6720, 2535, 285}, 6, "Chosen file's folder"},
    {"ResultDrive", ResultField, "BrowseFile", "", {240, 7080, 2535, 285}, 9, "Chosen drive (not used)"},
}};

namespace {

// The folder list draws each folder indented by its depth below the drive's root, as the classic list did.
class IndentedItemDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem indented = option;
        indented.rect.setLeft(option.rect.left() + Indent(option, index));
        QStyledItemDelegate::paint(painter, indented, index);
    }

    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(Indent(option, index), 0);
    }

private:
    static int Indent(const QStyleOptionViewItem& option, const QModelIndex& index) {
        const qreal dpi = option.widget != nullptr ? option.widget->logicalDpiX() : 96.0;
        return index.data(kLevelRole).toInt() * TwipsToPixels(kIndentTwips, dpi);
    }
};

// The lists are drawn on the grey of buttons rather than the usual white.
void PaintOnButtonFace(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    widget->setPalette(palette);
}

QWidget* CreateControl(const BrowseControlRow& row, QWidget* parent) {
    QWidget* widget = nullptr;
    switch (row.kind) {
    case Frame:
        widget = CreateCaptionlessFrame(parent);
        break;
    case DriveList: {
        auto* drives = new QComboBox(parent);
        PaintOnButtonFace(drives);
        PaintOnButtonFace(drives->view());
        widget = drives;
        break;
    }
    case FolderList: {
        auto* folders = new QListWidget(parent);
        folders->setItemDelegate(new IndentedItemDelegate(folders));
        folders->setUniformItemSizes(true);
        PaintOnButtonFace(folders);
        widget = folders;
        break;
    }
    case FileList: {
        auto* files = new QListView(parent);
        files->setEditTriggers(QAbstractItemView::NoEditTriggers);
        files->setSelectionMode(QAbstractItemView::SingleSelection);
        files->setUniformItemSizes(true); // keeps a list of 100,000 names as quick to lay out as a short one
        PaintOnButtonFace(files);
        widget = files;
        break;
    }
    case Button: {
        auto* button = new QPushButton(QString::fromUtf8(row.caption), parent);
        button->setAutoDefault(false); // Enter presses neither button
        widget = button;
        break;
    }
    case ResultField: {
        auto* field = new QLineEdit(parent);
        // The result fields lie below the client area: hidden, they are not offered to assistive technology,
        // and the focus never lands where nobody sees it.
        field->setFocusPolicy(Qt::NoFocus);
        field->setReadOnly(true);
        field->hide();
        widget = field;
        break;
    }
    }
    return widget;
}

std::vector<std::string> PatternsFrom(const QString& pattern) {
    std::vector<std::string> patterns;
    for (const QString& part : pattern.split(u';', Qt::SkipEmptyParts)) {
        patterns.push_back(part.trimmed().toStdString());
    }
    return patterns;
}

bool MatchesAny(std::string_view name, const std::vector<std::string>& patterns) {
    return std::any_of(patterns.cbegin(), patterns.cend(),
                       [name](const std::string& pattern) { return MatchesWildcard(pattern, name); });
}

constexpr unsigned char kFirstNonAscii = 0x80;

// Alphabetical without regard to case; names differing only in case keep a fixed order.
void SortNames(QStringList& names) {
    // Each name is folded once into a byte key, so comparisons are plain byte compares: for ASCII names
    // the bytes lower-cased, otherwise the UTF-8 of the case-folded name (whose byte order is code-point order).
    std::vector<std::pair<std::string, qsizetype>> keyed;
    keyed.reserve(static_cast<std::size_t>(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString& name = names.at(i);
        std::string key = name.toStdString();
        const bool ascii =
            std::all_of(key.begin(), key.end(), [](char c) { return static_cast<unsigned char>(c) < kFirstNonAscii; });
        if (ascii) {
            std::transform(key.begin(), key.end(), key.begin(), LowerAscii);
        } else {
            key = name.toCaseFolded().toStdString();
        }
        keyed.emplace_back(std::move(key), i);
    }
    std::sort(keyed.begin(), keyed.end(), [&names](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : names.at(a.second) < names.at(b.second);
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const auto& entry : keyed) {
        sorted.append(std::move(names[entry.second]));
    }
    names = std::move(sorted);
}

#ifndef Q_OS_WIN
enum class EntryKind { File, Folder, Other };

EntryKind KindOf(int directory, const dirent& entry) {
    if (entry.d_type == DT_DIR) {
        return EntryKind::Folder;
    }
    if (entry.d_type == DT_REG) {
        return EntryKind::File;
    }
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) {
        return EntryKind::Other;
    }
    struct stat info {}; // a link counts as what it points to
    if (fstatat(directory, entry.d_name, &info, 0) != 0) {
        return EntryKind::Other;
    }
    return S_ISDIR(info.st_mode) ? EntryKind::Folder : S_ISREG(info.st_mode) ? EntryKind::File : EntryKind::Other;
}
#endif

QIcon NoIcon() {
    constexpr int kIconSize = 16;
    QPixmap blank(kIconSize, kIconSize);
    blank.fill(Qt::transparent);
    return {blank};
}

QString ChildPath(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
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

QListWidgetItem* AddFolderItem(QListWidget* list, const QString& text, const QString& path, qsizetype level,
                               QStyle::StandardPixmap icon) {
    auto* item = new QListWidgetItem(list->style()->standardIcon(icon), text, list);
    item->setData(kPathRole, path);
    item->setData(kLevelRole, static_cast<int>(level));
    return item;
}

} // namespace

QString JoinFolderAndFile(const QString& folder, const QString& file) {
    const QChar separator = QDir::separator();
    return folder.endsWith(separator) ? folder + file : folder + separator + file;
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
    ShowFolder(m_startFolder, ReadFolder(m_startFolder).value_or(FolderContents{}));
    WireEvents();
    m_drive1->setFocus();
}

BrowseFile::~BrowseFile() = default;

BuiltControls BrowseFile::CreateControls() {
    BuiltControls controls = BuildFromTable(this, kBrowseFileControls, CreateControl);
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
    m_shown.files = ReadFolder(m_folder).value_or(FolderContents{}).files;
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

std::optional<BrowseFile::FolderContents> BrowseFile::ReadFolder(const QString& folder) const {
    if (!IsFolderReadable(folder)) {
        return std::nullopt;
    }
    FolderContents contents;
#ifdef Q_OS_WIN
    // Read straight from the directory, as on POSIX: each entry brings its attributes along. Hidden entries and
    // system files are left out; Qt's own listing lets files with the system attribute through.
    WIN32_FIND_DATAW entry{};
    const std::wstring pattern = QDir::toNativeSeparators(ChildPath(folder, QStringLiteral("*"))).toStdWString();
    HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_FILE_NOT_FOUND ? std::optional{contents} : std::nullopt;
    }
    do {
        const QString name = QString::fromWCharArray(entry.cFileName);
        const DWORD attributes = entry.dwFileAttributes;
        const bool folderEntry = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (name == u"." || name == u".." || (attributes & FILE_ATTRIBUTE_HIDDEN) != 0) {
            continue;
        }
        if (folderEntry) {
            contents.folders.append(name);
        } else if ((attributes & FILE_ATTRIBUTE_SYSTEM) == 0 && MatchesAny(name.toStdString(), m_patterns)) {
            contents.files.append(name);
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
#else
    // Read straight from the directory: most entries say what they are without a stat of their own, and
    // only the names that are listed are converted to text. Names starting with a dot are hidden; devices,
    // sockets and broken links are neither files nor folders.
    DIR* directory = opendir(QFile::encodeName(folder).constData());
    if (directory == nullptr) {
        return std::nullopt;
    }
    while (const dirent* entry = readdir(directory)) {
        const std::string_view name = entry->d_name;
        if (name.empty() || name.front() == '.') {
            continue;
        }
        const EntryKind kind = KindOf(dirfd(directory), *entry);
        const bool wanted = kind == EntryKind::Folder || (kind == EntryKind::File && MatchesAny(name, m_patterns));
        if (!wanted) {
            continue;
        }
        // A name that is not valid UTF-8 comes back from text as another name: choosing it would hand
        // NodeBuilder a file that does not exist, so it is not offered.
        const QString text = QFile::decodeName(entry->d_name);
        if (QFile::encodeName(text) != QByteArrayView(name.data(), static_cast<qsizetype>(name.size()))) {
            continue;
        }
        (kind == EntryKind::Folder ? contents.folders : contents.files).append(text);
    }
    closedir(directory);
#endif
    SortNames(contents.folders);
    SortNames(contents.files);
    return contents;
}

// False, with both lists as they were, when the folder cannot be opened.
bool BrowseFile::MoveFolderList(const QString& folder) {
    std::optional<FolderContents> contents = ReadFolder(folder);
    if (!contents) {
        return false;
    }
    ShowFolder(folder, std::move(*contents));
    return true;
}

void BrowseFile::ShowFolder(const QString& folder, FolderContents contents) {
    m_folder = folder;
    m_shown = std::move(contents);

    const std::optional<Drive> drive = DriveHolding(m_drives, m_folder);
    const QStringList chain = ChainOf(m_folder, drive ? drive->root : QString());
    m_dir1->clear();
    for (qsizetype level = 0; level < chain.size(); ++level) {
        const QString& path = chain.at(level);
        const QString text = level == 0 ? QDir::toNativeSeparators(path) : QFileInfo(path).fileName();
        AddFolderItem(m_dir1, text, path, level, QStyle::SP_DirOpenIcon);
    }
    m_dir1->setCurrentRow(static_cast<int>(chain.size() - 1));
    for (const QString& name : std::as_const(m_shown.folders)) {
        AddFolderItem(m_dir1, name, ChildPath(m_folder, name), chain.size(), QStyle::SP_DirClosedIcon);
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
// at the folder the dialog opened at. Windows keeps a current folder per drive letter ("d:" names it);
// elsewhere other drives start at their root.
QString BrowseFile::CurrentFolderOf(const Drive& drive) const {
    if (DriveHolding(m_drives, m_startFolder) == drive) {
        return m_startFolder;
    }
#ifdef Q_OS_WIN
    // Only a drive letter's root ("D:/") has a current folder of the system's.
    const bool driveLetter = drive.root.size() == 3 && drive.root.endsWith(QStringLiteral(":/"));
    const QString folder = driveLetter ? DriveCurrentFolder(drive.root.left(2)) : QString();
    if (!folder.isEmpty() && IsFolderReadable(folder)) {
        return folder;
    }
#endif
    return drive.root;
}

QModelIndex BrowseFile::SelectedFile() const {
    const QModelIndexList selected = m_file1->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QModelIndex{} : selected.first();
}

} // namespace vantrel
