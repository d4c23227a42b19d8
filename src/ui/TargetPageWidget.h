/*
 * TargetPageWidget: the work page "Files/Dirs 2 find/replace in": the target list with its
 * counters and status line, and dropping files and directories anywhere on the page. A drop
 * is taken as a copy (never a move) and only while nothing is busy; the dropped names are
 * the bytes of the file: URLs, percent-decoded, never re-encoded as text.
 */
#pragma once

#include <QLineEdit>

#include <functional>

#include "targets/TargetPage.h"
#include "ui/LineListView.h"
#include "ui/WorkPage.h"

class TargetPageWidget : public WorkPage, public TargetPageView {
    Q_OBJECT
public:
    // busy says whether a drop must be refused now.
    TargetPageWidget(Desktop& desktop, TargetPage& page, std::function<bool()> busy, QWidget* parent = nullptr);
    ~TargetPageWidget() override;

    void ShowCounters(std::int32_t all, std::int32_t dirs, std::int32_t files) override;
    void ShowStatus(const std::string& text) override;
    // This form of the page has no "Expand!" and "Wipe!" buttons whose captions would change.
    void SetExpandCaption(const std::string&) override {}
    void SetWipeCaption(const std::string&) override {}

    LineListView* list;
    QLineEdit* all;
    QLineEdit* dirs;
    QLineEdit* files;
    QLineEdit* status;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Whether a drag with these actions and data may drop here now.
    bool Droppable(const QDropEvent* event) const;

    // The page's core.
    TargetPage& page_;
    std::function<bool()> busy_;
};
