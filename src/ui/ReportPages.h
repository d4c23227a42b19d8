/*
 * The two report pages: "Report settings" with "report to file" (and the hidden, unused
 * "gather results in report"), and "Report" with the report list.
 */
#pragma once

#include <QCheckBox>

#include "ui/LineListView.h"
#include "ui/WorkPage.h"

class ReportSettingsPage : public WorkPage {
    Q_OBJECT
public:
    explicit ReportSettingsPage(Desktop& desktop, QWidget* parent = nullptr);

    QCheckBox* reportToFile;
};

class ReportPage : public WorkPage {
    Q_OBJECT
public:
    // The report list scrolls sideways over at least this many pixels.
    static constexpr int kMinimumExtent = 1000;

    ReportPage(Desktop& desktop, LineList& report, QWidget* parent = nullptr);

    LineListView* list;
};
