#include "ui/CAdvancedDialog.h"

#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace {

QCheckBox* RowBox(const char* name, bool& on, QWidget* parent)
{
    auto* box = new QCheckBox(parent);
    box->setAccessibleName(QString::fromLatin1(name));
    box->setChecked(on);
    QObject::connect(box, &QCheckBox::toggled, parent, [&on](bool ticked) { on = ticked; });
    return box;
}

QSpinBox* Number(std::int64_t& value, QWidget* parent)
{
    auto* spin = new QSpinBox(parent);
    spin->setRange(0, INT_MAX);
    spin->setValue(int(std::clamp<std::int64_t>(value, 0, INT_MAX)));
    QObject::connect(spin, &QSpinBox::valueChanged, parent, [&value](int number) { value = number; });
    return spin;
}

QComboBox* Unit(int& value, QWidget* parent)
{
    auto* units = new QComboBox(parent);
    for (const char* unit : kSizeUnits) units->addItem(QString::fromLatin1(unit));
    units->setCurrentIndex(value);
    QObject::connect(units, &QComboBox::currentIndexChanged, parent, [&value](int index) { value = index; });
    return units;
}

// Enables the controls while box is ticked, now and on every click.
void Follow(QCheckBox* box, std::initializer_list<QWidget*> controls)
{
    const std::vector<QWidget*> row(controls);
    const auto apply = [row](bool on) {
        for (QWidget* control : row) control->setEnabled(on);
    };
    apply(box->isChecked());
    QObject::connect(box, &QCheckBox::toggled, box, apply);
}

}  // namespace

CAdvancedDialog::CAdvancedDialog(AdvancedValues& values, QWidget* parent) : QDialog(parent), values_(values)
{
    setWindowTitle(QStringLiteral("advanced expanding options"));
    setModal(true);
    auto* grid = new QGridLayout;
    AddSizeRow(grid, 0);
    timeRows[0] = AddTimeRow(grid, 1, "creation", "<= create time <=", values_.createRow);
    timeRows[1] = AddTimeRow(grid, 2, "modification", "<= modify time <=", values_.modifyRow);
    timeRows[2] = AddTimeRow(grid, 3, "access", "<= access time <=", values_.accessRow);

    emptyDirs = new QCheckBox(QStringLiteral("empty dirs"), this);
    emptyDirs->setChecked(values_.emptyDirs);
    connect(emptyDirs, &QCheckBox::toggled, this, [this](bool on) { values_.emptyDirs = on; });
    zeroSizeDirs = new QCheckBox(QStringLiteral("0-size dirs"), this);
    zeroSizeDirs->setChecked(values_.zeroSizeDirs);
    connect(zeroSizeDirs, &QCheckBox::toggled, this, [this](bool on) { values_.zeroSizeDirs = on; });
    ok = new QPushButton(QStringLiteral("OK"), this);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(emptyDirs);
    bottom->addWidget(zeroSizeDirs);
    bottom->addStretch();
    bottom->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(bottom);
}

void CAdvancedDialog::AddSizeRow(QGridLayout* grid, int row)
{
    sizeOn = RowBox("size", values_.sizeRowOn, this);
    minSize = Number(values_.minSizeNumber, this);
    minUnit = Unit(values_.minSizeUnit, this);
    auto* caption = new QLabel(QStringLiteral("<= filesize <="), this);
    maxSize = Number(values_.maxSizeNumber, this);
    maxUnit = Unit(values_.maxSizeUnit, this);
    int column = 0;
    for (QWidget* control : std::initializer_list<QWidget*>{sizeOn, minSize, minUnit, caption, maxSize, maxUnit})
        grid->addWidget(control, row, column++);
    Follow(sizeOn, {minSize, minUnit, caption, maxSize, maxUnit});
}

CAdvancedDialog::TimeRow CAdvancedDialog::AddTimeRow(QGridLayout* grid, int row, const char* name,
                                                     const char* caption, TimeRowValues& values)
{
    const TimeRow controls{RowBox(name, values.on, this), DatePicker(values.minDate), TimePicker(values.minTime),
                           DatePicker(values.maxDate), TimePicker(values.maxTime)};
    auto* label = new QLabel(QString::fromLatin1(caption), this);
    int column = 0;
    for (QWidget* control : std::initializer_list<QWidget*>{controls.on, controls.minDate, controls.minTime, label,
                                                            controls.maxDate, controls.maxTime})
        grid->addWidget(control, row, column++);
    Follow(controls.on, {controls.minDate, controls.minTime, label, controls.maxDate, controls.maxTime});
    return controls;
}

QDateEdit* CAdvancedDialog::DatePicker(std::time_t& value)
{
    auto* picker = new QDateEdit(QDateTime::fromSecsSinceEpoch(value).date(), this);
    picker->setCalendarPopup(true);
    connect(picker, &QDateEdit::dateChanged, this,
            [&value](QDate day) { value = day.startOfDay().toSecsSinceEpoch(); });
    return picker;
}

QTimeEdit* CAdvancedDialog::TimePicker(std::time_t& value)
{
    auto* picker = new QTimeEdit(QDateTime::fromSecsSinceEpoch(value).time(), this);
    picker->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    connect(picker, &QTimeEdit::timeChanged, this, [this, &value](QTime time) {
        value = QDateTime(QDateTime::fromSecsSinceEpoch(values_.todayMidnight).date(), time).toSecsSinceEpoch();
    });
    return picker;
}
