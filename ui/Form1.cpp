#include "Form1.h"

#include "AccessibleRoles.h"
#include "BrowseFile.h"
#include "BuildRunner.h"
#include "BusyPointer.h"
#include "CommandLine.h"
#include "Controls.h"
#include "FileNames.h"
#include "MessageBox.h"

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

constexpr const char* kCreditLine = "Vantrel Frontend for the vantrel.exe node builder";

QString WindowTitle() {
    return QStringLiteral("Vantrel Frontend");
}

// The path of a URL as the bytes it encodes.
QByteArray PathBytes(const QUrl& url) {
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

// True when the file name taken from the URL gives back the URL's path byte for byte. A path that is not
// valid UTF-8 decodes to replacement characters, which would reach NodeBuilder as another file's name.
bool NamesTheSameFile(const QUrl& url, const QString& localFile) {
#ifndef Q_OS_WIN
    // A URL naming a host gives "//host/path", which is "/host/path" here; Windows reads it as a share.
    if (!url.host().isEmpty()) {
        return false;
    }
#endif
    return PathBytes(QUrl::fromLocalFile(localFile)) == PathBytes(url);
}

using enum ControlKind;

// The labels that caption a field, each with its field.
constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kFieldCaptions{{
    {"Label4", "Text3"},
    {"Label1", "Text1"},
    {"Label2", "Text2"},
}};

} // namespace

const std::array<ControlRow, 33> kForm1Controls{{
    {"Frame1", Frame, "Form1", "", {120, 0, 6975, 6495}, 0, false},
    {"Frame3", Frame, "Frame1", "", {120, 120, 4455, 1095}, 1, false},
    {"Frame4", Frame, "Frame1", "", {120, 1200, 4455, 1455}, 5, false},
    {"Frame7", Frame, "Frame1", "", {4680, 120, 2175, 1815}, 16, false},
    {"Frame2", Frame, "Frame1", "", {4680, 1920, 2175, 735}, 30, false},
    {"Frame6", Frame, "Frame1", "", {120, 2640, 6735, 975}, 19, false},
    {"Frame5", Frame, "Frame1", "", {120, 3600, 6735, 1815}, 10, false},
    {"nodes_0", OptionButton, "Frame3", "Minimize splits", {120, 240, 1335, 255}, 2, false},
    {"nodes_1", OptionButton, "Frame3", "Minimize BSP depth", {120, 480, 1815, 255}, 3, false},
    {"nodes_2", OptionButton, "Frame3", "Minimize time", {120, 720, 1335, 255}, 4, false},
    {"Check1_1", CheckBox, "Frame3", "Ensure all sub-sectors contain only 1 sector", {2160, 240, 1935, 375}, 23, false},
    {"Check1_2", CheckBox, "Frame3", "Ignore non-visible lineDefs", {2160, 600, 2175, 375}, 24, false},
    {"Check2_0", CheckBox, "Frame4", "Insert empty REJECT resource", {120, 240, 2535, 255}, 6, false},
    {"Check2_1", CheckBox, "Frame4", "Rebuild even if REJECT effects are detected", {120, 480, 3615, 255}, 9, false},
    {"Check2_2",
     CheckBox,
     "Frame4",
     "Use child sector info to reduce LOS calculations",
     {120, 720, 3735, 255},
     7,
     false},
    {"Check2_3", CheckBox, "Frame4", "Use graphs to reduce LOS calculations", {120, 960, 3135, 255}, 8, false},
    {"blockmap_0", OptionButton, "Frame7", "Rebuild BLOCKMAP", {120, 240, 1455, 375}, 18, false},
    {"blockmap_1", OptionButton, "Frame7", "Rebuild and compress BLOCKMAP", {120, 720, 1935, 435}, 17, false},
    {"blockmap_2", OptionButton, "Frame7", "Do not rebuild BLOCKMAP", {120, 1200, 1815, 375}, 29, false},
    {"Check1_0", CheckBox, "Frame2", "Do not display progress bar", {120, 220, 1935, 375}, 31, false},
    {"Label4", Label, "Frame6", "Level", {120, 240, 1095, 255}, 22, false},
    {"Text3", TextField, "Frame6", "", {120, 480, 4695, 285}, 20, false},
    {"Label3",
     Label,
     "Frame6",
     "ExMy for DOOM / Heretic or MAPxx for DOOM II / HEXEN",
     {4920, 240, 1695, 615},
     21,
     false},
    {"Label1", Label, "Frame5", "Input file", {120, 240, 4335, 255}, 15, false},
    {"Text1", TextField, "Frame5", "", {120, 480, 5055, 285}, 11, false},
    {"Command1", Button, "Frame5", "Browse", {5280, 360, 1335, 375}, 13, false},
    {"Label2", Label, "Frame5", "Output File", {120, 840, 4575, 255}, 14, false},
    {"Text2", TextField, "Frame5", "", {120, 1080, 5055, 285}, 12, false},
    {"Check4", CheckBox, "Frame5", "Input File = Output File", {120, 1440, 2055, 255}, 25, false},
    {"Check3", CheckBox, "Frame5", "Don't write output file (test mode)", {2520, 1440, 2655, 255}, 27, false},
    {"Command2", Button, "Frame1", "BUILD", {2760, 5880, 1455, 495}, 26, true},
    {"Label5", CentredLabel, "Frame1", kCreditLine, {120, 5520, 6735, 255}, 32, true},
    {"Text4", TextField, "Form1", "", {240, 7440, 6735, 285}, 28, false},
}};

