#include "BrowseFile.h"
#include "BrowseFileControls.h"
#include "BrowseFileDriver.h"
#include "CaptionFit.h"
#include "Drives.h"
#include "MessageBox.h"
#include "MessageRecorder.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScopeGuard>
#include <QSet>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace vantrel;
using namespace browse_driver;

namespace {

// Drives that are folders of a temporary tree, any of which a test can make unreadable.
class FakeDrives final : public DriveSource {
public:
    explicit FakeDrives(QList<Drive> drives) : m_drives(std::move(drives)) {}

    [[nodiscard]] QList<Drive> Drives() const override { return m_drives; }
    [[nodiscard]] bool IsReady(const Drive& drive) const override { return !m_unready.contains(drive.root); }

    void Pull(const QString& root) { m_unready.insert(root); }

private:
    QList<Drive> m_drives;
    QSet<QString> m_unready;
};

// Makes files and folders below root; names ending in "/" are folders.
void Make(const QString& root, const QStringList& entries) {
    for (const QString& entry : entries) {
        const QString path = root + u'/' + entry;
        if (entry.endsWith(u'/')) {
            QVERIFY(QDir().mkpath(path));
        } else {
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            QFile file(path);
            QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
        }
    }
}

QStringList FileNames(const BrowseFile& dialog) {
    const QAbstractItemModel* model = File1(dialog)->model();
    QStringList names;
    for (int row = 0; row < model->rowCount(); ++row) {
        names.append(model->index(row, 0).data().toString());
    }
    return names;
}

QStringList FolderTexts(const BrowseFile& dialog) {
    QStringList texts;
    for (int row = 0; row < Dir1(dialog)->count(); ++row) {
        texts.append(Dir1(dialog)->item(row)->text());
    }
    return texts;
}

void DoubleClickFile(const BrowseFile& dialog, const QString& name) {
    const QModelIndex index = FileIndex(dialog, name);
    QVERIFY2(index.isValid(), qPrintable(name));
    File1(dialog)->scrollTo(index);
    // A widget's double-click in Qt Test is the event alone; a real one follows a click.
    const QPoint centre = File1(dialog)->visualRect(index).center();
    QTest::mouseClick(File1(dialog)->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(File1(dialog)->viewport(), Qt::LeftButton, {}, centre);
}

void DoubleClickFolder(const BrowseFile& dialog, const QString& text) {
    const QList<QListWidgetItem*> found = Dir1(dialog)->findItems(text, Qt::MatchExactly);
    QVERIFY2(found.size() == 1, qPrintable(text));
    const QPoint centre = Dir1(dialog)->visualItemRect(found.first()).center();
    QTest::mouseClick(Dir1(dialog)->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(Dir1(dialog)->viewport(), Qt::LeftButton, {}, centre);
}

void SelectDrive(const BrowseFile& dialog, const QString& text) {
    const int index = Drive1(dialog)->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    Drive1(dialog)->setCurrentIndex(index);
}

// A dialog over fake drives, shown at a folder; the test keeps a hand on the drives.
struct Browser final {
    FakeDrives* drives{};
    std::unique_ptr<BrowseFile> dialog;
};

Browser ShowAt(const QList<Drive>& drives, const QString& folder, QWidget* owner = nullptr) {
    auto source = std::make_unique<FakeDrives>(drives);
    Browser browser{source.get(), std::make_unique<BrowseFile>(owner, std::move(source), folder)};
    browser.dialog->show();
    if (!QTest::qWaitForWindowExposed(browser.dialog.get())) {
        qWarning("the dialog was not exposed");
    }
    return browser;
}

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

enum class Entry { File, Folder, LinkToFile, BrokenLink, HiddenFile, SystemFile, ReadOnlyFile };

#ifdef Q_OS_WIN
void AddAttributes(const QString& path, DWORD attributes) {
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    QVERIFY2(SetFileAttributesW(native.c_str(), GetFileAttributesW(native.c_str()) | attributes), qPrintable(path));
}

// A drive letter named by the environment (scripts/windows.sh maps them in its wine prefix), or none.
std::optional<Drive> DriveNamedBy(const char* variable) {
    const QString letter = qEnvironmentVariable(variable);
    const QList<Drive> drives = SystemDrives().Drives();
    const auto found =
        std::find_if(drives.cbegin(), drives.cend(), [&letter](const Drive& d) { return d.text == letter; });
    return found != drives.cend() ? std::optional{*found} : std::nullopt;
}
#endif

} // namespace

class TestBrowseFile final : public QObject {
    Q_OBJECT

private slots:
    void namesThatAreNotUtf8AreNotOffered();
    void init();

    void opensWhereItsLayoutPlacesIt();
    void captionsFitAndFacesSuitTheScale();
    void opensCentredOverItsOwner();
    void opensWithTheFocusOnTheDriveListThenTabsInOrder();
    void newDialogStartsAtTheCurrentFolderNotTheLastChoice();

    void fileListPattern_data();
    void fileListPattern();
    void filesAreSortedWithoutRegardToCase();
    void browseSetsThePattern();
    void folderListShowsTheChainThenTheSubfolders();

    void confirmingFillsTheResultFieldsAndHides_data();
    void confirmingFillsTheResultFieldsAndHides();
    void resultAtADriveRootHasOneSeparator();
    void joinFolderAndFile_data();
    void joinFolderAndFile();
    void resultKeepsTheCaseOfTheFolder();
    void cancelAfterASelectionReturnsNothing_data();
    void cancelAfterASelectionReturnsNothing();
    void execReturnsTheChoiceToTheCaller();
    void enterAndEscapeDoNothing();

    void changingTheFolderDisablesOk();
    void changingTheDriveDisablesOk();
    void folderThatCannotBeOpenedLeavesTheListsAndSaysSo_data();
    void folderThatCannotBeOpenedLeavesTheListsAndSaysSo();

    void unreadableDriveReturnsToTheDriveShownBefore();
    void pulledMediumFallsBackAfterOneMessage();
    void nothingReadableEndsAfterOneMessage();

    void systemDrivesOfferTheRootAndNoPseudoFileSystems();
    void driveHoldingPicksTheDeepestRoot();

    void bigFolderListsEveryMatch();

    void driveLettersAreTheSystems();
    void unreadyDriveLetterGoesBackToTheDriveShownBefore();
    void otherDriveOpensAtItsOwnCurrentFolder();

private:
    QTemporaryDir m_temp;
    QString m_a;
    QString m_b;
    QString m_c;
    QList<Drive> m_drives;
};

void TestBrowseFile::init() {
    QVERIFY(m_temp.isValid());
    const QString run = m_temp.path() + QStringLiteral("/%1").arg(QTest::currentTestFunction());
    const QString row = QTest::currentDataTag() != nullptr ? QString::fromUtf8(QTest::currentDataTag()) : QString();
    const QString base = QDir::cleanPath(run + u'/' + QString::number(qHash(row)));
    m_a = base + QStringLiteral("/a");
    m_b = base + QStringLiteral("/b");
    m_c = base + QStringLiteral("/c");
    Make(base, {QStringLiteral("a/"), QStringLiteral("b/"), QStringLiteral("c/")});
    m_drives = {{QStringLiteral("A"), m_a}, {QStringLiteral("B"), m_b}, {QStringLiteral("C"), m_c}};
}

void TestBrowseFile::opensWhereItsLayoutPlacesIt() {
    const Browser browser = ShowAt(m_drives, m_a);
    const BrowseFile& dialog = *browser.dialog;
    const qreal dpi = dialog.logicalDpiX();

    QCOMPARE(dialog.objectName(), QStringLiteral("BrowseFile"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Browse for WAD file..."));
    QCOMPARE(dialog.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(!(dialog.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    // No icon of its own, not even its owner's: what it shows is fully transparent.
    QWidget owner;
    owner.setWindowIcon(QIcon(QPixmap(16, 16)));
    const BrowseFile owned(&owner, std::make_unique<FakeDrives>(m_drives), m_a);
    const QImage icon = owned.windowIcon().pixmap(16, 16).toImage();
    QVERIFY(!icon.isNull());
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            QCOMPARE(qAlpha(icon.pixel(x, y)), 0);
        }
    }
    const QSize client = TwipsToPixels(kBrowseFileClientArea, dpi).size();
    QCOMPARE(dialog.size(), client);
    QCOMPARE(dialog.minimumSize(), client);
    QCOMPARE(dialog.maximumSize(), client);

    for (const BrowseControlRow& row : kBrowseFileControls) {
        const auto* widget = dialog.findChild<QWidget*>(QString::fromUtf8(row.name));
        QVERIFY2(widget != nullptr, row.name);
        QCOMPARE(widget->parentWidget()->objectName(), QString::fromUtf8(row.parent));
        QCOMPARE(widget->geometry(), TwipsToPixels(row.rect, dpi));
        if (row.kind == BrowseControlKind::ResultField) {
            QVERIFY2(widget->y() >= client.height(), row.name);
            QCOMPARE(widget->focusPolicy(), Qt::NoFocus);
        }
    }
    QCOMPARE(OkButton(dialog)->text(), QStringLiteral("OK"));
    QCOMPARE(CancelButton(dialog)->text(), QStringLiteral("Cancel"));
    QVERIFY(!OkButton(dialog)->isEnabled());
    QVERIFY(CancelButton(dialog)->isEnabled());
    for (const QPushButton* button : {OkButton(dialog), CancelButton(dialog)}) {
        QVERIFY(!button->isDefault());
        QVERIFY(!button->autoDefault());
    }
    const QColor buttonFace = dialog.palette().color(QPalette::Button);
    for (const QWidget* list : std::initializer_list<const QWidget*>{Drive1(dialog), Dir1(dialog), File1(dialog)}) {
        QCOMPARE(list->palette().color(QPalette::Base), buttonFace);
    }
    QVERIFY(dialog.Result().isEmpty());
    QVERIFY(dialog.ResultFile().isEmpty());
    QVERIFY(dialog.Resultpath().isEmpty());
}

void TestBrowseFile::captionsFitAndFacesSuitTheScale() {
    const Browser browser = ShowAt(m_drives, m_a);
    const BrowseFile& dialog = *browser.dialog;
    QVERIFY(caption_fit::FaceProblem(&dialog).isEmpty());
    for (const BrowseControlRow& row : kBrowseFileControls) {
        auto* widget = dialog.findChild<QWidget*>(QString::fromUtf8(row.name));
        const QString overflow = caption_fit::Overflow(widget);
        QVERIFY2(overflow.isEmpty(), qPrintable(overflow));
        const QString problem = caption_fit::FaceProblem(widget);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
    // The drive list shows its drive's name in full height, capitals to descenders.
    QComboBox* drives = Drive1(dialog);
    QStyleOptionComboBox option;
    option.initFrom(drives);
    const QRect field =
        drives->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, drives);
    const QFontMetrics metrics(drives->font());
    QVERIFY2(field.height() >= metrics.capHeight() + metrics.descent(), qPrintable(QString::number(field.height())));
}

void TestBrowseFile::opensCentredOverItsOwner() {
    QWidget owner;
    owner.setGeometry(150, 120, 700, 500);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));

    const Browser browser = ShowAt(m_drives, m_a, &owner);
    const QPoint offset = browser.dialog->frameGeometry().center() - owner.frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 4, qPrintable(QStringLiteral("off by %1,%2").arg(offset.x()).arg(offset.y())));
}

void TestBrowseFile::opensWithTheFocusOnTheDriveListThenTabsInOrder() {
    Make(m_a, {QStringLiteral("e1.wad")});
    const Browser browser = ShowAt(m_drives, m_a);
    BrowseFile& dialog = *browser.dialog;
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), Drive1(dialog));

