/*
 * AboutDialog: "About Quillmend": the version, what the program does and cannot do, the
 * engine's origin and licence, the archiver it uses, and links to the licence, the
 * archiver's home page and the README (its start and its section on reporting problems).
 * The licence and the README lie in share/doc/quillmend beside bin/; a link whose file is
 * missing stays inert.
 */
#pragma once

#include <QDialog>

#include <cstdint>
#include <string>

#include "ui/HyperlinkLabel.h"

class Desktop;

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    // The link colour is the tooltips' background; docDirectory holds LICENSE and README.md.
    AboutDialog(Desktop& desktop, std::uint32_t linkColour, const std::string& docDirectory,
                QWidget* parent = nullptr);

    HyperlinkLabel* licenceLink;
    HyperlinkLabel* archiverLink;
    HyperlinkLabel* homepageLink;
    HyperlinkLabel* bugsLink;
};

// The directory of the documents the About box links to, for a program in programDir.
std::string DocDirectory(const std::string& programDir);
// The home page of the archiver.
inline constexpr const char* kArchiverHomePage = "https://www.7-zip.org/";
// The anchor of the README's section on reporting problems.
inline constexpr const char* kReportingAnchor = "#reporting-problems";
