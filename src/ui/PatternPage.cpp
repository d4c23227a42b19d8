#include "ui/PatternPage.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/Desktop.h"

namespace {

// A multi-line field that fits a few lines of a pattern.
QPlainTextEdit* PatternField(const char* name, QWidget* parent)
{
    auto* field = new QPlainTextEdit(parent);
    field->setAccessibleName(QString::fromLatin1(name));
    field->setTabChangesFocus(true);
    field->setLineWrapMode(QPlainTextEdit::NoWrap);
    field->setFixedHeight(field->fontMetrics().lineSpacing() * 3 + 12);
    return field;
}

}  // namespace

PatternPage::PatternPage(Desktop& desktop, JobSettings& values, QWidget* parent)
    : WorkPage(desktop, parent), values_(values)
{
    auto* layout = new QVBoxLayout(this);
    auto* patternLabel = new QLabel(QStringLiteral("RegExp:"), this);
    pattern = PatternField("RegExp:", this);
    patternLabel->setBuddy(pattern);
    auto* replacementLabel = new QLabel(QStringLiteral("Replace to:"), this);
    // Made in reading order, which is the order Tab follows: the box stands beside the label.
    searchOnly = new QCheckBox(QStringLiteral("search only!"), this);
    replacement = PatternField("Replace to:", this);
    replacementLabel->setBuddy(replacement);
    ignoreCase = new QCheckBox(QStringLiteral("\\i  Ignore case"), this);
    multiline = new QCheckBox(QStringLiteral("\\m  Multiline: ^ and $ means also line begin and line end"), this);
    dotAll = new QCheckBox(QStringLiteral("\\s  Point(.) includes \\n"), this);
    extended = new QCheckBox(QStringLiteral("\\x  Extended: whitespaces are ignored and #comment is possible"), this);
    wholeWord = new QCheckBox(QStringLiteral("whole word in content"), this);
    auto* where = new QGroupBox(QStringLiteral("     Where 2 Find/Replace?     "), this);
    inContent = new QCheckBox(QStringLiteral("in file content"), where);
    inFileNames = new QCheckBox(QStringLiteral("in file names"), where);
    inDirNames = new QCheckBox(QStringLiteral("in dir names"), where);
    auto* test = new QPushButton(QStringLiteral("Test regexp!"), this);

    layout->addWidget(patternLabel);
    layout->addWidget(pattern);
    auto* replaceRow = new QHBoxLayout;
    replaceRow->addWidget(replacementLabel);
    replaceRow->addStretch();
    replaceRow->addWidget(searchOnly);
    layout->addLayout(replaceRow);
    layout->addWidget(replacement);
    for (QCheckBox* box : {ignoreCase, multiline, dotAll, extended, wholeWord}) layout->addWidget(box);
    auto* whereLayout = new QHBoxLayout(where);
    for (QCheckBox* box : {inContent, inFileNames, inDirNames}) whereLayout->addWidget(box);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(where);
    bottom->addStretch();
    bottom->addWidget(test, 0, Qt::AlignBottom);
    layout->addLayout(bottom);
    layout->addStretch();

    ValuesToControls();
    for (QCheckBox* box : {ignoreCase, multiline, dotAll, extended, inContent, inFileNames, inDirNames})
        connect(box, &QCheckBox::clicked, this, &PatternPage::ControlsToValues);
    connect(pattern, &QPlainTextEdit::textChanged, this, &PatternPage::ControlsToValues);
    connect(replacement, &QPlainTextEdit::textChanged, this, &PatternPage::ControlsToValues);
    connect(searchOnly, &QCheckBox::clicked, this, &PatternPage::OnSearchOnly);
    connect(wholeWord, &QCheckBox::clicked, this, &PatternPage::OnWholeWord);
    connect(test, &QPushButton::clicked, this, &PatternPage::OnTestRegexp);
    WatchKeys();
}

void PatternPage::ControlsToValues()
{
    if (showing_) return;
    values_.pattern = pattern->toPlainText().toLocal8Bit().toStdString();
    values_.replacement = replacement->toPlainText().toLocal8Bit().toStdString();
    values_.searchOnly = searchOnly->isChecked();
    values_.ignoreCase = ignoreCase->isChecked();
    values_.multiline = multiline->isChecked();
    values_.dotAll = dotAll->isChecked();
    values_.extended = extended->isChecked();
    values_.wholeWord = wholeWord->isChecked();
    values_.inContent = inContent->isChecked();
    values_.inFileNames = inFileNames->isChecked();
    values_.inDirNames = inDirNames->isChecked();
}

void PatternPage::ValuesToControls()
{
    showing_ = true;
    const QString patternText = QString::fromLocal8Bit(values_.pattern);
    if (pattern->toPlainText() != patternText) pattern->setPlainText(patternText);
    const QString replacementText = QString::fromLocal8Bit(values_.replacement);
    if (replacement->toPlainText() != replacementText) replacement->setPlainText(replacementText);
    searchOnly->setChecked(values_.searchOnly);
    ignoreCase->setChecked(values_.ignoreCase);
    multiline->setChecked(values_.multiline);
    dotAll->setChecked(values_.dotAll);
    extended->setChecked(values_.extended);
    wholeWord->setChecked(values_.wholeWord);
    inContent->setChecked(values_.inContent);
    inFileNames->setChecked(values_.inFileNames);
    inDirNames->setChecked(values_.inDirNames);
    replacement->setEnabled(!values_.searchOnly);
    showing_ = false;
}

void PatternPage::OnSearchOnly()
{
    ControlsToValues();
    replacement->setEnabled(!values_.searchOnly);
}

void PatternPage::OnWholeWord()
{
    ControlsToValues();
    const bool wrapped = IsWholeWordWrapped(values_.pattern);
    if (values_.wholeWord && !wrapped) values_.pattern = WrapWholeWord(values_.pattern, values_.extended);
    if (!values_.wholeWord && wrapped) values_.pattern = UnwrapWholeWord(values_.pattern, values_.extended);
    ValuesToControls();
}

void PatternPage::OnTestRegexp() { desktop_.Notice(TestRegexpMessage(values_)); }
