/*
 * The configuration sheet and the About box opened from the window, and the custom
 * controls they use.
 */
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>

#include "WindowHarness.h"
#include "ui/AboutDialog.h"
#include "ui/AdjustColour.h"
#include "ui/ConfigSheetDialog.h"
#include "ui/ProgressBar.h"

namespace {

TEST_F(WindowTest, ConfigSheetTakesWholeNumbersAndCancelPutsEverythingBack)
{
    CMainConfigPage1& page = window->Config().page;
    const std::string reportFile = page.reportFilePath.GetText();
    script.Modal<ConfigSheetDialog>([](ConfigSheetDialog* sheet) {
        QTest::keyClicks(sheet->bufferSize, "7");
        QTest::keyClicks(sheet->overlap, "x");
        sheet->reportFile->clear();
        QTest::keyClicks(sheet->reportFile, "/elsewhere.txt");
        QTest::keyClick(sheet, Qt::Key_F1);
    });
    script.Box(QMessageBox::Ok).Then([&] {
        EXPECT_EQ(page.bufferSize, 655367u);
        EXPECT_EQ(page.overlap, 512u);
        EXPECT_STREQ(page.reportFilePath.GetText(), "/elsewhere.txt");
        QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape);
        return true;
    });
    const int beeps = window->DesktopSeam().BeepCount();
    window->config->click();
    EXPECT_EQ(script.texts, std::vector<std::string>({kWholeNumberPrompt}));
    EXPECT_EQ(window->DesktopSeam().BeepCount(), beeps + 1);
    EXPECT_EQ(page.bufferSize, 65536u);
    EXPECT_EQ(page.reportFilePath.GetText(), reportFile);

    // Buffer size not above the overlap: refused, the sheet closes, the old values stay.
    script.Modal<ConfigSheetDialog>([](ConfigSheetDialog* sheet) {
        sheet->bufferSize->clear();
        QTest::keyClicks(sheet->bufferSize, "512");
        sheet->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    script.Box(QMessageBox::Ok);
    window->config->click();
    EXPECT_EQ(script.texts.back(), "Buffer size must be greater than overlap!");
    EXPECT_EQ(page.bufferSize, 65536u);
}

TEST_F(WindowTest, AboutLinksOpenTheirTargetsAndTurnVisited)
{
    UrlRecorder recorder;
    AboutDialog about(window->DesktopSeam(), 0xC6D5DC, programDir.Path(), window.get());
    ASSERT_TRUE(WriteFile(programDir / "LICENSE", "MIT"));
    ASSERT_TRUE(WriteFile(programDir / "README.md", "# Quillmend"));
    AboutDialog withDocs(window->DesktopSeam(), 0xC6D5DC, programDir.Path(), window.get());
    EXPECT_TRUE(about.licenceLink->Target().empty());
    QTest::mouseClick(about.licenceLink, Qt::LeftButton);
    EXPECT_FALSE(about.licenceLink->Visited());
    EXPECT_TRUE(recorder.urls.empty());

    for (HyperlinkLabel* link : {withDocs.licenceLink, withDocs.archiverLink, withDocs.homepageLink, withDocs.bugsLink})
        QTest::mouseClick(link, Qt::LeftButton);
    const QString docs = QUrl::fromLocalFile(QString::fromStdString(programDir.Path())).toString();
    EXPECT_EQ(recorder.urls, std::vector<QUrl>({QUrl(docs + "/LICENSE"), QUrl(kArchiverHomePage),
                                                QUrl(docs + "/README.md"), QUrl(docs + "/README.md#reporting-problems")}));
    EXPECT_TRUE(withDocs.bugsLink->Visited());
    EXPECT_EQ(withDocs.bugsLink->palette().color(QPalette::WindowText), ColourOf(HyperlinkLabel::kVisited));
    EXPECT_EQ(withDocs.licenceLink->Tip().Text(), "Quillmend licence (MIT)");
    EXPECT_EQ(withDocs.homepageLink->Tip().Window()->palette().color(QPalette::Window), ColourOf(0xC6D5DC));
    EXPECT_EQ(withDocs.homepageLink->Tip().Window()->maximumWidth(), 360);
}

TEST(AdjustColour, BrightensTheWindowColourIntoTheLinkColour)
{
    EXPECT_EQ(AdjustColour(0x9EADB4, 0.0, 0.5, 1.0), 0xC6D5DCu);
    EXPECT_EQ(AdjustColour(0x9EADB4, 0.0, 0.0, 1.0), 0x9EADB4u);
    // Saturation 0 gives the grey of the base: luma 173.4 -> 173.
    EXPECT_EQ(AdjustColour(0x9EADB4, 0.0, 0.0, 0.0), 0xADADADu);
    EXPECT_EQ(AdjustColour(0xFFFFFF, 100.0, 5.0, 2.0), 0xFFFFFFu);
    EXPECT_EQ(AdjustColour(0x000000, -50.0, -1.0, 1.0), 0u);
}

TEST(ProgressBarSeam, AnEmptyRangeIsAnEmptyBarAndStepsStopAtTheEnd)
{
    ProgressBar bar;
    bar.SetRange(3, 3);
    EXPECT_GT(bar.maximum(), bar.minimum());
    EXPECT_EQ(bar.value(), 3);
    bar.SetRange(0, 5);
    bar.SetStep(2);
    for (int i = 0; i < 4; ++i) bar.StepIt();
    EXPECT_EQ(bar.value(), 5);
}

}  // namespace

