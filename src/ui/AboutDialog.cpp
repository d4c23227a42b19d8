#include "ui/AboutDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <filesystem>

#include "base/Desktop.h"
#include "base/Paths.h"
#include "ui/AppPicture.h"

namespace {

constexpr const char* kFeatures1 =
    "- searches in text file content and also file/dir names (!)\n- ideal for source code post-formatting\n"
    "- drag 'n drop file selection\n- regexp-based recursive directory expanding\n"
    "- confirmation before each replacing";
constexpr const char* kFeatures2 = "- context menu\r\n- wipe function (destroying files/dirs irretrievably)";
constexpr const char* kFeatures3 =
    "- advanced regexp-based file filtering\n- well-structured compressed backup before replacing - you can "
    "restore ALL the files with ONE copy command";
constexpr const char* kLimitations =
    "Limitations:\n- works only for ANSI charset text files\n"
    "- case-insensitiveness doesn't work for some language-dependent accentuated chars";

// A plain text label; "\r\n" is one break, as everywhere else.
QLabel* Text(const char* text, QWidget* parent)
{
    auto* label = new QLabel(QString::fromLatin1(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A row of labels and links side by side.
QHBoxLayout* Row(std::initializer_list<QWidget*> widgets)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    for (QWidget* widget : widgets) row->addWidget(widget);
    row->addStretch();
    return row;
}

// A file URL for path (its bytes percent-encoded) with an anchor, or empty when it is missing.
std::string FileTarget(const std::string& path, const char* anchor = "")
{
    if (GetPathKind(path.c_str()) != kPathFile) return {};
    return ("file://" + QByteArray::fromStdString(path).toPercentEncoding("/")).toStdString() + anchor;
}

}  // namespace

std::string DocDirectory(const std::string& programDir)
{
    return (std::filesystem::path(programDir).parent_path() / "share" / "doc" / "quillmend").string();
}

AboutDialog::AboutDialog(Desktop& desktop, std::uint32_t linkColour, const std::string& docDirectory, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Quillmend"));
    auto* title = Text("Quillmend v2.43", this);
    QFont big = title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    title->setFont(big);
    auto* picture = new QLabel(this);
    picture->setPixmap(AppPicture(64));
    licenceLink = new HyperlinkLabel(QStringLiteral("here"), desktop, this);
    archiverLink = new HyperlinkLabel(QStringLiteral("7-Zip"), desktop, this);
    homepageLink = new HyperlinkLabel(QStringLiteral("homepage"), desktop, this);
    bugsLink = new HyperlinkLabel(QStringLiteral("here"), desktop, this);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);

    const std::string licence = docDirectory + "/LICENSE";
    const std::string readme = docDirectory + "/README.md";
    licenceLink->SetTarget(FileTarget(licence));
    archiverLink->SetTarget(kArchiverHomePage);
    homepageLink->SetTarget(FileTarget(readme));
    bugsLink->SetTarget(FileTarget(readme, kReportingAnchor));
    licenceLink->SetToolTipText("Quillmend licence (MIT)");
    archiverLink->SetToolTipText("7-Zip home");
    homepageLink->SetToolTipText("author's page");
    bugsLink->SetToolTipText("mail to author");
    for (HyperlinkLabel* link : {licenceLink, archiverLink, homepageLink, bugsLink})
        link->Tip().SetColours(0, linkColour, 360);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title, 0, Qt::AlignHCenter);
    auto* head = new QHBoxLayout;
    head->addWidget(Text("Finds or replaces regular expressions in multiple files/dirs.", this));
    head->addStretch();
    head->addWidget(picture);
    layout->addLayout(head);
    layout->addWidget(Text(kFeatures1, this));
    layout->addWidget(Text(kFeatures2, this));
    layout->addWidget(Text(kFeatures3, this));
    layout->addWidget(Text(kLimitations, this));
    layout->addLayout(Row({Text("The regular-expression engine is Quillmend's own, under the program's licence, see",
                                this),
                           licenceLink}));
    layout->addLayout(Row({Text("Also uses the standalone version of the great", this), archiverLink,
                           Text("archiever to (optionally) archive files", this)}));
    layout->addWidget(Text("before changing them.", this));
    layout->addLayout(Row({homepageLink, Text("send bugs, comments", this), bugsLink}));
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
