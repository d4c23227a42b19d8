#include "ui/TargetPageWidget.h"

#include <QDropEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

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
    auto* layout = new QGridLayout(this);
    layout->addWidget(list, 0, 0, 1, 6);
    layout->addWidget(status, 1, 0, 1, 6);
    int column = 0;
    for (QLineEdit* counter : {all, dirs, files}) {
        layout->addWidget(new QLabel(counter->accessibleName(), this), 2, column++, Qt::AlignRight);
        layout->addWidget(counter, 2, column++);
    }
    layout->setRowStretch(0, 1);
    setAcceptDrops(true);
    page_.SetView(this);
    WatchKeys();
}

TargetPageWidget::~TargetPageWidget() { page_.SetView(nullptr); }

void TargetPageWidget::ShowCounters(std::int32_t allCount, std::int32_t dirCount, std::int32_t fileCount)
{
    all->setText(QString::number(allCount));
    dirs->setText(QString::number(dirCount));
    files->setText(QString::number(fileCount));
}

void TargetPageWidget::ShowStatus(const std::string& text) { status->setText(QString::fromLocal8Bit(text)); }

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
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile()) continue;
        drop.names.push_back(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
    }
    drop.x = int(event->position().x());
    drop.y = int(event->position().y());
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (!drop.names.empty()) page_.OnDropFiles(drop);
}
