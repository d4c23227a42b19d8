#include "ui/ListMenu.h"

#include <QKeyEvent>
#include <QMenu>

std::optional<ListCommand> ListKeyCommand(const QKeyEvent& event)
{
    if (event.key() == Qt::Key_Delete && !(event.modifiers() & Qt::ControlModifier))
        return ListCommand::DeleteSelected;
    if (!(event.modifiers() & Qt::ControlModifier)) return std::nullopt;
    switch (event.key()) {
    case Qt::Key_C: return ListCommand::CopySelected;
    case Qt::Key_V: return ListCommand::Paste;
    case Qt::Key_A: return ListCommand::SelectAll;
    default: return std::nullopt;
    }
}

bool ChangesTargetList(ListCommand command)
{
    return command == ListCommand::DeleteSelected || command == ListCommand::LeaveSelected ||
           command == ListCommand::LeaveNotOnClipboard || command == ListCommand::Paste;
}

void ExecListMenu(QWidget* parent, QPoint globalPos, const std::function<bool(ListCommand)>& enabled,
                  const std::function<void(ListCommand)>& run)
{
    QMenu menu(parent);
    for (const ListMenuItem& item : kListMenu) {
        if (!item.command) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(QString::fromLatin1(item.text));
        action->setData(static_cast<int>(*item.command));
        action->setEnabled(enabled(*item.command));
    }
    // The command runs after the menu has closed, so its questions are not stacked on it.
    if (QAction* chosen = menu.exec(globalPos)) run(static_cast<ListCommand>(chosen->data().toInt()));
}
