#include "ui/TargetPageWidget.h"

#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QVBoxLayout>

#include <ctime>

#include "settings/Startup.h"
#include "ui/CAdvancedDialog.h"
#include "ui/ListMenu.h"
#include "ui/UriList.h"

namespace {

QLineEdit* Counter(const char* caption, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setReadOnly(true);
    // A drop on a field is a drop on the page.
    field->setAcceptDrops(false);
    field->setAccessibleName(QString::fromLatin1(caption));
    return field;
}

template <std::size_t N>
QComboBox* ItemList(const char* const (&items)[N], const char* caption, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    for (const char* item : items) list->addItem(QString::fromLatin1(item));
    list->setAccessibleName(QString::fromLatin1(caption));
    return list;
}

QString Text(const std::string& bytes) { return QString::fromLocal8Bit(bytes); }
std::string Bytes(const QString& text) { return text.toLocal8Bit().toStdString(); }

}  // namespace

TargetPageWidget::TargetPageWidget(Desktop& desktop, TargetPage& page, std::function<bool()> busy, QWidget* parent)
    : WorkPage(desktop, parent), page_(page), busy_(std::move(busy))
{
    list = new LineListView(page.targets.lines, 1000, this);
    list->setAccessibleName(QStringLiteral("Files/Dirs 2 find/replace in"));
    all = Counter("All", this);
    dirs = Counter("Dirs", this);
    files = Counter("Files", this);
    status = Counter("status", this);
    alwaysOnTop = new QCheckBox(QStringLiteral("always on top"), this);
    wantDirs = new QCheckBox(QStringLiteral("dirs"), this);
    wantFiles = new QCheckBox(QStringLiteral("files"), this);
    depth = ItemList(kDepthItems, "Recursive search depth: (0: no expanding, -1:infinite depth)", this);
    pattern = new OwnerDrawnCombo(this);
    // Enter presses "Expand!"; it never adds the text as an item.
    pattern->setInsertPolicy(QComboBox::NoInsert);
    QStringList patterns;
    for (const char* item : kPatternItems) patterns << QString::fromLatin1(item);
    patterns.sort(Qt::CaseInsensitive);
    pattern->addItems(patterns);
    pattern->setEditText({});
    pattern->setAccessibleName(QStringLiteral("file/dir pattern (regexp!)"));
    pattern->lineEdit()->setAccessibleName(pattern->accessibleName());
    pattern->view()->setAccessibleName(pattern->accessibleName());
    pattern->SetToolTipText(PatternTooltipText());
    effectivePattern = new ColourEdit(this);
    effectivePattern->setReadOnly(true);
    effectivePattern->setAccessibleName(QStringLiteral("effective pattern"));
    effectivePattern->hide();
    ignoreCase = new QCheckBox(QStringLiteral("ignore case"), this);
    exactMatch = new QCheckBox(QStringLiteral("exact match"), this);
    wipeRounds = ItemList(kWipeRoundItems, "wipe rounds", this);
    expand = new QPushButton(QStringLiteral("Expand!"), this);
    empty = new QPushButton(QStringLiteral("Empty!"), this);
    wipe = new QPushButton(QStringLiteral("Wipe!"), this);
    advanced = new QPushButton(QStringLiteral("advanced"), this);
    for (QPushButton* button : {expand, empty, wipe, advanced}) button->setAutoDefault(false);

    alwaysOnTop->setChecked(page_.alwaysOnTop);
    wantDirs->setChecked(page_.wantDirs);
    wantFiles->setChecked(page_.wantFiles);
    depth->setCurrentIndex(page_.depthIndex);
    ignoreCase->setChecked(page_.ignoreCase);
    wipeRounds->setCurrentIndex(page_.wipeRounds);
    ShowPatternState();
    ShowCounters(page_.targets.allCount, page_.targets.dirCount, page_.targets.fileCount);

    Arrange();
    Wire();
    setAcceptDrops(true);
    page_.SetView(this);
    SetDefaultButton(expand);
    SetListCommands([this](ListCommand command) { RunCommand(command); });
    WatchKeys();
}

TargetPageWidget::~TargetPageWidget() { page_.SetView(nullptr); }

void TargetPageWidget::Arrange()
{
    auto* searchFor = new QGroupBox(QStringLiteral("Search for"), this);
    auto* kinds = new QVBoxLayout(searchFor);
    kinds->addWidget(wantDirs);
    kinds->addWidget(wantFiles);

    auto* expanding = new QGroupBox(QStringLiteral("   Expanding dropped stuffs   "), this);
    auto* grid = new QGridLayout(expanding);
    grid->addWidget(searchFor, 0, 0, 3, 1);
    grid->addWidget(new QLabel(depth->accessibleName(), expanding), 0, 1, 1, 3);
    grid->addWidget(depth, 0, 4);
    grid->addWidget(new QLabel(pattern->accessibleName(), expanding), 1, 1);
    grid->addWidget(pattern, 1, 2, 1, 3);
    grid->addWidget(ignoreCase, 2, 1);
    grid->addWidget(exactMatch, 2, 2);
    grid->addWidget(advanced, 2, 3);
    grid->addWidget(expand, 2, 4);
    grid->setColumnStretch(2, 1);

    auto* wipeRow = new QHBoxLayout;
    wipeRow->addWidget(alwaysOnTop);
    wipeRow->addStretch();
    wipeRow->addWidget(empty);
    wipeRow->addSpacing(16);
    wipeRow->addWidget(new QLabel(wipeRounds->accessibleName(), this));
    wipeRow->addWidget(wipeRounds);
    wipeRow->addWidget(wipe);

    auto* counters = new QHBoxLayout;
    for (QLineEdit* counter : {all, dirs, files}) {
        counter->setMaximumWidth(counter->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 12);
        counters->addWidget(new QLabel(counter->accessibleName(), this));
        counters->addWidget(counter);
    }
    counters->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(expanding);
    layout->addLayout(wipeRow);
    layout->addWidget(list, 1);
    layout->addWidget(status);
    layout->addLayout(counters);
    layout->addWidget(effectivePattern);
}

