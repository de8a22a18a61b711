#pragma once
// The Options dialog: holds the six colour settings in its samples, lets the user pick them
// and keeps them in the program's settings file (ProgramLocations.h). Created once, right after the
// main window, and shown without being modal; closing it only hides it.

#include "ColorPicker.h"
#include "QtColor.h"
#include "settings/ColorSettings.h"

#include <QDialog>
#include <array>

class QGroupBox;
class QLabel;
class QPushButton;
class TColorShape;
class TSampleLabel;

class TOptionsForm : public QDialog, public THighlightColorSource {
    Q_OBJECT
public:
    // Reads the program's settings file and gives editor (may be null) its
    // background and default text colour.
    explicit TOptionsForm(TEditorColorTarget* editor, QWidget* parent = nullptr);
    // The same with the settings file at settingsPath.
    TOptionsForm(TEditorColorTarget* editor, const QString& settingsPath,
                 QWidget* parent = nullptr);
    ~TOptionsForm() override;

    // The class colours as the samples hold them now; the highlighter asks on every pass.
    THighlightColors HighlightColors() const override;
    // All six values as the samples hold them now.
    TColorSettings ColorSettings() const;
    // The settings file's full path.
    QString SettingsFileName() const { return SettingsPath; }

    // Reads the six keys into the samples and applies Background and Default to the editor.
    void LoadColorSettings();
    // Writes the six keys; raises "Unable to write to <path>" when a key could not be written.
    void SaveColorSettings();

    QGroupBox* GroupBox1 = nullptr;
    TColorShape* Shape1 = nullptr;
    TSampleLabel* Label3 = nullptr;  // Commands
    TSampleLabel* Label6 = nullptr;  // Variables
    TSampleLabel* Label4 = nullptr;  // Comments
    TSampleLabel* Label10 = nullptr; // String
    TSampleLabel* Label8 = nullptr;  // Default
    QPushButton* Button1 = nullptr;  // Save
    QPushButton* Button2 = nullptr;  // Cancel
    TColorPicker ColorDialog1;

private:
    void CreateControls();
    void ConnectControls();
    QLabel* AddRowLabel(const QString& caption, int row);
    TSampleLabel* AddSampleLabel(const QString& caption, int row);

    void FormCreate();
    void Shape1MouseDown(Qt::MouseButton button);
    void Label3Click();
    void Label6Click();
    void Label4Click();
    void Label10Click();
    void Label8Click();
    void Button1Click();
    void Button2Click();

    void PickTextColor(TSampleLabel* sample);
    std::array<TSampleLabel*, 5> Samples() const;

    TEditorColorTarget* Editor; // borrowed: the main window outlives this dialog
    QString SettingsPath;
};

// The one Options dialog of the program, set by start-up; null before and after its lifetime.
extern TOptionsForm* OptionsForm;