    // With "OK" enabled, so that it takes part in the order.
    File1(dialog)->selectionModel()->select(FileIndex(dialog, QStringLiteral("e1.wad")),
                                            QItemSelectionModel::ClearAndSelect);
    QVERIFY(OkButton(dialog)->isEnabled());
    const QList<QWidget*> order{File1(dialog), Dir1(dialog), OkButton(dialog), CancelButton(dialog), Drive1(dialog)};
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void TestBrowseFile::newDialogStartsAtTheCurrentFolderNotTheLastChoice() {
    Make(m_b, {QStringLiteral("maps/e1.wad"), QStringLiteral("maps/notes.txt"), QStringLiteral("other/o.wad")});
    const QString before = QDir::currentPath();
    const auto restore = qScopeGuard([&before] { QDir::setCurrent(before); });
    QVERIFY(QDir::setCurrent(m_b + QStringLiteral("/maps")));

    const auto verifyInitialState = [this](const BrowseFile& dialog) {
        QCOMPARE(dialog.FolderPath(), Native(m_b + QStringLiteral("/maps")));
        QCOMPARE(Drive1(dialog)->currentText(), QStringLiteral("B"));
        QCOMPARE(FileNames(dialog), QStringList{QStringLiteral("e1.wad")});
        QVERIFY(!File1(dialog)->selectionModel()->hasSelection());
        QVERIFY(!OkButton(dialog)->isEnabled());
        QVERIFY(dialog.ResultFile().isEmpty());
    };
    {
        BrowseFile first(nullptr, std::make_unique<FakeDrives>(m_drives));
        verifyInitialState(first);
        first.show();
        QVERIFY(QTest::qWaitForWindowExposed(&first));
        DoubleClickFolder(first, Native(m_b));
        DoubleClickFolder(first, QStringLiteral("other"));
        DoubleClickFile(first, QStringLiteral("o.wad"));
        QCOMPARE(first.Resultpath(), Native(m_b + QStringLiteral("/other")));
    }
    const BrowseFile second(nullptr, std::make_unique<FakeDrives>(m_drives));
    verifyInitialState(second);
}

void TestBrowseFile::fileListPattern_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<bool>("listed");

