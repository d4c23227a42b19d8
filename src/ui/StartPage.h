/*
 * StartPage: the work page "Start!" and the run's StartView: the go button, the answers,
 * "Process all !", "Total found:", the current target and the occurrence box. The page only
 * shows what the run computed and forwards clicks; the main window wires them to the run.
 */
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "run/StartView.h"
#include "ui/WorkPage.h"

class StartPage : public WorkPage, public StartView {
    Q_OBJECT
public:
    explicit StartPage(Desktop& desktop, QWidget* parent = nullptr);

    void ShowTotalFound(std::int32_t total) override;
    void ShowProcessAll(bool ticked) override;
    void ShowCurrentTarget(const std::string& path) override;
    void ShowOccurrence(const OccurrenceBox& box, const OccurrenceDetails& details) override;
    void ShowBoxText(const std::string& text) override;
    std::string GoLabel() const override;
    void SetGoLabel(const std::string& label) override;

    QPushButton* go;
    QPushButton* cancel;
    QCheckBox* processAll;
    QPushButton* skipWord;
    QPushButton* skipFile;
    QLineEdit* totalFound;
    QLineEdit* currentTarget;
    QPlainTextEdit* occurrence;
};
