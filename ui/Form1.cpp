#include "Form1.h"

#include "AccessibleRoles.h"
#include "BrowseFile.h"
#include "BuildRunner.h"
#include "BusyPointer.h"
#include "CommandLine.h"
#include "Controls.h"
#include "FileNames.h"
#include "Form1Controls.h"
#include "MessageBox.h"
#include "OutcomeWords.h"
#include "Paths.h"

#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include <algorithm>
#include <limits>
#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace vantrel {

namespace {

QString WindowTitle() {
    return QStringLiteral("Vantrel Frontend");
}

// The labels that caption a field, each with its field.
constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kFieldCaptions{{
    {"Label4", "Text3"},
    {"Label1", "Text1"},
    {"Label2", "Text2"},
}};

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

Form1::Form1(std::unique_ptr<SettingsStore> store, QWidget* parent)
    : QWidget(parent), m_store(std::move(store)), m_buildRunner(std::make_unique<BuildRunner>()),
      m_runner([this](const BuildRequest& request) { return m_buildRunner->Run(request); }) {
    InstallAccessibleRoles(&staticMetaObject);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(WindowTitle());
    setWindowIcon(QIcon(QStringLiteral(":/vantrel.ico")));
    resize(TwipsToPixels(kForm1ClientArea, logicalDpiX()).size());
    SetTabOrder(CreateControls());
    WireEvents();
    UpdateOptionTabStops();
}

Form1::~Form1() = default;

BuiltControls Form1::CreateControls() {
    BuiltControls controls = BuildFromTable(this, kForm1Controls, CreateForm1Control);
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string index = std::to_string(i);
        m_nodes.at(i) = Built<QRadioButton>(controls, "nodes_" + index);
        m_blockmap.at(i) = Built<QRadioButton>(controls, "blockmap_" + index);
        m_check1.at(i) = Built<QCheckBox>(controls, "Check1_" + index);
    }
    for (std::size_t i = 0; i < 4; ++i) {
        m_check2.at(i) = Built<QCheckBox>(controls, "Check2_" + std::to_string(i));
    }
    m_check3 = Built<QCheckBox>(controls, "Check3");
    m_check4 = Built<QCheckBox>(controls, "Check4");
    m_text1 = Built<QLineEdit>(controls, "Text1");
    m_text2 = Built<QLineEdit>(controls, "Text2");
    m_text3 = Built<QLineEdit>(controls, "Text3");
    m_text4 = Built<QLineEdit>(controls, "Text4");
    m_command1 = Built<QPushButton>(controls, "Command1");
    m_command2 = Built<QPushButton>(controls, "Command2");

    // A screen reader names each field after the label that captions it.
    for (const auto& [label, field] : kFieldCaptions) {
        Built<QLabel>(controls, label)->setBuddy(Built<QWidget>(controls, field));
    }
    MakeHiddenField(m_text4);
    m_text4->setAccessibleName(QStringLiteral("Command line"));
    m_text1->setAcceptDrops(true);
    m_text1->installEventFilter(this);
    SetOptions(InitialOptions());
    return controls;
}

void Form1::SetTabOrder(const BuiltControls& controls) {
    SetTabOrderByPosition(controls, kForm1Controls);
}

void Form1::UpdateOptionTabStops() {
    // Within a group the Tab key stops only at the selected button, or at its first button when none is.
    for (const auto* group : {&m_nodes, &m_blockmap}) {
        const bool anySelected = std::any_of(group->begin(), group->end(), [](auto* b) { return b->isChecked(); });
        for (QRadioButton* button : *group) {
            const bool stop = anySelected ? button->isChecked() : button == group->front();
            button->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
        }
    }
}

