#include "ui/ReportPages.h"

#include <QVBoxLayout>

#include "ui/ListMenu.h"

ReportSettingsPage::ReportSettingsPage(Desktop& desktop, QWidget* parent) : WorkPage(desktop, parent)
{
    reportToFile = new QCheckBox(QStringLiteral("report to file"), this);
    auto* gather = new QCheckBox(QStringLiteral("gather results in report"), this);
    gather->setEnabled(false);
    gather->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(reportToFile);
    layout->addStretch();
    WatchKeys();
}

ReportPage::ReportPage(Desktop& desktop, LineList& report, QWidget* parent) : WorkPage(desktop, parent)
{
    list = new LineListView(report, kMinimumExtent, this);
    list->setAccessibleName(QStringLiteral("Report"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list);
    const auto run = [&desktop, &report](ListCommand command) { RunListCommand(desktop, report, command); };
    SetListCommands(run);
    connect(list, &LineListView::MenuRequested, this,
            [this, run](QPoint at) { ExecListMenu(this, at, [](ListCommand) { return true; }, run); });
    WatchKeys();
}
