/*
 * ListMenu: the context menu and the keys that the target list and the report list share.
 * The commands themselves are the core's; this only offers them.
 */
#pragma once

#include <QPoint>

#include <functional>
#include <optional>

#include "targets/ListCommands.h"

class QKeyEvent;
class QWidget;

// The list command a key stands for: Ctrl+C, Ctrl+V, Delete, Ctrl+A; none for other keys.
std::optional<ListCommand> ListKeyCommand(const QKeyEvent& event);

// Whether a command changes the target list (refused there while something is busy).
bool ChangesTargetList(ListCommand command);

// Shows the menu's items in order at globalPos, each enabled as enabled says, and runs the
// chosen one.
void ExecListMenu(QWidget* parent, QPoint globalPos, const std::function<bool(ListCommand)>& enabled,
                  const std::function<void(ListCommand)>& run);