void Form1::WireEvents() {
    connect(m_command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(m_command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(m_check4, &QCheckBox::clicked, this, &Form1::Check4_Click);
    for (const auto* group : {&m_nodes, &m_blockmap}) {
        for (QRadioButton* button : *group) {
            connect(button, &QRadioButton::toggled, this, &Form1::UpdateOptionTabStops);
        }
    }
}

BuildOptions Form1::Options() const {
    BuildOptions options;
    for (std::size_t i = 0; i < 3; ++i) {
        options.nodes.at(i) = m_nodes.at(i)->isChecked();
        options.blockmap.at(i) = m_blockmap.at(i)->isChecked();
        options.Check1.at(i) = CheckValue(m_check1.at(i));
    }
    for (std::size_t i = 0; i < 4; ++i) {
        options.Check2.at(i) = CheckValue(m_check2.at(i));
    }
    options.Check3 = CheckValue(m_check3);
    options.Check4 = CheckValue(m_check4);
    return options;
}

void Form1::SetOptions(const BuildOptions& options) {
    for (std::size_t i = 0; i < 3; ++i) {
        SetOptionValue(m_nodes.at(i), options.nodes.at(i));
        SetOptionValue(m_blockmap.at(i), options.blockmap.at(i));
        SetCheckValue(m_check1.at(i), options.Check1.at(i));
    }
    for (std::size_t i = 0; i < 4; ++i) {
        SetCheckValue(m_check2.at(i), options.Check2.at(i));
    }
    SetCheckValue(m_check3, options.Check3);
    SetCheckValue(m_check4, options.Check4);
}

void Form1::SetRunner(Runner runner) {
    m_runner = std::move(runner);
}

void Form1::setVisible(bool visible) {
    if (visible && !m_loaded) {
        m_loaded = true;
        Form_Load();
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            move(screen->availableGeometry().center() - rect().center());
        }
    }
    QWidget::setVisible(visible);
}

void Form1::closeEvent(QCloseEvent* event) {
    // While NodeBuilder runs the window takes no input, closing included: NodeBuilder must finish its file.
    if (m_building) {
        event->ignore();
        return;
    }
    Form_Unload();
    m_buildRunner->CloseConsole();
    event->accept();
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_text1) {
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        // Files only; dragged text is not typed into the field.
        auto* drag = static_cast<QDropEvent*>(event);
        drag->setAccepted(drag->mimeData()->hasUrls());
        return true;
    }
    case QEvent::Drop: {
        // A copy, never a move: the source keeps its file. A drop that was not taken is reported as ignored.
        auto* drop = static_cast<QDropEvent*>(event);
        drop->setDropAction(Qt::CopyAction);
        drop->setAccepted(Text1_OLEDragDrop(drop->mimeData()));
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void Form1::Form_Load() {
    LoadSettings();
}

void Form1::Form_Unload() {
    SaveSettings();
}

void Form1::Command1_Click() {
    // A new dialog every time, so neither the folder nor the file of an earlier choice is remembered.
    BrowseFile dialog(this);
    dialog.exec();
    if (!dialog.ResultFile().isEmpty()) {
        TakeInput(dialog.Result());
    }
}

void Form1::Command2_Click() {
    const FieldTexts fields = Fields();
    FieldProblem problem = CheckBuildFields({fields.input, fields.output, fields.level});
    if (problem == FieldProblem::None && !FieldsHoldWholeCharacters()) {
        problem = FieldProblem::NulCharacter; // half a character pair cannot be passed on either
    }
    switch (problem) {
    case FieldProblem::EmptyPath:
        ShowMessage(this, {QStringLiteral("Hey, you have to specify a WAD file to make this baby work !"),
                           QStringLiteral("WAKE UP ;-)"), MessageIcon::Critical});
        return;
    case FieldProblem::DoubleQuote:
        ShowMessage(this, {QStringLiteral("The input file, the output file and the level must not contain a double "
                                          "quote (\"): NodeBuilder would read the line differently.\n\n"
                                          "Remove the double quote and press BUILD again."),
                           WindowTitle(), MessageIcon::Critical});
        return;
    case FieldProblem::NulCharacter:
        ShowMessage(this,
                    {QStringLiteral(
                         "The input file, the output file or the level contains a NUL or a "
                         "broken character (pasted or dropped in), which cannot be seen: NodeBuilder would receive a "
                         "different name and could write to another file.\n\n"
                         "Retype the field and press BUILD again."),
                     WindowTitle(), MessageIcon::Critical});
        return;
    case FieldProblem::None:
        break;
    }
    BuildCommandLine();

    // The window keeps repainting during the run but takes no input; a click made meanwhile is dropped
    // by the disabled window instead of waiting to fire afterwards.
    m_building = true;
    setEnabled(false);
    RunOutcome outcome;
    {
        const BusyPointer busy;
        outcome = m_runner({m_text4->text(), m_text2->text(), m_text1->text() == m_text2->text()});
    }
    setEnabled(true);
    m_building = false;
    ReportOutcome(outcome);
}

void Form1::Check4_Click() {
    const QString input = m_text1->text();
    if (input.isEmpty()) {
        return;
    }
    const int value = CheckValue(m_check4);
    if (value == kChecked || value == kUnchecked) {
        DeriveOutput(value);
    }
}

bool Form1::Text1_OLEDragDrop(const QMimeData* data) {
    const QList<QUrl> urls = data->urls();
    const QString localFile = urls.isEmpty() ? QString() : LocalFileOf(urls.first());
    const QString name = QDir::toNativeSeparators(localFile);
    if (localFile.isEmpty() || !IsWadFileName(name.toStdString())) {
        return false;
    }
    TakeInput(name);
    return true;
}

void Form1::TakeInput(const QString& input) {
    m_text1->setText(input);
    DeriveOutput(CheckValue(m_check4));
}

void Form1::DeriveOutput(int check4) {
    // A copy is made of the text itself, so it is exact even for characters that have no UTF-8 form.
    const QString input = m_text1->text();
    m_text2->setText(check4 == kChecked ? input : FromUtf8(OutputNameFor(input.toStdString(), check4)));
}

Form1::FieldTexts Form1::Fields() const {
    return {m_text1->text().toStdString(), m_text2->text().toStdString(), m_text3->text().toStdString()};
}

bool Form1::FieldsHoldWholeCharacters() const {
    return m_text1->text().isValidUtf16() && m_text2->text().isValidUtf16() && m_text3->text().isValidUtf16();
}

void Form1::BuildCommandLine() {
    const FieldTexts fields = Fields();
    m_text4->setText(FromUtf8(ComposeCommandLine(Options(), {fields.input, fields.output, fields.level})));
}

void Form1::LoadSettings() {
    const BuildOptions before = Options();
    const BuildOptions loaded = LoadOptions(*m_store, before);
    SetOptions(loaded);
    // Restoring "Input File = Output File" counts as a change of that box.
    if (loaded.Check4 != before.Check4) {
        Check4_Click();
    }
}

void Form1::SaveSettings() {
    if (!SaveOptions(*m_store, Options())) {
        ShowMessage(this, {QStringLiteral("The options could not be saved to\n%1\n\nThey will be as before the "
                                          "next time the front end starts.")
                               .arg(FromUtf8(m_store->Location())),
                           WindowTitle(), MessageIcon::Warning});
    }
}

void Form1::ReportOutcome(const RunOutcome& outcome) {
    const OutcomeWords words = WordsFor(outcome);
    if (!words.message.isEmpty()) {
        const MessageIcon icon =
            words.weight == OutcomeWords::Weight::Critical ? MessageIcon::Critical : MessageIcon::Warning;
        ShowMessage(this, {words.message, WindowTitle(), icon});
    }
}

} // namespace vantrel