    QTest::newRow("lower-case .wad") << QStringLiteral("doom2.wad") << Entry::File << true;
    QTest::newRow("upper-case .WAD") << QStringLiteral("E1M1.WAD") << Entry::File << true;
    QTest::newRow("mixed-case .WaD") << QStringLiteral("map01.WaD") << Entry::File << true;
    QTest::newRow(".pwad ends in wad") << QStringLiteral("x.pwad") << Entry::File << true;
    QTest::newRow("text file") << QStringLiteral("readme.txt") << Entry::File << false;
    QTest::newRow("no dot before wad") << QStringLiteral("mywad") << Entry::File << false;
    QTest::newRow("wad not at the end") << QStringLiteral("e1.wad.bak") << Entry::File << false;
    QTest::newRow("folder named like a wad") << QStringLiteral("maps.wad") << Entry::Folder << false;
#ifdef Q_OS_WIN
    QTest::newRow("hidden attribute") << QStringLiteral("hidden.wad") << Entry::HiddenFile << false;
    QTest::newRow("system attribute") << QStringLiteral("system.wad") << Entry::SystemFile << false;
    QTest::newRow("read-only attribute") << QStringLiteral("locked.wad") << Entry::ReadOnlyFile << true;
#else
    QTest::newRow("hidden file") << QStringLiteral(".hidden.wad") << Entry::File << false;
    QTest::newRow("link to a wad") << QStringLiteral("link.wad") << Entry::LinkToFile << true;
    QTest::newRow("broken link") << QStringLiteral("broken.wad") << Entry::BrokenLink << false;
#endif
}

