#include "BrowseFile.h"
#include "Form1.h"
#include "MemoryStore.h"

#include <QAccessible>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace vantrel;

namespace {

using Visit = std::function<void(QAccessibleInterface*, const QString&)>;

// What a screen reader is offered: a window's accessible tree, walked from the top. Each object comes with
// its path of object names (or roles, for items that are no objects of their own).
void Walk(QAccessibleInterface* node, const QString& path, const Visit& visit) {
    visit(node, path);
    for (int i = 0; i < node->childCount(); ++i) {
        if (QAccessibleInterface* child = node->child(i)) {
            const QObject* object = child->object();
            const QString step = object != nullptr ? object->objectName() : QString::number(child->role());
            Walk(child, path + u'/' + step, visit);
        }
    }
}

// Every object that the focus can reach, now or once it shows (a drop-down list's list), with no name to announce.
QStringList UnnamedFocusableObjects(QWidget* window) {
    QStringList unnamed;
    Walk(QAccessible::queryAccessibleInterface(window), window->objectName(),
         [&unnamed](QAccessibleInterface* node, const QString& path) {
             const QAccessible::State state = node->state();
             if (state.focusable && node->text(QAccessible::Name).trimmed().isEmpty()) {
                 unnamed.append(path);
             }
         });
    return unnamed;
}

QAccessibleInterface* Accessible(const QWidget& window, const char* name) {
    return QAccessible::queryAccessibleInterface(window.findChild<QWidget*>(QString::fromLatin1(name)));
}

// A folder with subfolders and files, so that the browser's lists have items to walk.
class BrowseFolder final {
public:
    BrowseFolder() {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("maps/old")));
        for (const char* name : {"doom2.wad", "E1M1.WAD", "x.pwad"}) {
            QFile file(m_dir.filePath(QStringLiteral("maps/") + QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }
    [[nodiscard]] QString Path() const { return m_dir.filePath(QStringLiteral("maps")); }

private:
    QTemporaryDir m_dir;
};

// The file browser at that folder, or the main window.
std::unique_ptr<QWidget> MakeWindow(bool browser, const BrowseFolder& folder) {
    if (browser) {
        return std::make_unique<BrowseFile>(nullptr, nullptr, folder.Path());
    }
    return std::make_unique<Form1>(std::make_unique<MemoryStore>());
}

} // namespace

class TestAccessibility final : public QObject {
    Q_OBJECT

private slots:
    void everyFocusableObjectOfTheMainWindowIsNamed();
    void everyFocusableObjectOfTheFileBrowserIsNamed();
    void fieldsAreNamedAndLabelledByTheirLabels_data();
    void fieldsAreNamedAndLabelledByTheirLabels();
    void fileBrowserListsAreNamed_data();
    void fileBrowserListsAreNamed();
    void hiddenFieldsAreNamedHiddenAndNeverFocusable_data();
    void hiddenFieldsAreNamedHiddenAndNeverFocusable();
    void windowsAndFramesHaveTheirRoles_data();
    void windowsAndFramesHaveTheirRoles();
};

void TestAccessibility::everyFocusableObjectOfTheMainWindowIsNamed() {
    Form1 form(std::make_unique<MemoryStore>());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QStringList unnamed = UnnamedFocusableObjects(&form);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u'\n')));
}

void TestAccessibility::everyFocusableObjectOfTheFileBrowserIsNamed() {
    const BrowseFolder folder;
    BrowseFile dialog(nullptr, nullptr, folder.Path());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QStringList unnamed = UnnamedFocusableObjects(&dialog);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u'\n')));
}

void TestAccessibility::fieldsAreNamedAndLabelledByTheirLabels_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("name");
    QTest::newRow("level") << "Text3"
                           << "Label4"
                           << "Level";
    QTest::newRow("input") << "Text1"
                           << "Label1"
                           << "Input file";
    QTest::newRow("output") << "Text2"
                            << "Label2"
                            << "Output File";
}

