/*
 * Tests of CWexList: index walks from the nearer end, duplicate refusal, insertion and
 * removal at every position, the diagnostics of broken lists and failed copies, and the sort.
 */
#include "base/CWexList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A list that counts its change notifications.
template <typename T>
struct CountingList : CWexList<T> {
    int changes = 0;
    void t_OnChange() override { ++changes; }
};

std::vector<std::string> Texts(CWexList<CDynString>& list)
{
    std::vector<std::string> texts;
    for (auto* node = list.head; node != nullptr; node = node->next)
        texts.push_back(node->element.IsNone() ? "<none>" : std::string(node->element.View()));
    return texts;
}

void Fill(CWexList<CDynString>& list, const std::vector<const char*>& texts)
{
    for (const char* text : texts)
        list.add(text);
}

// An element whose copy can be made to fail.
struct Fragile {
    static inline bool failCopies = false;
    int value = 0;
    explicit Fragile(int v) : value(v) {}
    Fragile(const Fragile& other) : value(other.value)
    {
        if (failCopies)
            throw std::runtime_error("copy failed");
    }
};

class WexListTest : public testing::Test {
protected:
    void SetUp() override { ClearRecordedWexDiagnostics(); }
    void TearDown() override { Fragile::failCopies = false; }
};

}  // namespace

TEST_F(WexListTest, IndexWalksFromTheNearerEnd)
{
    CWexList<CDynString> list;
    Fill(list, {"a", "b", "c", "d", "e"});
    auto* n2 = list.head->next->next;
    auto* n3 = n2->next;
    // Cut the forward link after index 2: index 3 must still come (from the tail).
    n2->next = nullptr;
    ASSERT_NE(list[3], nullptr);
    EXPECT_TRUE(list[3]->Equals("d"));
    n2->next = n3;
    // Cut the backward link before index 3: index 2 must still come (from the head).
    n3->prev = nullptr;
    ASSERT_NE(list[2], nullptr);
    EXPECT_TRUE(list[2]->Equals("c"));
    n3->prev = n2;

    EXPECT_EQ(list[5], nullptr);
    EXPECT_EQ(list[-1], nullptr);
    CWexList<CDynString> empty;
    EXPECT_EQ(empty[0], nullptr);
}

TEST_F(WexListTest, UniqueRefusesEqualKeysByTheStoredStringsComparison)
{
    CWexList<CDynString> list;
    ASSERT_NE(list.add("abc"), nullptr);
    EXPECT_EQ(list.add("ABC"), nullptr);
    EXPECT_EQ(list.count, 1);
    EXPECT_EQ(list.find("aBc"), 0);
    EXPECT_EQ(list.find("abd"), -1);

    CDynString exact("Key");
    exact.caseSensitive = true;
    list.add(exact);
    EXPECT_NE(list.add("KEY"), nullptr) << "a case-sensitive stored key differs from KEY";

    list.unique = false;
    EXPECT_NE(list.add("abc"), nullptr);
    EXPECT_EQ(list.count, 4);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"abc", "Key", "KEY", "abc"}));
}

TEST_F(WexListTest, InsertLinksEveryPosition)
{
    CountingList<CDynString> list;
    list.t_Insert(nullptr, "b");
    list.t_Insert(nullptr, "a");
    list.t_Insert(list.tail, "d");
    list.t_Insert(list.head->next, "c");
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(list.count, 4);
    EXPECT_EQ(list.changes, 4);
    std::vector<std::string> backwards;
    for (auto* node = list.tail; node != nullptr; node = node->prev)
        backwards.push_back(std::string(node->element.View()));
    EXPECT_EQ(backwards, (std::vector<std::string>{"d", "c", "b", "a"}));
    EXPECT_EQ(list.head->prev, nullptr);
    EXPECT_EQ(list.tail->next, nullptr);
}

TEST_F(WexListTest, DeleteTagUnlinksHeadMiddleAndTail)
{
    CountingList<CDynString> list;
    Fill(list, {"a", "b", "c", "d"});
    list.changes = 0;
    EXPECT_TRUE(list.t_DeleteTag(list.head->next));
    EXPECT_TRUE(list.t_DeleteTag(list.head));
    EXPECT_TRUE(list.t_DeleteTag(list.tail));
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"c"}));
    EXPECT_EQ(list.head, list.tail);
    EXPECT_EQ(list.changes, 3);
    EXPECT_TRUE(list.t_DeleteTag(list.head));
    EXPECT_EQ(list.head, nullptr);
    EXPECT_EQ(list.tail, nullptr);
    EXPECT_FALSE(list.t_DeleteTag(nullptr));
    EXPECT_TRUE(RecordedWexDiagnostics().empty());
}

