/*
 * TargetPageWidget: the work page "Files/Dirs 2 find/replace in": the target list with its
 * counters and status line, the expansion's settings, "Expand!", "Empty!" and "Wipe!". Every
 * change goes into the page's core at once and every button calls its handler; the widget
 * only shows what the core decided.
 *
 * Dropping files and directories anywhere on the page adds them; a drop is taken as a copy
 * (never a move) and only while nothing is busy; the dropped names are the bytes of the
 * file: URLs, percent-decoded, never re-encoded as text. While something is busy the commands
 * and buttons that would change the list do nothing; "Expand!" and "Wipe!" then cancel their
 * own work.
 */
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <functional>

#include "targets/TargetPage.h"
#include "ui/LineListView.h"
#include "ui/ColourEdit.h"
#include "ui/OwnerDrawnCombo.h"
#include "ui/WorkPage.h"

class TargetPageWidget : public WorkPage, public TargetPageView {
    Q_OBJECT
public:
    // busy says whether the program is busy now (a run, an expansion, a wipe).
    TargetPageWidget(Desktop& desktop, TargetPage& page, std::function<bool()> busy, QWidget* parent = nullptr);
    ~TargetPageWidget() override;

    void ShowCounters(std::int32_t all, std::int32_t dirs, std::int32_t files) override;
    void ShowStatus(const std::string& text) override;
    void SetExpandCaption(const std::string& caption) override;
    void SetWipeCaption(const std::string& caption) override;

    // Runs a list command on the target list, unless it would change the list while busy.
    void RunCommand(ListCommand command);

    LineListView* list;
    QLineEdit* all;
    QLineEdit* dirs;
    QLineEdit* files;
    QLineEdit* status;
    QCheckBox* alwaysOnTop;
    QCheckBox* wantDirs;
    QCheckBox* wantFiles;
    QComboBox* depth;
    OwnerDrawnCombo* pattern;
    // The pattern the expansion uses (hidden).
    ColourEdit* effectivePattern;
    QCheckBox* ignoreCase;
    QCheckBox* exactMatch;
    QComboBox* wipeRounds;
    QPushButton* expand;
    QPushButton* empty;
    QPushButton* wipe;
    QPushButton* advanced;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Lays out the controls.
    void Arrange();
    // Connects the controls to the core's handlers.
    void Wire();
    // Whether a drag with these actions and data may drop here now.
    bool Droppable(const QDropEvent* event) const;
    // The hidden field and "exact match" show the core's pattern state.
    void ShowPatternState();
    // The page became visible or hidden by switching pages.
    void OnShown(bool shown);
    // "Empty!" is off while the page's own work runs.
    void FollowBusy();

    // The page's core.
    TargetPage& page_;
    std::function<bool()> busy_;
};
