/*
 * QtDesktop: message boxes with plain text only, Qt's own file dialogs and folder browser,
 * and the event loop as the pumps. Texts from the core are 8-bit strings in the locale's
 * encoding; paths go back to the core as the same bytes.
 */
#include "ui/QtDesktop.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QStringDecoder>
#include <QUrl>
#include <QWindow>

#include "ui/UriList.h"

namespace {

// A core text for a box: CR LF is one break.
QString BoxText(const std::string& text)
{
    return QString::fromLocal8Bit(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// A box with plain text, the given buttons and the one Escape answers with.
QMessageBox::StandardButton AskBox(QWidget* parent, const std::string& text, const std::string& caption,
                                   QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                   QMessageBox::StandardButton escape)
{
    QMessageBox box(icon, QString::fromLocal8Bit(caption), BoxText(text), buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.setEscapeButton(escape);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

// A '|'-separated filter ("PAR files|*.par||") in Qt's ";;" form ("PAR files (*.par)").
QString QtFilter(const std::string& filter)
{
    const QStringList parts = QString::fromLocal8Bit(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        QString patterns = parts[i + 1];
        filters << parts[i] + QStringLiteral(" (") + patterns.replace(QLatin1Char(';'), QLatin1Char(' ')) + ")";
    }
    return filters.join(QStringLiteral(";;"));
}

// A file dialog set up as the request asks.
void Prepare(QFileDialog& dialog, const FileChooserRequest& request)
{
    // Qt's own dialog: the same on every desktop, and its paths come back unchanged.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (!request.title.empty()) dialog.setWindowTitle(QString::fromLocal8Bit(request.title));
    dialog.setNameFilter(QtFilter(request.filter));
    dialog.setDefaultSuffix(QString::fromLocal8Bit(request.defaultExtension));
    if (!request.initialDirectory.empty()) dialog.setDirectory(QString::fromLocal8Bit(request.initialDirectory));
    if (!request.initialName.empty()) dialog.selectFile(QString::fromLocal8Bit(request.initialName));
}

}  // namespace

void QtDesktop::Notice(const std::string& text, const std::string& caption)
{
    AskBox(window_, text, caption, QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtDesktop::AskYesNo(const std::string& text, const std::string& caption)
{
    return AskBox(window_, text, caption, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                  QMessageBox::No) == QMessageBox::Yes;
}

DesktopAnswer QtDesktop::AskYesNoCancel(const std::string& text, const std::string& caption)
{
    switch (AskBox(window_, text, caption, QMessageBox::Question,
                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel)) {
    case QMessageBox::Yes: return DesktopAnswer::Yes;
    case QMessageBox::No: return DesktopAnswer::No;
    default: return DesktopAnswer::Cancel;
    }
}

void QtDesktop::PumpMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void QtDesktop::PumpOneMessage() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void QtDesktop::Beep(int, int)
{
    ++beeps_;
    QApplication::beep();
}

bool QtDesktop::SetClipboardText(const char* text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    // Names are bytes: offered as UTF-8 text where they are, so other programs paste them.
    const QByteArray bytes(text ? text : "");
    auto toText = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = toText(bytes);
    clipboard->setText(toText.hasError() ? QString::fromLocal8Bit(bytes) : decoded);
    return true;
}

std::string QtDesktop::GetClipboardText()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (!data) return {};
    // Files copied in a file manager come as a URI list, often without a text of their own.
    if (!data->hasFormat(QStringLiteral("text/plain")) && data->hasFormat(QStringLiteral("text/uri-list"))) {
        std::string joined;
        for (const std::string& path : LocalPaths(data->data(QStringLiteral("text/uri-list"))))
            joined += (joined.empty() ? "" : "\r\n") + path;
        return joined;
    }
    return data->text().toUtf8().toStdString();
}

bool QtDesktop::OpenWithDefaultHandler(const std::string& path)
{
    // A local path becomes a file URL from its very bytes, so no name is re-encoded.
    const QUrl url = path.starts_with('/')
                         ? QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/"))
                         : QUrl::fromEncoded(QByteArray::fromStdString(path));
    return QDesktopServices::openUrl(url);
}

bool QtDesktop::SetTopmost(bool on)
{
    QWindow* handle = window_ ? window_->windowHandle() : nullptr;
    if (!handle) return false;
    handle->setFlag(Qt::WindowStaysOnTopHint, on);
    return true;
}

std::optional<std::string> QtDesktop::ChooseSaveFile(const FileChooserRequest& request)
{
    QFileDialog dialog(window_);
    Prepare(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toLocal8Bit().toStdString();
}

std::vector<std::string> QtDesktop::ChooseOpenFiles(const FileChooserRequest& request)
{
    QFileDialog dialog(window_);
    Prepare(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    std::vector<std::string> paths;
    if (dialog.exec() != QDialog::Accepted) return paths;
    for (const QString& file : dialog.selectedFiles()) paths.push_back(file.toLocal8Bit().toStdString());
    return paths;
}

FolderBrowseResult QtDesktop::BrowseForFolder(const std::string& startFolder, const std::string& title, int width,
                                              int height)
{
    QFileDialog dialog(window_, QString::fromLocal8Bit(title), QString::fromLocal8Bit(startFolder));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.resize(width, height);
    if (window_) dialog.move(window_->geometry().center() - QPoint(width / 2, height / 2));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {FolderBrowseOutcome::Cancelled, {}};
    return {FolderBrowseOutcome::Chosen, dialog.selectedFiles().first().toLocal8Bit().toStdString()};
}
