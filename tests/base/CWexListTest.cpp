/*
 * Tests of CWexList: index walks from the nearer end, duplicate refusal, insertion and
 * removal at every position, the diagnostics of broken lists and failed copies, and the sort.
 */
#include "base/CWexList.h"

#include <strings.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

// A string list that counts its change notifications.
struct CountingList : CWexList<CDynString> {
    int changes = 0;
    void t_OnChange() override { ++changes; }
};

Strings Texts(const CWexList<CDynString>& list)
{
    Strings texts;
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
};

}  // namespace

TEST_F(WexListTest, IndexWalksFromTheNearerEnd)
{
    CWexList<CDynString> list;
    Fill(list, {"a", "b", "c", "d", "e"});
    auto* n2 = list.head->next->next;
    auto* n3 = n2->next;
    n2->next = nullptr;  // a walk from the head could not reach index 3 now
    ASSERT_NE(list[3], nullptr);
    EXPECT_TRUE(list[3]->Equals("d"));
    n2->next = n3;
    n3->prev = nullptr;  // a walk from the tail could not reach index 2 now
    ASSERT_NE(list[2], nullptr);
    EXPECT_TRUE(list[2]->Equals("c"));
    n3->prev = n2;
    EXPECT_EQ(list[5], nullptr);
    EXPECT_EQ(list[-1], nullptr);
}

TEST_F(WexListTest, UniqueRefusesEqualKeysByTheStoredStringsComparison)
{
    CWexList<CDynString> list;
    ASSERT_NE(list.add("abc"), nullptr);
    EXPECT_EQ(list.add("ABC"), nullptr);
    EXPECT_EQ(list.find("aBc"), 0);
    EXPECT_EQ(list.find("abd"), -1);
    CDynString exact("Key");
    exact.caseSensitive = true;
    list.add(exact);
    EXPECT_NE(list.add("KEY"), nullptr) << "a case-sensitive stored key differs from KEY";
    list.unique = false;
    EXPECT_NE(list.add("abc"), nullptr);
    EXPECT_EQ(Texts(list), (Strings{"abc", "Key", "KEY", "abc"}));
}

TEST_F(WexListTest, InsertAndDeleteTagKeepBothDirectionsLinked)
{
    CountingList list;
    list.t_Insert(nullptr, "b");
    list.t_Insert(nullptr, "a");
    list.t_Insert(list.tail, "d");
    list.t_Insert(list.head->next, "c");
    EXPECT_EQ(Texts(list), (Strings{"a", "b", "c", "d"}));
    EXPECT_EQ(list.tail->prev->prev->element.View(), "b");
    EXPECT_TRUE(list.t_DeleteTag(list.head->next));
    EXPECT_TRUE(list.t_DeleteTag(list.head));
    EXPECT_TRUE(list.t_DeleteTag(list.tail));
    EXPECT_EQ(Texts(list), (Strings{"c"}));
    EXPECT_EQ(list.head, list.tail);
    EXPECT_EQ(list.head->prev, list.head->next);
    EXPECT_EQ(list.changes, 7);
    EXPECT_EQ(list.count, 1);
    EXPECT_FALSE(list.t_DeleteTag(nullptr));
    EXPECT_TRUE(RecordedWexDiagnostics().empty());
}

TEST_F(WexListTest, BrokenListsAreReportedAndLeftEmptyAndUsable)
{
    CWexList<CDynString> list;
    CWexList<CDynString> other;
    Fill(list, {"a", "b"});
    Fill(other, {"x", "y"});
    EXPECT_FALSE(list.t_DeleteTag(other.head));
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.head, nullptr);
    EXPECT_EQ(other.count, 2) << "the other list is not touched";

    Fill(list, {"a", "b", "c"});
    list.count = 5;
    EXPECT_EQ(list.t_DeleteList(), -1);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(RecordedWexDiagnostics(),
              (Strings{"Error in CWexList::t_DeleteTag() WEXI_CATCH!",
                       "Error in CWexList<>::t_DeleteList()!\r\n(insufficient elements deleted)"}));
    EXPECT_NE(list.add("again"), nullptr);

    CountingList counted;
    EXPECT_EQ(counted.t_DeleteList(), 0);
    EXPECT_EQ(counted.changes, 0) << "emptying an empty list is no change";
    Fill(counted, {"a", "b", "c"});
    EXPECT_EQ(counted.t_DeleteList(), 3);
    EXPECT_EQ(counted.tail, nullptr);
}

