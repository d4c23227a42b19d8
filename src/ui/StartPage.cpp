#include "ui/StartPage.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QScrollBar>

#include <algorithm>

#include "ui/OccurrenceText.h"

namespace {

QPushButton* Button(const char* caption, QWidget* parent)
{
    return new QPushButton(QString::fromLatin1(caption), parent);
}

QLineEdit* ReadOnlyField(const char* name, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setReadOnly(true);
    field->setAccessibleName(QString::fromLatin1(name));
    return field;
}

}  // namespace

StartPage::StartPage(Desktop& desktop, QWidget* parent) : WorkPage(desktop, parent)
{
    go = Button("Search/Replace!", this);
    // The go button keeps the width of its longest blinking label.
    go->setMinimumWidth(go->fontMetrics().horizontalAdvance(QStringLiteral("CONTINUE SEARCH")) + 24);
    skipWord = Button("Skip this word", this);
    skipFile = Button("Skip this file", this);
    processAll = new QCheckBox(QStringLiteral("Process all !"), this);
    cancel = Button("Cancel! (skip all)", this);
    auto* restore = Button("restore!", this);
    restore->setEnabled(false);
    restore->hide();
    auto* totalLabel = new QLabel(QStringLiteral("Total found:"), this);
    totalFound = ReadOnlyField("Total found:", this);
    totalLabel->setBuddy(totalFound);
    currentTarget = ReadOnlyField("current target", this);
    occurrence = new QPlainTextEdit(this);
    occurrence->setAccessibleName(QStringLiteral("occurrence"));
    occurrence->setReadOnly(true);
    occurrence->setLineWrapMode(QPlainTextEdit::NoWrap);
    occurrence->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // The selected occurrence stays visible while a button has the focus.
    QPalette colours = occurrence->palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
    occurrence->setPalette(colours);

    auto* layout = new QGridLayout(this);
    layout->addWidget(go, 0, 0);
    layout->addWidget(skipWord, 0, 1);
    layout->addWidget(skipFile, 0, 2);
    layout->addWidget(processAll, 0, 3);
    layout->addWidget(cancel, 0, 4);
    layout->addWidget(totalLabel, 1, 0);
    layout->addWidget(totalFound, 1, 1);
    layout->addWidget(currentTarget, 2, 0, 1, 5);
    layout->addWidget(occurrence, 3, 0, 1, 5);
    layout->setRowStretch(3, 1);
    WatchKeys();
}

void StartPage::ShowTotalFound(std::int32_t total) { totalFound->setText(QString::number(total)); }

void StartPage::ShowProcessAll(bool ticked) { processAll->setChecked(ticked); }

void StartPage::ShowCurrentTarget(const std::string& path) { currentTarget->setText(QString::fromLocal8Bit(path)); }

void StartPage::ShowOccurrence(const OccurrenceBox& box, const OccurrenceDetails&)
{
    const ShownText shown = ShowableText(box.text, box.selectionStart, box.selectionLength);
    occurrence->setPlainText(shown.text);
    QTextCursor cursor = occurrence->textCursor();
    cursor.setPosition(shown.selectionStart);
    cursor.setPosition(shown.selectionEnd, QTextCursor::KeepAnchor);
    occurrence->setTextCursor(cursor);
    occurrence->verticalScrollBar()->setValue(std::max(box.scrollLines, 0));
    const int column = occurrence->fontMetrics().horizontalAdvance(QLatin1Char('x'));
    occurrence->horizontalScrollBar()->setValue(std::max(box.scrollColumns, 0) * column);
}

void StartPage::ShowBoxText(const std::string& text) { occurrence->setPlainText(ShowableText(text, 0, 0).text); }

std::string StartPage::GoLabel() const { return go->text().toStdString(); }

void StartPage::SetGoLabel(const std::string& label) { go->setText(QString::fromStdString(label)); }