void TestBrowseFile::fileListPattern() {
    QFETCH(QString, name);
    QFETCH(Entry, entry);
    QFETCH(bool, listed);
    const QString path = m_a + u'/' + name;
    switch (entry) {
    case Entry::File:
        Make(m_a, {name});
        break;
    case Entry::Folder:
        Make(m_a, {name + u'/'});
        break;
    case Entry::LinkToFile:
        Make(m_b, {QStringLiteral("target.wad")});
        QVERIFY(QFile::link(m_b + QStringLiteral("/target.wad"), path));
        break;
    case Entry::BrokenLink:
        QVERIFY(QFile::link(m_b + QStringLiteral("/missing.wad"), path));
        break;
    case Entry::HiddenFile:
    case Entry::SystemFile:
    case Entry::ReadOnlyFile:
        Make(m_a, {name});
#ifdef Q_OS_WIN
        AddAttributes(path, entry == Entry::HiddenFile   ? FILE_ATTRIBUTE_HIDDEN
                            : entry == Entry::SystemFile ? FILE_ATTRIBUTE_SYSTEM
                                                         : FILE_ATTRIBUTE_READONLY);
#endif
        break;
    }
    const Browser browser = ShowAt(m_drives, m_a);
    QCOMPARE(FileNames(*browser.dialog), listed ? QStringList{name} : QStringList{});
}

void TestBrowseFile::filesAreSortedWithoutRegardToCase() {
    Make(m_a, {QStringLiteral("b.wad"), QStringLiteral("C.WAD"), QStringLiteral("a.wad"), QStringLiteral("A2.wad")});
    const Browser browser = ShowAt(m_drives, m_a);
    QCOMPARE(FileNames(*browser.dialog), (QStringList{QStringLiteral("a.wad"), QStringLiteral("A2.wad"),
                                                      QStringLiteral("b.wad"), QStringLiteral("C.WAD")}));
    // Names beyond ASCII come after it, folded; long names that share their first sixteen letters are told apart
    // by the rest, whatever their case.
    const QStringList sorted{QStringLiteral("a.wad"),
                             QStringLiteral("MAPSETNUMBER_twenty_a.wad"),
                             QStringLiteral("mapsetnumber_twenty_b.wad"),
                             QStringLiteral("zeta.wad"),
                             QString::fromUtf8("\xc3\x89mile.wad"),
                             QString::fromUtf8("\xc3\xa9mile2.wad")};
    Make(m_b, {sorted.at(5), sorted.at(3), sorted.at(1), sorted.at(4), sorted.at(0), sorted.at(2)});
    const Browser other = ShowAt(m_drives, m_b);
    QCOMPARE(FileNames(*other.dialog), sorted);
}

void TestBrowseFile::browseSetsThePattern() {
    Make(m_a, {QStringLiteral("e1.wad"), QStringLiteral("readme.txt"), QStringLiteral("demo.LMP")});
    const Browser browser = ShowAt(m_drives, m_a);
    BrowseFile& dialog = *browser.dialog;
    ClickFile(dialog, QStringLiteral("e1.wad"));
    QVERIFY(OkButton(dialog)->isEnabled());

    dialog.Browse(QStringLiteral("*.txt"));
    QCOMPARE(FileNames(dialog), QStringList{QStringLiteral("readme.txt")});
    QVERIFY(!OkButton(dialog)->isEnabled());

    dialog.Browse(QStringLiteral("*.lmp;*.TXT"));
    QCOMPARE(FileNames(dialog), (QStringList{QStringLiteral("demo.LMP"), QStringLiteral("readme.txt")}));
}

void TestBrowseFile::folderListShowsTheChainThenTheSubfolders() {
    Make(m_a, {QStringLiteral("maps/deep/Zeta/"), QStringLiteral("maps/deep/alpha/"), QStringLiteral("maps/deep/.git/"),
               QStringLiteral("maps/deep/Beta/")});
#ifdef Q_OS_WIN
    AddAttributes(m_a + QStringLiteral("/maps/deep/.git"), FILE_ATTRIBUTE_HIDDEN);
#endif
    const Browser browser = ShowAt(m_drives, m_a + QStringLiteral("/maps/deep"));
    const BrowseFile& dialog = *browser.dialog;
    QCOMPARE(FolderTexts(dialog),
             (QStringList{Native(m_a), QStringLiteral("maps"), QStringLiteral("deep"), QStringLiteral("alpha"),
                          QStringLiteral("Beta"), QStringLiteral("Zeta")}));
    QCOMPARE(Dir1(dialog)->currentItem()->text(), QStringLiteral("deep"));

    // Each level is drawn further right than the one above it; the sub-folders share one level.
    QListWidget* list = Dir1(dialog);
    const QImage image = list->viewport()->grab().toImage();
    const QRgb background = list->palette().color(QPalette::Base).rgb();
    QList<int> lefts;
    for (int row = 0; row < list->count(); ++row) {
        const QRect rect = list->visualItemRect(list->item(row));
        int left = rect.right();
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            for (int x = rect.left(); x < left; ++x) {
                if (image.pixel(x, y) != background) {
                    left = x;
                }
            }
        }
        lefts.append(left);
    }
    QVERIFY2(lefts[0] < lefts[1] && lefts[1] < lefts[2] && lefts[2] < lefts[3], qPrintable(QDebug::toString(lefts)));
    QCOMPARE(lefts[4], lefts[3]);
    QCOMPARE(lefts[5], lefts[3]);
}

void TestBrowseFile::confirmingFillsTheResultFieldsAndHides_data() {
    QTest::addColumn<bool>("doubleClick");
    QTest::newRow("click, then OK") << false;
    QTest::newRow("double-click") << true;
}

