/*
 * CWexList<T>: the program's doubly linked list. It copies elements in by value, keeps a
 * count, reaches an index by walking from the nearer end, can refuse an element whose key is
 * already present (`unique`), and reports internal failures through a replaceable
 * diagnostic hook instead of throwing. After any failure the list is empty and usable.
 *
 * Keys come from CWexListKey<T>: an element type without a specialisation has no key (add
 * never refuses it, find does not exist). Layers above specialise the trait for their own
 * element types.
 */
#pragma once

#include <concepts>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/CDynString.h"

// The caption every list diagnostic carries.
inline constexpr const char* kWexListCaption = "Message from CWexList::_t_Test()";

// Receives a list diagnostic: its text and its caption.
using WexDiagnosticHook = std::function<void(const std::string& text, const std::string& caption)>;

// Points the diagnostics somewhere else (the desktop shell: a message box). An empty hook
// restores the default, which records them.
void SetWexDiagnosticHook(WexDiagnosticHook hook);
// Sends one diagnostic to the hook (or records it).
void ReportWexDiagnostic(const std::string& text);
// The diagnostic texts recorded by the default hook, oldest first.
const std::vector<std::string>& RecordedWexDiagnostics();
void ClearRecordedWexDiagnostics();

// Key of an element type for `unique` and find; unspecialised types have none.
template <typename T>
struct CWexListKey {
    static constexpr bool keyed = false;
};

// A dynamic string's key is its text, compared by the stored string's own flag.
template <>
struct CWexListKey<CDynString> {
    static constexpr bool keyed = true;
    using Key = const char*;
    static Key KeyOf(const CDynString& element) { return element.GetText(); }
    static bool Matches(const CDynString& element, Key key) { return element.Equals(key); }
};

template <typename T>
concept WexKeyed = CWexListKey<T>::keyed;

// One link of a list: the element by value and its neighbours.
template <typename T>
struct CWexNode {
    // The element, owned by the node.
    T element;
    // The node before, null at the head.
    CWexNode* prev = nullptr;
    // The node after, null at the tail.
    CWexNode* next = nullptr;
};

template <typename T>
class CWexList {
public:
    using Node = CWexNode<T>;

    // Number of elements.
    std::int32_t count = 0;
    // First node, null when empty.
    Node* head = nullptr;
    // Last node, null when empty.
    Node* tail = nullptr;
    // Whether add refuses an element whose key is already present.
    bool unique = true;

    CWexList() { t_Reset(); }
    CWexList(const CWexList&) = delete;
    CWexList& operator=(const CWexList&) = delete;
    CWexList(CWexList&& other) noexcept { TakeFrom(other); }
    CWexList& operator=(CWexList&& other) noexcept
    {
        if (this != &other) {
            FreeAll();
            TakeFrom(other);
        }
        return *this;
    }
    virtual ~CWexList() { t_DeleteList(); }

    // Called after each insertion, each removal of one element and each emptying.
    virtual void t_OnChange() {}

    // Sets `unique` and empties the bookkeeping without freeing anything.
    void t_Reset()
    {
        unique = true;
        count = 0;
        head = nullptr;
        tail = nullptr;
    }

    // Inserts a copy of element after `after` (null: at the front); the new node, or null.
    Node* t_Insert(Node* after, const T& element)
    {
        Node* node = nullptr;
        try {
            node = new Node{element};
        } catch (...) {
            FailAndEmpty("Error in CWexList::t_Insert() WEXI_CATCH!");
            return nullptr;
        }
        Link(after, node);
        t_OnChange();
        return node;
    }

    // Appends a copy of element unless `unique` is set and its key is present; node or null.
    Node* add(const T& element)
    {
        if constexpr (WexKeyed<T>) {
            if (unique && count > 0 && find(CWexListKey<T>::KeyOf(element)) >= 0)
                return nullptr;
        }
        return t_Insert(tail, element);
    }

    // 0-based index of the first element with that key, or -1.
    template <typename U = T>
        requires WexKeyed<U>
    std::int32_t find(typename CWexListKey<U>::Key key) const
    {
        std::int32_t index = 0;
        for (const Node* node = head; node != nullptr && index < count; node = node->next, ++index) {
            if (CWexListKey<T>::Matches(node->element, key))
                return index;
        }
        return -1;
    }

    // The element at a 0-based index, reached from the nearer end; null when out of range.
    T* operator[](std::int32_t index)
    {
        Node* node = NodeAt(index);
        return node != nullptr ? &node->element : nullptr;
    }
    const T* operator[](std::int32_t index) const
    {
        return const_cast<CWexList*>(this)->operator[](index);
    }

    // The node at a 0-based index, reached from the nearer end; null when out of range.
    Node* NodeAt(std::int32_t index)
    {
        if (count < 1 || index < 0 || index >= count)
            return nullptr;
        // The middle of an odd count is as near from both ends; it is taken from the head.
        if (index < (count + 1) / 2)
            return Walk(head, index, true);
        return Walk(tail, count - 1 - index, false);
    }

    // Unlinks and frees a node; false for a null node or an empty list. A node whose links
    // do not fit this list (a neighbour not pointing back, or no neighbour where it is not
    // this list's head or tail) empties the list with a diagnostic.
    bool t_DeleteTag(Node* node)
    {
        if (node == nullptr || count <= 0 || head == nullptr)
            return false;
        if (!FitsLinks(node)) {
            FailAndEmpty("Error in CWexList::t_DeleteTag() WEXI_CATCH!");
            return false;
        }
        (node->prev != nullptr ? node->prev->next : head) = node->next;
        (node->next != nullptr ? node->next->prev : tail) = node->prev;
        delete node;
        --count;
        t_OnChange();
        return true;
    }

