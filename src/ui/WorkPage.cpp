#include "ui/WorkPage.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "base/Desktop.h"
#include "ui/ListMenu.h"

WorkPage::WorkPage(Desktop& desktop, QWidget* parent) : QWidget(parent), desktop_(desktop)
{
    setAutoFillBackground(true);
}

void WorkPage::WatchKeys()
{
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

bool WorkPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && HandleKey(watched, static_cast<QKeyEvent*>(event))) return true;
    return QWidget::eventFilter(watched, event);
}

void WorkPage::keyPressEvent(QKeyEvent* event)
{
    if (!HandleKey(this, event)) QWidget::keyPressEvent(event);
}

bool WorkPage::HandleKey(QObject* watched, QKeyEvent* event)
{
    const auto* combo = qobject_cast<QComboBox*>(watched);
    const bool textField = qobject_cast<QLineEdit*>(watched) || qobject_cast<QPlainTextEdit*>(watched) ||
                           (combo && combo->isEditable());
    if (const auto command = ListKeyCommand(*event); command && listCommands_ && !textField) {
        listCommands_(*command);
        return true;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter && event->key() != Qt::Key_Escape) return false;
    if (enter && (event->modifiers() & Qt::ControlModifier)) {
        auto* edit = qobject_cast<QPlainTextEdit*>(watched);
        if (edit && !edit->isReadOnly()) edit->insertPlainText(QStringLiteral("\n"));
        return edit != nullptr;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(watched); enter && button) {
        button->click();
        return true;
    }
    if (enter && defaultButton_) {
        defaultButton_->click();
        return true;
    }
    desktop_.Beep(kPageBeepFrequency, kPageBeepMilliseconds);
    return true;
}