void TestBrowseFile::confirmingFillsTheResultFieldsAndHides() {
    QFETCH(bool, doubleClick);
    Make(m_a, {QStringLiteral("maps/e1.wad"), QStringLiteral("maps/e2.wad")});
    const Browser browser = ShowAt(m_drives, m_a + QStringLiteral("/maps"));
    BrowseFile& dialog = *browser.dialog;
    if (doubleClick) {
        DoubleClickFile(dialog, QStringLiteral("e2.wad"));
    } else {
        ClickFile(dialog, QStringLiteral("e2.wad"));
        QVERIFY(OkButton(dialog)->isEnabled());
        QTest::mouseClick(OkButton(dialog), Qt::LeftButton);
    }

    QCOMPARE(dialog.Result(), Native(m_a + QStringLiteral("/maps/e2.wad")));
    QCOMPARE(dialog.ResultFile(), QStringLiteral("e2.wad"));
    QCOMPARE(dialog.Resultpath(), Native(m_a + QStringLiteral("/maps")));
    QVERIFY(dialog.isHidden());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(dialog.findChild<QLineEdit*>(QStringLiteral("ResultDrive"))->text().isEmpty());
}

void TestBrowseFile::resultAtADriveRootHasOneSeparator() {
    Make(m_c, {QStringLiteral("e1.wad")});
    const Browser browser = ShowAt(m_drives, m_a);
    BrowseFile& dialog = *browser.dialog;
    SelectDrive(dialog, QStringLiteral("C"));
    DoubleClickFile(dialog, QStringLiteral("e1.wad"));
    QCOMPARE(dialog.Result(), Native(m_c + QStringLiteral("/e1.wad")));
    QCOMPARE(dialog.Resultpath(), Native(m_c));
}

void TestBrowseFile::joinFolderAndFile_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("result");
    const QString sep = QDir::separator();

    QTest::newRow("folder gets a separator")
        << sep + QStringLiteral("maps") << sep + QStringLiteral("maps") + sep + QStringLiteral("e1.wad");
    QTest::newRow("root already ends in one") << sep << sep + QStringLiteral("e1.wad");
    QTest::newRow("drive root already ends in one")
        << QStringLiteral("c:") + sep << QStringLiteral("c:") + sep + QStringLiteral("e1.wad");
}

void TestBrowseFile::joinFolderAndFile() {
    QFETCH(QString, folder);
    QFETCH(QString, result);
    QCOMPARE(JoinFolderAndFile(folder, QStringLiteral("e1.wad")), result);
}

void TestBrowseFile::resultKeepsTheCaseOfTheFolder() {
    Make(m_a, {QStringLiteral("Maps/E1M1.WAD"), QStringLiteral("maps/lower.wad")});
    const Browser browser = ShowAt(m_drives, m_a);
    BrowseFile& dialog = *browser.dialog;
    DoubleClickFolder(dialog, QStringLiteral("Maps"));
    QCOMPARE(dialog.FolderPath(), Native(m_a + QStringLiteral("/Maps")));
    // Where the file system tells the two apart, the file list shows "Maps", not "maps"; elsewhere they are one.
    QStringList expected{QStringLiteral("E1M1.WAD")};
    if (QFileInfo::exists(m_a + QStringLiteral("/Maps/lower.wad"))) {
        expected.append(QStringLiteral("lower.wad"));
    }
    QCOMPARE(FileNames(dialog), expected);
    DoubleClickFile(dialog, QStringLiteral("E1M1.WAD"));
    QCOMPARE(dialog.Result(), Native(m_a + QStringLiteral("/Maps/E1M1.WAD")));
    QCOMPARE(dialog.ResultFile(), QStringLiteral("E1M1.WAD"));
    QCOMPARE(dialog.Resultpath(), Native(m_a + QStringLiteral("/Maps")));
}

void TestBrowseFile::cancelAfterASelectionReturnsNothing_data() {
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("Cancel") << false;
    QTest::newRow("close box") << true;
}

void TestBrowseFile::cancelAfterASelectionReturnsNothing() {
    QFETCH(bool, closeBox);
    Make(m_a, {QStringLiteral("e1.wad")});
    const Browser browser = ShowAt(m_drives, m_a);
    BrowseFile& dialog = *browser.dialog;
    ClickFile(dialog, QStringLiteral("e1.wad"));
    if (closeBox) {
        QVERIFY(dialog.close());
    } else {
        QTest::mouseClick(CancelButton(dialog), Qt::LeftButton);
    }

    QVERIFY(dialog.isHidden());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(dialog.Result().isEmpty());
    QVERIFY(dialog.ResultFile().isEmpty());
    QVERIFY(dialog.Resultpath().isEmpty());
}

void TestBrowseFile::execReturnsTheChoiceToTheCaller() {
    Make(m_a, {QStringLiteral("e1.wad")});
    BrowseFile confirmed(nullptr, std::make_unique<FakeDrives>(m_drives), m_a);
    WhenModal([](BrowseFile* dialog) { DoubleClickFile(*dialog, QStringLiteral("e1.wad")); });
    QCOMPARE(confirmed.exec(), int(QDialog::Accepted));
    QCOMPARE(confirmed.ResultFile(), QStringLiteral("e1.wad"));
    QCOMPARE(confirmed.Result(), Native(m_a + QStringLiteral("/e1.wad")));

    BrowseFile cancelled(nullptr, std::make_unique<FakeDrives>(m_drives), m_a);
    WhenModal([](BrowseFile* dialog) {
        ClickFile(*dialog, QStringLiteral("e1.wad"));
        QTest::mouseClick(CancelButton(*dialog), Qt::LeftButton);
    });
    QCOMPARE(cancelled.exec(), int(QDialog::Rejected));
    QVERIFY(cancelled.ResultFile().isEmpty());
}

