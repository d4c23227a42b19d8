#include "ui/TargetPageWidget.h"

#include <QDropEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMimeData>

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

// The paths of the file: URLs of a text/uri-list, percent-decoded into their very bytes (a
// QUrl would turn bytes that are not UTF-8 into replacement characters); other URLs and
// comment lines are skipped.
std::vector<std::string> LocalPaths(const QByteArray& uriList)
{
    std::vector<std::string> paths;
    for (QByteArray line : uriList.split('\n')) {
        line = line.trimmed();
        if (!line.startsWith("file://")) continue;
        const QByteArray rest = line.mid(7);
        const qsizetype slash = rest.indexOf('/');
        const QByteArray host = rest.left(slash);
        if (slash < 0 || !(host.isEmpty() || host == "localhost")) continue;
        paths.push_back(QByteArray::fromPercentEncoding(rest.mid(slash)).toStdString());
    }
    return paths;
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
    layout->addWidget(list, 0, 0, 1, 7);
    layout->addWidget(status, 1, 0, 1, 7);
    int column = 0;
    for (QLineEdit* counter : {all, dirs, files}) {
        counter->setMaximumWidth(counter->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 12);
        layout->addWidget(new QLabel(counter->accessibleName(), this), 2, column++, Qt::AlignRight);
        layout->addWidget(counter, 2, column++);
    }
    layout->setRowStretch(0, 1);
    layout->setColumnStretch(6, 1);
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
    drop.names = LocalPaths(event->mimeData()->data(QStringLiteral("text/uri-list")));
    drop.x = int(event->position().x());
    drop.y = int(event->position().y());
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (!drop.names.empty()) page_.OnDropFiles(drop);
}