namespace {

QWidget* CreateControl(const ControlRow& row, QWidget* parent) {
    const QString caption = QString::fromUtf8(row.caption);
    QWidget* widget = nullptr;
    switch (row.kind) {
    case Frame:
        widget = CreateCaptionlessFrame(parent);
        break;
    case OptionButton:
        widget = new ClassicOptionButton(caption, parent);
        break;
    case CheckBox:
        widget = new ClassicCheckBox(caption, parent);
        break;
    case Label:
    case CentredLabel: {
        auto* label = new QLabel(caption, parent);
        label->setWordWrap(row.kind == Label);
        label->setAlignment(row.kind == Label ? Qt::AlignLeft | Qt::AlignTop : Qt::AlignHCenter | Qt::AlignTop);
        widget = label;
        break;
    }
    case TextField: {
        auto* field = new QLineEdit(parent);
        // Paths and the command line are never cut short; only the input field takes drops, and only files.
        field->setMaxLength(std::numeric_limits<int>::max());
        field->setAcceptDrops(false);
        widget = field;
        break;
    }
    case Button:
        widget = new QPushButton(caption, parent);
        break;
    }
    return widget;
}

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

Form1::Form1(std::unique_ptr<SettingsStore> store, QWidget* parent)
    : QWidget(parent), m_store(std::move(store)), m_buildRunner(std::make_unique<BuildRunner>()),
      m_runner([this](const QString& commandLine) { return m_buildRunner->Run(commandLine); }) {
    InstallAccessibleRoles();
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
    BuiltControls controls = BuildFromTable(this, kForm1Controls, CreateControl);
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
    // The command-line field lies below the client area: hidden, it is neither seen when the window is enlarged
    // nor offered to assistive technology, and the focus never lands where nobody sees it.
    m_text4->setFocusPolicy(Qt::NoFocus);
    m_text4->setReadOnly(true);
    m_text4->setAccessibleName(QStringLiteral("Command line"));
    m_text4->hide();
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
        outcome = m_runner(m_text4->text());
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
    if (urls.isEmpty() || !urls.first().isLocalFile()) {
        return false;
    }
    const QString localFile = urls.first().toLocalFile();
    const QString name = QDir::toNativeSeparators(localFile);
    if (!NamesTheSameFile(urls.first(), localFile) || !IsWadFileName(name.toStdString())) {
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
    const QString title = WindowTitle();
    switch (outcome.kind) {
    case RunOutcome::Kind::NotStarted: {
        QString text = QStringLiteral("NodeBuilder could not be started.\n\n%1").arg(outcome.reason);
        if (!outcome.searched.isEmpty()) {
            text += QStringLiteral("\n\nLooked for it in:\n") + outcome.searched.join(u'\n');
        }
        ShowMessage(this, {text, title, MessageIcon::Critical});
        return;
    }
    case RunOutcome::Kind::Crashed:
        ShowMessage(this, {QStringLiteral("NodeBuilder (%1) crashed. The output file may be missing or incomplete.")
                               .arg(outcome.program),
                           title, MessageIcon::Critical});
        return;
    case RunOutcome::Kind::Stopped:
        ShowMessage(this, {QStringLiteral("NodeBuilder (%1) was stopped when its console was closed. The output "
                                          "file may be missing or incomplete.")
                               .arg(outcome.program),
                           title, MessageIcon::Warning});
        return;
    case RunOutcome::Kind::Exited:
        if (outcome.exitStatus != 0) {
            ShowMessage(this, {QStringLiteral("NodeBuilder (%1) ended with exit status %2.")
                                   .arg(outcome.program)
                                   .arg(outcome.exitStatus),
                               title, MessageIcon::Warning});
        }
        return;
    }
}

} // namespace vantrel