void TestBrowseFile::enterAndEscapeDoNothing() {
    Make(m_a, {QStringLiteral("e1.wad")});
    const Browser browser = ShowAt(m_drives, m_a);
    BrowseFile& dialog = *browser.dialog;
    ClickFile(dialog, QStringLiteral("e1.wad"));

    for (QWidget* target : {static_cast<QWidget*>(File1(dialog)), static_cast<QWidget*>(OkButton(dialog)),
                            static_cast<QWidget*>(CancelButton(dialog))}) {
        target->setFocus();
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(target, key);
            QVERIFY2(dialog.isVisible(), target->objectName().toUtf8());
        }
    }
    QVERIFY(dialog.ResultFile().isEmpty());
    QVERIFY(OkButton(dialog)->isEnabled());
}

void TestBrowseFile::changingTheFolderDisablesOk() {
    Make(m_a, {QStringLiteral("top.wad"), QStringLiteral("maps/e1.wad"), QStringLiteral("empty/")});
    const Browser browser = ShowAt(m_drives, m_a);
    BrowseFile& dialog = *browser.dialog;
    ClickFile(dialog, QStringLiteral("top.wad"));
    QVERIFY(OkButton(dialog)->isEnabled());

    DoubleClickFolder(dialog, QStringLiteral("maps"));
    QCOMPARE(dialog.FolderPath(), Native(m_a + QStringLiteral("/maps")));
    QCOMPARE(FileNames(dialog), QStringList{QStringLiteral("e1.wad")});
    QVERIFY(!File1(dialog)->selectionModel()->hasSelection());
    QVERIFY(!OkButton(dialog)->isEnabled());

    ClickFile(dialog, QStringLiteral("e1.wad"));
    QVERIFY(OkButton(dialog)->isEnabled());
    DoubleClickFolder(dialog, Native(m_a)); // up through the chain
    QCOMPARE(dialog.FolderPath(), Native(m_a));
    QVERIFY(!OkButton(dialog)->isEnabled());

    DoubleClickFolder(dialog, QStringLiteral("empty"));
    QVERIFY(FileNames(dialog).isEmpty());
    QVERIFY(!OkButton(dialog)->isEnabled());
}

void TestBrowseFile::changingTheDriveDisablesOk() {
    Make(m_a, {QStringLiteral("e1.wad")});
    Make(m_b, {QStringLiteral("b1.wad")});
    const MessageRecorder recorder;
    const Browser browser = ShowAt(m_drives, m_a);
    BrowseFile& dialog = *browser.dialog;
    ClickFile(dialog, QStringLiteral("e1.wad"));
    QVERIFY(OkButton(dialog)->isEnabled());

    SelectDrive(dialog, QStringLiteral("B"));
    QCOMPARE(dialog.FolderPath(), Native(m_b));
    QCOMPARE(FileNames(dialog), QStringList{QStringLiteral("b1.wad")});
    QVERIFY(!OkButton(dialog)->isEnabled());
    QVERIFY(recorder.messages.isEmpty());
}

void TestBrowseFile::folderThatCannotBeOpenedLeavesTheListsAndSaysSo_data() {
    QTest::addColumn<bool>("removed");
    QTest::newRow("removed meanwhile") << true;
    QTest::newRow("no permission") << false;
}

void TestBrowseFile::folderThatCannotBeOpenedLeavesTheListsAndSaysSo() {
    QFETCH(bool, removed);
    Make(m_a, {QStringLiteral("e1.wad"), QStringLiteral("locked/inside.wad"), QStringLiteral("other/")});
    const QString locked = m_a + QStringLiteral("/locked");
    const MessageRecorder recorder;
    const Browser browser = ShowAt(m_drives, m_a);
    BrowseFile& dialog = *browser.dialog;
    ClickFile(dialog, QStringLiteral("e1.wad"));
    const QStringList folders = FolderTexts(dialog);

    if (removed) {
        QVERIFY(QDir(locked).removeRecursively());
    } else {
#ifdef Q_OS_WIN
        QSKIP("Windows keeps no read permission that Qt can take away");
#endif
        QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions{}));
        if (IsFolderReadable(locked)) {
            QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QSKIP("this user reads every folder whatever its permissions");
        }
    }
    DoubleClickFolder(dialog, QStringLiteral("locked"));
    if (!removed) {
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    QCOMPARE(recorder.messages.size(), 1);
    QVERIFY(recorder.messages.first().text.contains(Native(locked)));
    QCOMPARE(recorder.messages.first().title, QStringLiteral("ERROR"));
    QCOMPARE(dialog.FolderPath(), Native(m_a));
    QCOMPARE(FolderTexts(dialog), folders);
    QCOMPARE(FileNames(dialog), QStringList{QStringLiteral("e1.wad")});
    // Like every change of folder, successful or not, the attempt takes back the file choice.
    QVERIFY(!File1(dialog)->selectionModel()->hasSelection());
    QVERIFY(!OkButton(dialog)->isEnabled());
}

