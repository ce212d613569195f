#pragma once

#include "BuildOptions.h"
#include "ExecuteCmd.h"
#include "Layout.h"
#include "Settings.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>

class QCheckBox;
class QLineEdit;
class QMimeData;
class QPushButton;
class QRadioButton;

namespace vantrel {

class BuildRunner;

// The main window of the front end.
class Form1 final : public QWidget {
    Q_OBJECT

public:
    using Runner = std::function<RunOutcome(const BuildRequest& request)>;

    explicit Form1(std::unique_ptr<SettingsStore> store, QWidget* parent = nullptr);
    ~Form1() override;

    // The option controls' states, read from the controls, and set as the stored options are.
    [[nodiscard]] BuildOptions Options() const;
    void SetOptions(const BuildOptions& options);

    // How NodeBuilder is run; through BuildRunner unless a test puts a stand-in here.
    void SetRunner(Runner runner);

    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    BuiltControls CreateControls();
    void WireEvents();
    void SetTabOrder(const BuiltControls& controls);
    void UpdateOptionTabStops();

    void Form_Load();
    void Form_Unload();
    void Command1_Click();
    void Command2_Click();
    void Check4_Click();
    // True when the dropped file was taken.
    bool Text1_OLEDragDrop(const QMimeData* data);

    // The input field takes a chosen or dropped file, and the output field follows it.
    void TakeInput(const QString& input);
    // The output field derived from the input field as "Input File = Output File" says.
    void DeriveOutput(int check4);

    // The three fields the build reads, as UTF-8.
    struct FieldTexts final {
        std::string input;
        std::string output;
        std::string level;
    };
    [[nodiscard]] FieldTexts Fields() const;
    [[nodiscard]] bool FieldsHoldWholeCharacters() const;

    void BuildCommandLine();
    void LoadSettings();
    void SaveSettings();
    void ReportOutcome(const RunOutcome& outcome);

    std::unique_ptr<SettingsStore> m_store;
    std::unique_ptr<BuildRunner> m_buildRunner;
    Runner m_runner;
    bool m_loaded{false};
    bool m_building{false};

    std::array<QRadioButton*, 3> m_nodes{};
    std::array<QRadioButton*, 3> m_blockmap{};
    std::array<QCheckBox*, 3> m_check1{};
    std::array<QCheckBox*, 4> m_check2{};
    QCheckBox* m_check3{};
    QCheckBox* m_check4{};
    QLineEdit* m_text1{};
    QLineEdit* m_text2{};
    QLineEdit* m_text3{};
    QLineEdit* m_text4{};
    QPushButton* m_command1{};
    QPushButton* m_command2{};
};

} // namespace vantrel