TEST_F(WexListTest, FailedCopyEmptiesTheListAndGoesToTheHook)
{
    std::vector<std::pair<std::string, std::string>> shown;
    SetWexDiagnosticHook([&](const std::string& text, const std::string& caption) {
        shown.emplace_back(text, caption);
    });
    CWexList<Fragile> list;
    list.add(Fragile(1));
    Fragile::failCopies = true;
    EXPECT_EQ(list.add(Fragile(3)), nullptr);
    Fragile::failCopies = false;
    SetWexDiagnosticHook(nullptr);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, "Error in CWexList::t_Insert() WEXI_CATCH!");
    EXPECT_EQ(shown[0].second, "Message from CWexList::_t_Test()");
    EXPECT_TRUE(RecordedWexDiagnostics().empty());
    EXPECT_EQ(list.count, 0);
    ASSERT_NE(list.add(Fragile(4)), nullptr);
    EXPECT_EQ(list[0]->value, 4);
}

TEST_F(WexListTest, SortOrdersWithoutCaseAndPutsNoneLast)
{
    CWexList<CDynString> list;
    Fill(list, {"b", "A", "c"});
    list.t_Sort(list.head, 0, list.tail, list.count - 1, false);
    EXPECT_EQ(Texts(list), (Strings{"A", "b", "c"}));
    list.t_Sort(list.head, 0, list.tail, list.count - 1, true);
    EXPECT_EQ(Texts(list), (Strings{"c", "b", "A"}));
    list.unique = false;
    list.add(CDynString());
    list.add("");
    list.t_Sort(list.head, 0, list.tail, list.count - 1, false);
    EXPECT_EQ(Texts(list), (Strings{"", "A", "b", "c", "<none>"}));
}

namespace {

// The list's quicksort as described, on a vector of case-insensitive texts: the pivot copied
// from the middle, two cursors exchanging, then both parts. Ties (texts that differ only in
// case) end up in an order only this exact procedure gives.
void ReferenceSort(Strings& v, int lo, int hi)
{
    const std::string pivot = v[static_cast<std::size_t>((lo + hi) / 2)];
    auto before = [](const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) < 0; };
    int li = lo;
    int ri = hi;
    const int n = static_cast<int>(v.size());
    while (li <= ri && li < n && ri >= 0) {
        while (li < n && before(v[li], pivot)) ++li;
        while (ri >= 0 && before(pivot, v[ri])) --ri;
        if (li >= n || ri < 0 || li > ri) break;
        if (li < ri) std::swap(v[li], v[ri]);
        ++li;
        --ri;
    }
    if (ri > lo) ReferenceSort(v, lo, ri);
    if (li < hi) ReferenceSort(v, li, hi);
}

}  // namespace

TEST_F(WexListTest, SortGivesTheOrderOfTheDescribedQuicksortAndKeepsOutsideTheRange)
{
    for (const int size : {2, 3, 300, 5000}) {
        CWexList<CDynString> list;
        list.unique = false;
        Strings reference;
        unsigned state = static_cast<unsigned>(size);
        for (int i = 0; i < size; ++i) {
            std::string text;
            for (int n = 0; n < 1 + i % 4; ++n) {
                state = state * 1103515245u + 12345u;
                text += "aAbBcC_z"[(state >> 16) % 8];
            }
            list.add(CDynString(std::string_view(text)));
            reference.push_back(text);
        }
        list.t_Sort(list.head->next, 1, list.tail->prev, list.count - 2, false);
        if (size > 3)
            ReferenceSort(reference, 1, size - 2);
        EXPECT_EQ(Texts(list), reference) << size;
    }
}