void TestBrowseFile::unreadableDriveReturnsToTheDriveShownBefore() {
    Make(m_a, {QStringLiteral("maps/e1.wad"), QStringLiteral("maps/sub/s.wad")});
    const MessageRecorder recorder;
    const Browser browser = ShowAt(m_drives, m_a + QStringLiteral("/maps"));
    BrowseFile& dialog = *browser.dialog;
    browser.drives->Pull(m_b);
    DoubleClickFolder(dialog, QStringLiteral("sub"));
    ClickFile(dialog, QStringLiteral("s.wad"));

    SelectDrive(dialog, QStringLiteral("B"));

    QCOMPARE(recorder.messages.size(), 1);
    const Message& message = recorder.messages.first();
    QCOMPARE(message.text, QStringLiteral("Drive not ready"));
    QCOMPARE(message.title, QStringLiteral("ERROR"));
    QCOMPARE(message.icon, MessageIcon::None);
    // Back on drive A, at its current folder: the folder the dialog opened at, not the one shown last.
    QCOMPARE(Drive1(dialog)->currentText(), QStringLiteral("A"));
    QCOMPARE(dialog.FolderPath(), Native(m_a + QStringLiteral("/maps")));
    QCOMPARE(FileNames(dialog), QStringList{QStringLiteral("e1.wad")});
    QVERIFY(!OkButton(dialog)->isEnabled());
    QVERIFY(dialog.ResultFile().isEmpty());
}

void TestBrowseFile::pulledMediumFallsBackAfterOneMessage() {
    Make(m_c, {QStringLiteral("c1.wad")});
    const MessageRecorder recorder;
    const Browser browser = ShowAt(m_drives, m_a);
    BrowseFile& dialog = *browser.dialog;
    SelectDrive(dialog, QStringLiteral("C"));
    QCOMPARE(dialog.FolderPath(), Native(m_c));

    browser.drives->Pull(m_c); // the medium shown is pulled meanwhile
    browser.drives->Pull(m_b);
    SelectDrive(dialog, QStringLiteral("B"));

    QCOMPARE(recorder.messages.size(), 1);
    QCOMPARE(Drive1(dialog)->currentText(), QStringLiteral("A"));
    QCOMPARE(dialog.FolderPath(), Native(m_a));
    QVERIFY(!OkButton(dialog)->isEnabled());
}

void TestBrowseFile::nothingReadableEndsAfterOneMessage() {
    Make(m_c, {QStringLiteral("c1.wad")});
    const MessageRecorder recorder;
    const Browser browser = ShowAt(m_drives, m_c);
    BrowseFile& dialog = *browser.dialog;
    for (const Drive& drive : m_drives) {
        browser.drives->Pull(drive.root);
    }
    SelectDrive(dialog, QStringLiteral("A"));

    QCOMPARE(recorder.messages.size(), 1);
    QCOMPARE(Drive1(dialog)->currentText(), QStringLiteral("C"));
    QCOMPARE(dialog.FolderPath(), Native(m_c));
    QCOMPARE(FileNames(dialog), QStringList{QStringLiteral("c1.wad")});
    QVERIFY(!OkButton(dialog)->isEnabled());
}

void TestBrowseFile::systemDrivesOfferTheRootAndNoPseudoFileSystems() {
    const SystemDrives system;
    const QList<Drive> drives = system.Drives();
    QVERIFY(!drives.isEmpty());
    const std::optional<Drive> current = DriveHolding(drives, QDir::currentPath());
    QVERIFY(current.has_value());
    QVERIFY(system.IsReady(*current));
#ifndef Q_OS_WIN
    QCOMPARE(drives.first(), (Drive{QStringLiteral("/"), QStringLiteral("/")}));
    for (const Drive& drive : drives) {
        QCOMPARE(drive.text, drive.root);
        for (const char* pseudo : {"/proc", "/sys", "/dev", "/run/user"}) {
            QVERIFY2(!drive.root.startsWith(QString::fromLatin1(pseudo)), qPrintable(drive.root));
        }
    }
    // A folder that is not, or no longer, a mount point is not a ready drive.
    QVERIFY(!system.IsReady({m_a, m_a}));
    QVERIFY(!system.IsReady({QStringLiteral("/no/such/mount"), QStringLiteral("/no/such/mount")}));
#endif
}

void TestBrowseFile::driveHoldingPicksTheDeepestRoot() {
    const QList<Drive> drives{{QStringLiteral("/"), QStringLiteral("/")},
                              {QStringLiteral("/media/usb"), QStringLiteral("/media/usb")},
                              {QStringLiteral("/media/usb/inner"), QStringLiteral("/media/usb/inner")}};
    QCOMPARE(DriveHolding(drives, QStringLiteral("/media/usb/maps"))->root, QStringLiteral("/media/usb"));
    QCOMPARE(DriveHolding(drives, QStringLiteral("/media/usb"))->root, QStringLiteral("/media/usb"));
    QCOMPARE(DriveHolding(drives, QStringLiteral("/media/usb/inner/x"))->root, QStringLiteral("/media/usb/inner"));
    QCOMPARE(DriveHolding(drives, QStringLiteral("/media/usb2"))->root, QStringLiteral("/"));
    QVERIFY(!DriveHolding(drives.mid(1), QStringLiteral("/home")).has_value());
}

