/*
 * The occurrence box: its text, selection and scrolling for content (search-only and
 * replace mode) and for names, and the wait's go-button label.
 */
#include <cstdint>
#include <vector>

#include "RunFixture.h"

class ConfirmationTest : public RunFixture {};

TEST_F(ConfirmationTest, SearchOnlyContextIsAtMost400BytesBeforeAnd399After)
{
    job.pattern = "X";
    const std::string lines = std::string(9, '\n');
    const std::string path = File("a.txt", "X" + std::string(449, 'a') + "X" + lines + std::string(500, 'b'));
    RunOver({path}, "yy");
    ASSERT_EQ(view.boxes.size(), 2u);
    const OccurrenceBox& first = view.boxes[0];
    EXPECT_EQ(first.selectionStart, 0u);
    EXPECT_EQ(first.text, "X" + std::string(399, 'a'));
    const OccurrenceBox& second = view.boxes[1];
    EXPECT_EQ(second.selectionStart, 400u);
    EXPECT_EQ(second.selectionLength, 1u);
    EXPECT_EQ(second.text, std::string(400, 'a') + "X" + lines + std::string(390, 'b'));
    EXPECT_EQ(second.scrollLines, -6);
    EXPECT_EQ(second.scrollColumns, 400 - 25);
    EXPECT_EQ(view.details[1].line, 1u);
    EXPECT_EQ(view.details[1].found, "X");
}

TEST_F(ConfirmationTest, ReplaceModeContextShowsEarlierReplacementsAndThePreview)
{
    Replace("foo", "<$0>");
    const std::string path = File("a.txt", "foo\nbar foo");
    RunOver({path}, "yy");
    ASSERT_EQ(view.boxes.size(), 2u);
    EXPECT_EQ(view.boxes[1].text, "<foo>\nbar foo");
    EXPECT_EQ(view.boxes[1].selectionStart, 10u);
    EXPECT_EQ(view.boxes[1].scrollLines, 1 - 6);
    EXPECT_EQ(view.details[1].line, 2u);
    EXPECT_EQ(view.details[1].replacement, "<foo>");
    EXPECT_EQ(ReadFile(path), "<foo>\nbar <foo>");
}

TEST_F(ConfirmationTest, LineNumbersOfShownOccurrencesHoldAcrossChunksAndCrLf)
{
    // Chunks of 16 bytes, CR LF and LF line ends, and long stretches without an occurrence,
    // whose line feeds have left the buffer by the time the next occurrence is shown.
    job.pattern = "X";
    job.bufferSize = 16;
    job.overlap = 4;
    std::string text;
    std::vector<std::uint64_t> lines;
    for (std::uint64_t line = 1; line <= 60; ++line) {
        const bool found = line % 13 == 0 || line == 14 || line == 58;
        text += found ? "ab X" : "abcdefgh";
        text += line % 2 == 1 ? "\r\n" : "\n";
        if (found) lines.push_back(line);
    }
    RunOver({File("a.txt", text)}, std::string(lines.size(), 'y'));
    ASSERT_EQ(view.details.size(), lines.size());
    for (std::size_t k = 0; k < lines.size(); ++k) EXPECT_EQ(view.details[k].line, lines[k]) << k;
}

TEST_F(ConfirmationTest, NameBoxHasItsSeparatorsAndTheNameBuiltSoFar)
{
    job.inContent = false;
    job.inFileNames = true;
    const std::string rule(36, ':');
    const std::string head = rule + "\r\n" + rule + "\r\n" + rule + "\r\n\r\n";
    const std::string tail = "\r\n\r\n" + rule + "\r\n" + rule + "\r\n" + rule;
    List({File("abab", "")});
    Answer("yy");
    job.pattern = "b";
    job.searchOnly = true;
    run.RunJob();
    EXPECT_EQ(view.boxes[0].text, head + "abab" + tail);
    Replace("b", "XY");
    Answer("yy");
    run.RunJob();
    ASSERT_EQ(view.boxes.size(), 4u);
    const std::string question = "\r\n\r\nReplace this occurence?\r\n";
    EXPECT_EQ(view.boxes[3].text, question + head + "aXYab" + tail);
    EXPECT_EQ(view.boxes[3].selectionStart, question.size() + head.size() + 4);
    EXPECT_EQ(view.boxes[3].selectionLength, 1u);
}