    // Frees every element; the number freed, 0 when already empty, -1 when it differs from count.
    std::int32_t t_DeleteList()
    {
        if (count <= 0 && head == nullptr && tail == nullptr)
            return 0;
        std::int32_t freed = FreeChain(head);
        std::int32_t result = freed;
        if (freed != count) {
            ReportWexDiagnostic("Error in CWexList<>::t_DeleteList()!\r\n(insufficient elements deleted)");
            result = -1;
        }
        count = 0;
        head = nullptr;
        tail = nullptr;
        t_OnChange();
        return result;
    }

    // Sorts the elements from leftNode (at leftIndex) to rightNode (at rightIndex) inclusive
    // by exchanging contents (quicksort, pivot in the middle); O(n log n) on lists that are
    // sorted, reversed or in directory order.
    void t_Sort(Node* leftNode, std::int32_t leftIndex, Node* rightNode, std::int32_t rightIndex,
                bool descending)
        requires std::same_as<T, CDynString>;

private:
    // Walks `steps` links from `from`, forward or backward.
    static Node* Walk(Node* from, std::int32_t steps, bool forward)
    {
        Node* node = from;
        for (std::int32_t i = 0; i < steps && node != nullptr; ++i)
            node = forward ? node->next : node->prev;
        return node;
    }

    // Puts node after `after` (null: in front of the head).
    void Link(Node* after, Node* node)
    {
        node->prev = after;
        node->next = after != nullptr ? after->next : head;
        (node->next != nullptr ? node->next->prev : tail) = node;
        (after != nullptr ? after->next : head) = node;
        ++count;
    }

    // Whether a node's neighbours point back at it, or it is the head/tail where it has none.
    bool FitsLinks(const Node* node) const
    {
        bool prevFits = node->prev != nullptr ? node->prev->next == node : head == node;
        bool nextFits = node->next != nullptr ? node->next->prev == node : tail == node;
        return prevFits && nextFits;
    }

    // Frees the nodes from `first` to the end of the chain; the number freed.
    static std::int32_t FreeChain(Node* first)
    {
        std::int32_t freed = 0;
        for (Node* node = first; node != nullptr;) {
            Node* next = node->next;
            delete node;
            node = next;
            ++freed;
        }
        return freed;
    }

    // Frees everything reachable and empties the bookkeeping, keeping `unique`.
    void FreeAll()
    {
        FreeChain(head);
        count = 0;
        head = nullptr;
        tail = nullptr;
    }

    // Reports a failure, then leaves the list empty and usable.
    void FailAndEmpty(const char* text)
    {
        ReportWexDiagnostic(text);
        FreeAll();
        t_OnChange();
    }

    void TakeFrom(CWexList& other)
    {
        count = std::exchange(other.count, 0);
        head = std::exchange(other.head, nullptr);
        tail = std::exchange(other.tail, nullptr);
        unique = other.unique;
    }
};

// Whether a sorts before b; a without text never does, and every text sorts before none.
inline bool WexSortsBefore(const CDynString& a, const CDynString& b, bool caseSensitive)
{
    if (a.IsNone())
        return false;
    if (b.IsNone())
        return true;
    return CompareTexts(a.View(), b.View(), caseSensitive) < 0;
}

// The pivot's flag decides the left cursor's test, the element's flag the right cursor's.
// The pivot is reached from leftNode, so one pass costs the length of its range, never a walk
// over the whole list; and the smaller part is sorted by recursion while the larger one is
// sorted by the next pass, so the stack stays logarithmic. The parts are disjoint, so the
// order in which they are sorted does not change the result.
template <typename T>
void CWexList<T>::t_Sort(Node* leftNode, std::int32_t leftIndex, Node* rightNode,
                         std::int32_t rightIndex, bool descending)
    requires std::same_as<T, CDynString>
{
    while (count > 0 && leftNode != nullptr && rightNode != nullptr) {
        const Node* middle = Walk(leftNode, (leftIndex + rightIndex) / 2 - leftIndex, true);
        if (middle == nullptr)
            return;
        const CDynString pivot = middle->element;
        auto leftMoves = [&](const CDynString& e) {
            return descending ? WexSortsBefore(pivot, e, pivot.caseSensitive)
                              : WexSortsBefore(e, pivot, pivot.caseSensitive);
        };
        auto rightMoves = [&](const CDynString& e) {
            return descending ? WexSortsBefore(e, pivot, e.caseSensitive)
                              : WexSortsBefore(pivot, e, e.caseSensitive);
        };
        Node* left = leftNode;
        Node* right = rightNode;
        std::int32_t li = leftIndex;
        std::int32_t ri = rightIndex;
        while (li <= ri && left != nullptr && right != nullptr) {
            for (; left != nullptr && leftMoves(left->element); left = left->next)
                ++li;
            for (; right != nullptr && rightMoves(right->element); right = right->prev)
                --ri;
            if (left == nullptr || right == nullptr || li > ri)
                break;
            if (li < ri)
                std::swap(left->element, right->element);
            left = left->next;
            ++li;
            right = right->prev;
            --ri;
        }
        const bool sortLeft = ri > leftIndex;
        const bool sortRight = li < rightIndex;
        // Go on with the larger part (or the only one), recurse into the other.
        if (sortRight && (!sortLeft || rightIndex - li > ri - leftIndex)) {
            if (sortLeft)
                t_Sort(leftNode, leftIndex, right, ri, descending);
            leftNode = left;
            leftIndex = li;
        } else if (sortLeft) {
            if (sortRight)
                t_Sort(left, li, rightNode, rightIndex, descending);
            rightNode = right;
            rightIndex = ri;
        } else {
            return;
        }
    }
}