void TestAccessibility::fieldsAreNamedAndLabelledByTheirLabels() {
    QFETCH(QString, field);
    QFETCH(QString, label);
    QFETCH(QString, name);
    const Form1 form(std::make_unique<MemoryStore>());
    QAccessibleInterface* fieldNode = Accessible(form, qPrintable(field));
    QAccessibleInterface* labelNode = Accessible(form, qPrintable(label));
    QCOMPARE(fieldNode->role(), QAccessible::EditableText);
    QCOMPARE(fieldNode->text(QAccessible::Name), name);
    QCOMPARE(labelNode->text(QAccessible::Name), name);

    const auto labelledBy = fieldNode->relations(QAccessible::Label);
    QCOMPARE(labelledBy.size(), 1);
    QCOMPARE(labelledBy.first().first->object(), labelNode->object());
    const auto labels = labelNode->relations(QAccessible::Labelled);
    QCOMPARE(labels.size(), 1);
    QCOMPARE(labels.first().first->object(), fieldNode->object());
}

void TestAccessibility::fileBrowserListsAreNamed_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("name");
    QTest::newRow("drive list") << "Drive1"
                                << "Drive";
    QTest::newRow("folder list") << "Dir1"
                                 << "Folder";
    QTest::newRow("file list") << "File1"
                               << "Files";
}

void TestAccessibility::fileBrowserListsAreNamed() {
    QFETCH(QString, list);
    QFETCH(QString, name);
    const BrowseFolder folder;
    const BrowseFile dialog(nullptr, nullptr, folder.Path());
    QAccessibleInterface* node = Accessible(dialog, qPrintable(list));
    if (node->role() == QAccessible::ComboBox) {
        // A drop-down list is named by its value where the desktop announces its label beside it.
        QCOMPARE(dialog.findChild<QWidget*>(list)->accessibleName(), name);
        const auto labels = node->relations(QAccessible::Label);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels.first().first->text(QAccessible::Name), name);
    } else {
        QCOMPARE(node->text(QAccessible::Name), name);
    }
}

void TestAccessibility::hiddenFieldsAreNamedHiddenAndNeverFocusable_data() {
    QTest::addColumn<bool>("inBrowser");
    QTest::addColumn<QString>("field");
    QTest::newRow("command line") << false << "Text4";
    QTest::newRow("full path") << true << "Result";
    QTest::newRow("file name") << true << "ResultFile";
    QTest::newRow("folder") << true << "Resultpath";
    QTest::newRow("drive") << true << "ResultDrive";
}

void TestAccessibility::hiddenFieldsAreNamedHiddenAndNeverFocusable() {
    QFETCH(bool, inBrowser);
    QFETCH(QString, field);
    const BrowseFolder folder;
    const std::unique_ptr<QWidget> window = MakeWindow(inBrowser, folder);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    // Enlarging shows nothing more: the field stays out of sight.
    window->resize(window->size() * 2);

    QAccessibleInterface* node = Accessible(*window, qPrintable(field));
    QVERIFY(!node->text(QAccessible::Name).isEmpty());
    QVERIFY(node->state().invisible);
    QVERIFY(!node->state().focusable);
    QVERIFY(node->state().readOnly);
    QVERIFY(!window->findChild<QWidget*>(field)->isVisible());
}

void TestAccessibility::windowsAndFramesHaveTheirRoles_data() {
    QTest::addColumn<bool>("inBrowser");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QAccessible::Role>("role");
    QTest::newRow("main window") << false << "" << QAccessible::Window;
    QTest::newRow("main window's outer frame") << false << "Frame1" << QAccessible::Grouping;
    QTest::newRow("main window's files frame") << false << "Frame5" << QAccessible::Grouping;
    QTest::newRow("label, a frame too") << false << "Label1" << QAccessible::StaticText;
    QTest::newRow("file browser") << true << "" << QAccessible::Dialog;
    QTest::newRow("file browser's frame") << true << "Frame1" << QAccessible::Grouping;
    QTest::newRow("file list, a frame too") << true << "File1" << QAccessible::List;
    QTest::newRow("drive list") << true << "Drive1" << QAccessible::ComboBox;
}

void TestAccessibility::windowsAndFramesHaveTheirRoles() {
    QFETCH(bool, inBrowser);
    QFETCH(QString, control);
    QFETCH(QAccessible::Role, role);
    const BrowseFolder folder;
    const std::unique_ptr<QWidget> window = MakeWindow(inBrowser, folder);
    QWidget* widget = control.isEmpty() ? window.get() : window->findChild<QWidget*>(control);
    QCOMPARE(QAccessible::queryAccessibleInterface(widget)->role(), role);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