void TargetPageWidget::Wire()
{
    connect(alwaysOnTop, &QCheckBox::clicked, this, [this](bool ticked) { page_.OnAlwaysOnTopClicked(ticked); });
    connect(wantDirs, &QCheckBox::toggled, this, [this](bool on) { page_.wantDirs = on; });
    connect(wantFiles, &QCheckBox::toggled, this, [this](bool on) { page_.wantFiles = on; });
    connect(ignoreCase, &QCheckBox::toggled, this, [this](bool on) { page_.ignoreCase = on; });
    connect(depth, &QComboBox::currentIndexChanged, this, [this](int index) { page_.depthIndex = index; });
    connect(wipeRounds, &QComboBox::currentIndexChanged, this, [this](int index) { page_.wipeRounds = index; });
    connect(pattern, &QComboBox::editTextChanged, this, [this](const QString& text) {
        page_.OnPatternChanged(Bytes(text));
        ShowPatternState();
    });
    connect(pattern, &QComboBox::activated, this, [this](int index) {
        page_.OnPatternChanged(Bytes(pattern->itemText(index)));
        ShowPatternState();
    });
    connect(exactMatch, &QCheckBox::clicked, this, [this](bool ticked) {
        page_.OnExactMatchClicked(ticked);
        ShowPatternState();
    });
    connect(expand, &QPushButton::clicked, this, [this] {
        if (!busy_() || page_.finder.running) page_.OnExpand();
    });
    connect(wipe, &QPushButton::clicked, this, [this] {
        if (!busy_() || page_.wipeInProgress) page_.OnWipe();
    });
    connect(empty, &QPushButton::clicked, this, [this] {
        if (!busy_()) page_.OnEmpty();
    });
    connect(advanced, &QPushButton::clicked, this, [this] {
        page_.OnAdvancedOpening(std::time(nullptr));
        CAdvancedDialog dialog(page_.advanced, this);
        dialog.exec();
        page_.OnAdvancedClosed();
    });
    connect(list, &LineListView::MenuRequested, this, [this](QPoint at) {
        ExecListMenu(
            this, at, [this](ListCommand command) { return !(busy_() && ChangesTargetList(command)); },
            [this](ListCommand command) { RunCommand(command); });
    });
}

void TargetPageWidget::RunCommand(ListCommand command)
{
    if (busy_() && ChangesTargetList(command)) return;
    RunListCommand(desktop_, page_.targets, command);
}

void TargetPageWidget::ShowCounters(std::int32_t allCount, std::int32_t dirCount, std::int32_t fileCount)
{
    all->setText(QString::number(allCount));
    dirs->setText(QString::number(dirCount));
    files->setText(QString::number(fileCount));
}

void TargetPageWidget::ShowStatus(const std::string& text) { status->setText(Text(text)); }

void TargetPageWidget::SetExpandCaption(const std::string& caption)
{
    expand->setText(Text(caption));
    FollowBusy();
}

void TargetPageWidget::SetWipeCaption(const std::string& caption)
{
    wipe->setText(Text(caption));
    FollowBusy();
}

void TargetPageWidget::FollowBusy()
{
    const bool working = expand->text() != QStringLiteral("Expand!") || wipe->text() != QStringLiteral("Wipe!");
    empty->setEnabled(!working);
}

void TargetPageWidget::ShowPatternState()
{
    effectivePattern->SetText(page_.effectivePattern.c_str());
    exactMatch->setChecked(page_.exactMatch);
}

void TargetPageWidget::OnShown(bool shown)
{
    page_.OnPageShown(shown);
    alwaysOnTop->setChecked(page_.alwaysOnTop);
}

void TargetPageWidget::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) OnShown(true);
    WorkPage::showEvent(event);
}

void TargetPageWidget::hideEvent(QHideEvent* event)
{
    if (!event->spontaneous()) OnShown(false);
    WorkPage::hideEvent(event);
}

bool TargetPageWidget::Droppable(const QDropEvent* event) const
{
    return !busy_() && event->mimeData()->hasFormat(QStringLiteral("text/uri-list")) &&
           (event->possibleActions() & Qt::CopyAction);
}

void TargetPageWidget::dragEnterEvent(QDragEnterEvent* event)
{
    if (!Droppable(event)) return event->ignore();
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void TargetPageWidget::dragMoveEvent(QDragMoveEvent* event)
{
    if (!Droppable(event)) return event->ignore();
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void TargetPageWidget::dropEvent(QDropEvent* event)
{
    if (!Droppable(event)) return event->ignore();
    FileDrop drop;
    drop.names = LocalPaths(event->mimeData()->data(QStringLiteral("text/uri-list")));
    drop.x = int(event->position().x());
    drop.y = int(event->position().y());
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (!drop.names.empty()) page_.OnDropFiles(drop);
}
