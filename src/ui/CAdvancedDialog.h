/*
 * CAdvancedDialog: the modal dialog "advanced expanding options". Each row (size, creation,
 * modification, access time) has a check box, a lower and an upper bound; a row's controls
 * are enabled exactly while its box is ticked. Every change goes into the page's values at
 * once, so closing it in any way keeps what is shown. A date picker stands for the local
 * midnight of its day, a time picker for that time of day on todayMidnight's day. Numbers
 * are spin boxes from 0 to 2147483647: no letter, no minus, no overflowing size.
 */
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>

#include <array>

#include "targets/ExpandOptions.h"

class QGridLayout;

class CAdvancedDialog : public QDialog {
    Q_OBJECT
public:
    // Shows values, which the dialog changes as the user does.
    explicit CAdvancedDialog(AdvancedValues& values, QWidget* parent = nullptr);

    // The controls of a time row.
    struct TimeRow {
        QCheckBox* on;
        QDateEdit* minDate;
        QTimeEdit* minTime;
        QDateEdit* maxDate;
        QTimeEdit* maxTime;
    };

    QCheckBox* sizeOn;
    QSpinBox* minSize;
    QComboBox* minUnit;
    QSpinBox* maxSize;
    QComboBox* maxUnit;
    // Creation, modification, access.
    std::array<TimeRow, 3> timeRows;
    QCheckBox* emptyDirs;
    QCheckBox* zeroSizeDirs;
    QPushButton* ok;

private:
    // Adds the size row to grid at row and binds it.
    void AddSizeRow(QGridLayout* grid, int row);
    // Adds a time row with its caption to grid at row and binds it to values.
    TimeRow AddTimeRow(QGridLayout* grid, int row, const char* name, const char* caption, TimeRowValues& values);
    // A date picker bound to a day value, and a time picker bound to a time-of-day value.
    QDateEdit* DatePicker(std::time_t& value);
    QTimeEdit* TimePicker(std::time_t& value);

    AdvancedValues& values_;
};
