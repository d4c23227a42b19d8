/*
 * ConfigSheetDialog: the sheet "Main preset dialog" with its page "Search/Replace settings".
 * The widgets show and edit the page's values; the checks, the choosers, "empty!", "Save",
 * "Load", OK and the help beep are the page's and the sheet's own functions. Number fields
 * take each change at once; a text that is not a whole number is refused and the last
 * number kept. Cancel puts every value back, the report file included.
 */
#pragma once

#include <QDialog>
#include <QLineEdit>

#include <string>
#include <vector>

#include "settings/ConfigPage.h"

class Desktop;
class Progress;
struct FileChooser;

class ConfigSheetDialog : public QDialog {
    Q_OBJECT
public:
    // targets are the paths "empty!" must keep away from.
    ConfigSheetDialog(CMainConfigSheet& sheet, Desktop& desktop, FileChooser& chooser, Progress& progress,
                      std::vector<std::string> targets, QWidget* parent = nullptr);
    ~ConfigSheetDialog() override;

    // Runs the sheet modally with its snapshot; the sheet's result.
    int Run();

    QLineEdit* bufferSize;
    QLineEdit* overlap;
    QLineEdit* tempDir;
    QLineEdit* archiveDir;
    QLineEdit* reportFile;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Takes a number field's new text into value, or refuses it.
    void TakeNumber(QLineEdit* field, std::uint32_t& value);
    // Shows the page's values.
    void ValuesToControls();
    // OK: refused while a number field holds no number; else the page decides.
    void OnOk();

    CMainConfigSheet& sheet_;
    Desktop& desktop_;
    FileChooser& chooser_;
    // The report file when the sheet opened, for Cancel.
    CDynString reportFileBefore_;
    // Number fields whose text is not a whole number.
    int badNumbers_ = 0;
};

// The prompt for a number field holding other text than a whole number.
inline constexpr const char* kWholeNumberPrompt = "Please enter a whole number from 0 to 4294967295.";
