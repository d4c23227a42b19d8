#include "ui/ConfigSheetDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <charconv>
#include <optional>

#include "base/Desktop.h"
#include "base/Progress.h"
#include "settings/PersistentVar.h"

namespace {

// A whole number from 0 to 4294967295 written in text, or nothing.
std::optional<std::uint32_t> WholeNumber(const std::string& text)
{
    std::uint32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

// A label; a long remark wraps, a field's caption does not.
QLabel* Text(const char* text, QWidget* parent, bool wrap = false)
{
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setWordWrap(wrap);
    return label;
}

QLineEdit* Field(const char* name, bool readOnly, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setAccessibleName(QString::fromLatin1(name));
    field->setReadOnly(readOnly);
    return field;
}

}  // namespace

ConfigSheetDialog::ConfigSheetDialog(CMainConfigSheet& sheet, Desktop& desktop, FileChooser& chooser,
                                     Progress& progress, std::vector<std::string> targets, QWidget* parent)
    : QDialog(parent), sheet_(sheet), desktop_(desktop), chooser_(chooser)
{
    setWindowTitle(QStringLiteral("Main preset dialog"));
    CMainConfigPage1& page = sheet.page;
    auto* tabs = new QTabWidget(this);
    auto* pageWidget = new QWidget(tabs);
    pageWidget->setAutoFillBackground(true);
    tabs->addTab(pageWidget, QStringLiteral("Search/Replace settings"));

    bufferSize = Field("read buffer size in bytes:", false, pageWidget);
    overlap = Field("overlap in bytes:", false, pageWidget);
    auto* chooseTemp = new QPushButton(QStringLiteral("temp dir:"), pageWidget);
    tempDir = Field("temp dir:", true, pageWidget);
    auto* emptyTemp = new QPushButton(QStringLiteral("empty!"), pageWidget);
    auto* chooseArchive = new QPushButton(QStringLiteral("archive dir:"), pageWidget);
    archiveDir = Field("archive dir:", true, pageWidget);
    auto* emptyArchive = new QPushButton(QStringLiteral("empty!"), pageWidget);
    emptyArchive->setEnabled(false);
    reportFile = Field("Reportfile", false, pageWidget);

    auto* grid = new QGridLayout(pageWidget);
    grid->addWidget(Text("read buffer size in bytes:", pageWidget), 0, 0);
    grid->addWidget(bufferSize, 0, 1);
    grid->addWidget(Text("overlap in bytes:", pageWidget), 1, 0);
    grid->addWidget(overlap, 1, 1);
    grid->addWidget(Text("Remark: the overlap size must be GREATER than the maximum length of any match result!",
                         pageWidget, true), 2, 0, 1, 3);
    grid->addWidget(chooseTemp, 3, 0);
    grid->addWidget(tempDir, 3, 1);
    grid->addWidget(emptyTemp, 3, 2);
    grid->addWidget(Text("Warning! The content of this directory will be DELETED before every archiving  !!!!!",
                         pageWidget, true), 4, 0, 1, 3);
    grid->addWidget(chooseArchive, 5, 0);
    grid->addWidget(archiveDir, 5, 1);
    grid->addWidget(emptyArchive, 5, 2);
    emptyArchive->hide();
    grid->addWidget(Text("Default dir for archives", pageWidget), 6, 0, 1, 3);
    grid->addWidget(Text("Reportfile", pageWidget), 7, 0);
    grid->addWidget(reportFile, 7, 1, 1, 2);
    grid->setRowStretch(8, 1);
    grid->setColumnStretch(1, 1);

    auto* load = new QPushButton(QStringLiteral("Load"), this);
    auto* save = new QPushButton(QStringLiteral("Save"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(load);
    bottom->addWidget(save);
    bottom->addStretch();
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(bottom);
    resize(560, 360);

    page.refreshControls = [this] { ValuesToControls(); };
    ValuesToControls();
    connect(bufferSize, &QLineEdit::textEdited, this, [this, &page] { TakeNumber(bufferSize, page.bufferSize); });
    connect(overlap, &QLineEdit::textEdited, this, [this, &page] { TakeNumber(overlap, page.overlap); });
    connect(reportFile, &QLineEdit::textEdited, this,
            [this, &page](const QString& text) { page.reportFilePath = CDynString(text.toLocal8Bit().constData()); });
    connect(chooseTemp, &QPushButton::clicked, this, [this, &page] { page.OnChooseTempDir(desktop_, chooser_); });
    connect(chooseArchive, &QPushButton::clicked, this, [this, &page] { page.OnChooseArchiveDir(desktop_, chooser_); });
    connect(emptyTemp, &QPushButton::clicked, this,
            [this, &page, &progress, targets] { page.OnEmptyTempDir(desktop_, &progress, targets); });
    connect(save, &QPushButton::clicked, this, [this] { OnSaveParams(sheet_, chooser_, desktop_); });
    connect(load, &QPushButton::clicked, this, [this] { OnLoadParams(sheet_, chooser_, desktop_); });
    connect(buttons, &QDialogButtonBox::accepted, this, &ConfigSheetDialog::OnOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

ConfigSheetDialog::~ConfigSheetDialog() { sheet_.page.refreshControls = nullptr; }

int ConfigSheetDialog::Run()
{
    reportFileBefore_ = sheet_.page.reportFilePath;
    const int result = RunSheetModal(sheet_, [this] { return exec() == QDialog::Accepted ? kSheetOk : kSheetCancel; });
    if (result == kSheetCancel) sheet_.page.reportFilePath = reportFileBefore_;
    return result;
}

void ConfigSheetDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) return OnConfigHelp(desktop_);
    QDialog::keyPressEvent(event);
}

void ConfigSheetDialog::TakeNumber(QLineEdit* field, std::uint32_t& value)
{
    const bool wasBad = field->property("bad").toBool();
    const auto number = WholeNumber(field->text().toStdString());
    field->setProperty("bad", !number);
    badNumbers_ += int(!number) - int(wasBad);
    if (number) value = *number;
    else desktop_.Notice(kWholeNumberPrompt);
}

void ConfigSheetDialog::ValuesToControls()
{
    const CMainConfigPage1& page = sheet_.page;
    bufferSize->setText(QString::number(page.bufferSize));
    overlap->setText(QString::number(page.overlap));
    for (QLineEdit* field : {bufferSize, overlap}) field->setProperty("bad", false);
    badNumbers_ = 0;
    tempDir->setText(QString::fromLocal8Bit(page.tempDir.GetText()));
    archiveDir->setText(QString::fromLocal8Bit(page.archiveDir.GetText()));
    reportFile->setText(QString::fromLocal8Bit(page.reportFilePath.GetText()));
}

void ConfigSheetDialog::OnOk()
{
    if (badNumbers_ > 0) return desktop_.Notice(kWholeNumberPrompt);
    // A refused pair of numbers is put back by the page, and the sheet still closes.
    sheet_.page.OnOK(desktop_);
    accept();
}