void TestBrowseFile::bigFolderListsEveryMatch() {
    // How fast a big folder opens is measured by scripts/bench.sh; here, that every match of one is listed.
    constexpr int kFiles = 2'000;
    const QString big = m_a + QStringLiteral("/big");
    QVERIFY(QDir().mkpath(big));
    for (int i = 0; i < kFiles; ++i) {
        QFile file(big + QStringLiteral("/level%1.%2").arg(i, 6, 10, QChar(u'0')).arg(i % 2 == 0 ? "wad" : "txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const BrowseFile dialog(nullptr, std::make_unique<FakeDrives>(m_drives), big);
    QCOMPARE(File1(dialog)->model()->rowCount(), kFiles / 2);
    const QStringList names = FileNames(dialog);
    QCOMPARE(names.first(), QStringLiteral("level000000.wad"));
    QCOMPARE(names.last(), QStringLiteral("level001998.wad"));
}

void TestBrowseFile::namesThatAreNotUtf8AreNotOffered() {
#ifdef Q_OS_WIN
    QSKIP("Windows names are UTF-16 text: every one converts");
#else
    Make(m_a, {QStringLiteral("e1.wad")});
    // Bytes that are no UTF-8, and a byte order mark that Qt's text drops at the start: as text they would name
    // another file.
    for (const char* raw : {"/\xff\xfe.wad", "/caf\xe9/",
                            "/\xef\xbb\xbf"
                            "e2.wad"}) {
        const QByteArray path = QFile::encodeName(m_a) + raw;
        if (path.endsWith('/')) {
            QCOMPARE(::mkdir(path.constData(), 0755), 0);
        } else {
            const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
            QVERIFY(fd >= 0);
            ::close(fd);
        }
    }
    const Browser browser = ShowAt(m_drives, m_a);
    QCOMPARE(FileNames(*browser.dialog), QStringList{QStringLiteral("e1.wad")});
    QVERIFY(!FolderTexts(*browser.dialog).join(u'|').contains(QStringLiteral("caf")));
#endif
}

void TestBrowseFile::driveLettersAreTheSystems() {
#ifndef Q_OS_WIN
    QSKIP("drive letters are Windows'");
#else
    const QList<Drive> drives = SystemDrives().Drives();
    QStringList texts;
    for (const Drive& drive : drives) {
        texts << drive.text;
        QCOMPARE(drive.root, drive.text.toUpper() + u'/');
    }
    // VANTREL_TEST_DRIVES: the letters the machine is known to have ("c:,z:" under wine).
    for (const QString& expected : qEnvironmentVariable("VANTREL_TEST_DRIVES").split(u',', Qt::SkipEmptyParts)) {
        QVERIFY2(texts.contains(expected), qPrintable(texts.join(u' ')));
    }
    QVERIFY(DriveHolding(drives, QDir::currentPath()).has_value());
#endif
}

void TestBrowseFile::unreadyDriveLetterGoesBackToTheDriveShownBefore() {
#ifndef Q_OS_WIN
    QSKIP("drive letters are Windows'");
#else
    // VANTREL_TEST_UNREADY_DRIVE: a letter mapped to a folder that does not exist.
    const std::optional<Drive> unready = DriveNamedBy("VANTREL_TEST_UNREADY_DRIVE");
    if (!unready) {
        QSKIP("VANTREL_TEST_UNREADY_DRIVE names no drive of this machine");
    }
    QVERIFY(!SystemDrives().IsReady(*unready));
    Make(m_a, {QStringLiteral("e1.wad")});
    const MessageRecorder recorder;
    BrowseFile dialog(nullptr, nullptr, m_a);
    const QString before = Drive1(dialog)->currentText();
    SelectDrive(dialog, unready->text);
    QCOMPARE(recorder.messages.size(), 1);
    QCOMPARE(recorder.messages.first().text, QStringLiteral("Drive not ready"));
    QCOMPARE(Drive1(dialog)->currentText(), before);
    QCOMPARE(dialog.FolderPath(), Native(m_a));
    QCOMPARE(FileNames(dialog), QStringList{QStringLiteral("e1.wad")});
#endif
}

void TestBrowseFile::otherDriveOpensAtItsOwnCurrentFolder() {
#ifndef Q_OS_WIN
    QSKIP("only Windows keeps a current folder per drive");
#else
    // VANTREL_TEST_SCRATCH_DRIVE: a letter of its own for this test, mapped to an empty folder.
    const std::optional<Drive> scratch = DriveNamedBy("VANTREL_TEST_SCRATCH_DRIVE");
    if (!scratch) {
        QSKIP("VANTREL_TEST_SCRATCH_DRIVE names no drive of this machine");
    }
    Make(scratch->root.chopped(1), {QStringLiteral("maps/e1.wad"), QStringLiteral("top.wad")});
    // The system's record of the drive's current folder: the environment variable "=T:".
    const std::wstring variable = QStringLiteral("=%1").arg(scratch->text.toUpper()).toStdWString();
    const std::wstring folder = Native(scratch->root + QStringLiteral("maps")).toStdWString();
    QVERIFY(SetEnvironmentVariableW(variable.c_str(), folder.c_str()));
    const auto restore = qScopeGuard([&variable] { SetEnvironmentVariableW(variable.c_str(), nullptr); });

    BrowseFile dialog(nullptr, nullptr, m_a);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    SelectDrive(dialog, scratch->text);
    QCOMPARE(dialog.FolderPath(), Native(scratch->root + QStringLiteral("maps")));
    QCOMPARE(FileNames(dialog), QStringList{QStringLiteral("e1.wad")});

    // At the root: one separator between the folder and the name.
    DoubleClickFolder(dialog, Native(scratch->root));
    DoubleClickFile(dialog, QStringLiteral("top.wad"));
    QCOMPARE(dialog.Resultpath(), Native(scratch->root));
    QCOMPARE(dialog.Result(), Native(scratch->root) + QStringLiteral("top.wad"));
#endif
}

QTEST_MAIN(TestBrowseFile)
#include "tst_browsefile.moc"