TEST_F(WexListTest, DeleteTagOfAForeignNodeEmptiesTheListWithADiagnostic)
{
    CWexList<CDynString> list;
    CWexList<CDynString> other;
    Fill(list, {"a", "b"});
    Fill(other, {"x", "y", "z"});
    EXPECT_FALSE(list.t_DeleteTag(other.head));
    EXPECT_EQ(RecordedWexDiagnostics(),
              std::vector<std::string>{"Error in CWexList::t_DeleteTag() WEXI_CATCH!"});
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.head, nullptr);
    EXPECT_EQ(other.count, 3) << "the other list is not touched";
    EXPECT_NE(list.add("again"), nullptr) << "the list stays usable";
}

TEST_F(WexListTest, DeleteListCountsAndReportsAMismatch)
{
    CountingList<CDynString> list;
    EXPECT_EQ(list.t_DeleteList(), 0);
    EXPECT_EQ(list.changes, 0);
    Fill(list, {"a", "b", "c"});
    EXPECT_EQ(list.t_DeleteList(), 3);
    EXPECT_EQ(list.head, nullptr);
    EXPECT_EQ(list.tail, nullptr);
    EXPECT_EQ(list.count, 0);
    EXPECT_TRUE(RecordedWexDiagnostics().empty());

    Fill(list, {"a", "b", "c"});
    list.count = 5;
    EXPECT_EQ(list.t_DeleteList(), -1);
    EXPECT_EQ(RecordedWexDiagnostics(),
              std::vector<std::string>{
                  "Error in CWexList<>::t_DeleteList()!\r\n(insufficient elements deleted)"});
    EXPECT_EQ(list.count, 0);
}

TEST_F(WexListTest, FailedCopyEmptiesTheListAndGoesToTheHook)
{
    std::vector<std::pair<std::string, std::string>> shown;
    SetWexDiagnosticHook([&](const std::string& text, const std::string& caption) {
        shown.emplace_back(text, caption);
    });
    CWexList<Fragile> list;
    list.add(Fragile(1));
    list.add(Fragile(2));
    Fragile::failCopies = true;
    EXPECT_EQ(list.add(Fragile(3)), nullptr);
    SetWexDiagnosticHook(nullptr);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, "Error in CWexList::t_Insert() WEXI_CATCH!");
    EXPECT_EQ(shown[0].second, "Message from CWexList::_t_Test()");
    EXPECT_TRUE(RecordedWexDiagnostics().empty());
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.head, nullptr);
    Fragile::failCopies = false;
    ASSERT_NE(list.add(Fragile(4)), nullptr);
    EXPECT_EQ(list[0]->value, 4);
}

TEST_F(WexListTest, SortOrdersWithoutCaseAndPutsNoneLast)
{
    CWexList<CDynString> list;
    Fill(list, {"b", "A", "c"});
    list.t_Sort(list.head, 0, list.tail, list.count - 1, false);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"A", "b", "c"}));
    list.t_Sort(list.head, 0, list.tail, list.count - 1, true);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"c", "b", "A"}));

    CWexList<CDynString> withNone;
    withNone.unique = false;
    withNone.add("m");
    withNone.add(CDynString());
    withNone.add("");
    withNone.add("B");
    withNone.t_Sort(withNone.head, 0, withNone.tail, withNone.count - 1, false);
    EXPECT_EQ(Texts(withNone), (std::vector<std::string>{"", "B", "m", "<none>"}));
}

TEST_F(WexListTest, SortMatchesAReferenceOnManyElementsAndKeepsOutsideTheRange)
{
    CWexList<CDynString> list;
    list.unique = false;
    std::vector<std::string> reference;
    unsigned state = 7;
    for (int i = 0; i < 300; ++i) {
        state = state * 1103515245u + 12345u;
        std::string text(1 + (state >> 8) % 4, 'a');
        for (char& c : text) {
            state = state * 1103515245u + 12345u;
            c = "aAbBcC_z"[(state >> 16) % 8];
        }
        list.add(CDynString(std::string_view(text)));
        reference.push_back(text);
    }
    auto* second = list.head->next;
    auto* beforeLast = list.tail->prev;
    list.t_Sort(second, 1, beforeLast, list.count - 2, false);
    auto folded = [](std::string s) {
        for (char& c : s)
            c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
        return s;
    };
    std::vector<std::string> sorted = Texts(list);
    EXPECT_EQ(sorted.front(), reference.front());
    EXPECT_EQ(sorted.back(), reference.back());
    std::vector<std::string> inner(sorted.begin() + 1, sorted.end() - 1);
    EXPECT_TRUE(std::is_sorted(inner.begin(), inner.end(),
                               [&](const std::string& a, const std::string& b) { return folded(a) < folded(b); }));
    std::vector<std::string> expected(reference.begin() + 1, reference.end() - 1);
    std::sort(expected.begin(), expected.end());
    std::sort(inner.begin(), inner.end());
    EXPECT_EQ(inner, expected) << "the sort only permutes the elements";
}
