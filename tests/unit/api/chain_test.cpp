#include <gtest/gtest.h>

#include "api/CTRing.h"

namespace {

struct Element {
    int handle = 0;
    Element* prev = nullptr;
    Element* next = nullptr;
};

class Ring final : public tavrin::CTRing<Element> {
public:
    ~Ring() = default;
    Element* Add(int handle) {
        auto* element = new Element;
        element->handle = handle;
        Insert(element);
        return element;
    }
    // Handles in ring order starting at the head, found by walking the links.
    std::vector<int> Order() {
        std::vector<int> order;
        Element* head = Head();
        for (Element* e = head; e != nullptr; e = e->next) {
            order.push_back(e->handle);
            if (e->next == head) {
                break;
            }
        }
        return order;
    }
};

}  // namespace

TEST(HandleRing, OneElementLinksToItself) {
    Ring ring;
    Element* only = ring.Add(7);
    EXPECT_EQ(only->next, only);
    EXPECT_EQ(only->prev, only);
    EXPECT_EQ(ring.Count(), 1);
}

TEST(HandleRing, InsertGoesInFrontOfTheHead) {
    Ring ring;
    ring.Add(1);
    ring.Add(2);
    ring.Add(3);
    EXPECT_EQ(ring.Order(), (std::vector<int>{3, 2, 1}));
}

TEST(HandleRing, FindMovesTheHeadOntoTheElementFound) {
    Ring ring;
    ring.Add(1);
    ring.Add(2);
    ring.Add(3);
    ASSERT_NE(ring.Find(2), nullptr);
    EXPECT_EQ(ring.Order(), (std::vector<int>{2, 1, 3}));
}

TEST(HandleRing, MissLeavesHeadOnThePredecessorAndKeepsTheOrder) {
    Ring ring;
    ring.Add(1);
    ring.Add(2);
    ring.Add(3);  // order 3, 2, 1: the head's predecessor is 1
    EXPECT_EQ(ring.Find(99), nullptr);
    EXPECT_EQ(ring.Order(), (std::vector<int>{1, 3, 2}));
    EXPECT_EQ(ring.Count(), 3);
}

TEST(HandleRing, RemoveMiddleLeavesTheOthersFindable) {
    Ring ring;
    ring.Add(1);
    ring.Add(2);
    ring.Add(3);
    ASSERT_NE(ring.Find(1), nullptr);
    EXPECT_EQ(ring.RemoveCurrent(), 1);
    EXPECT_EQ(ring.Count(), 2);
    EXPECT_NE(ring.Find(2), nullptr);
    EXPECT_NE(ring.Find(3), nullptr);
    EXPECT_EQ(ring.Find(1), nullptr);
}

TEST(HandleRing, RemovingTheLastEmptiesAndANewInsertStartsAFreshRing) {
    Ring ring;
    ring.Add(1);
    EXPECT_EQ(ring.RemoveCurrent(), 1);
    EXPECT_EQ(ring.Count(), 0);
    EXPECT_EQ(ring.Find(1), nullptr);
    EXPECT_EQ(ring.RemoveCurrent(), 0);
    Element* fresh = ring.Add(5);
    EXPECT_EQ(fresh->next, fresh);
    EXPECT_EQ(ring.Count(), 1);
}
