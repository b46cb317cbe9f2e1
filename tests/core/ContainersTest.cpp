#include "core/Observer.h"
#include "core/SimpleArray.h"
#include "core/SmartPtr.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Counted {
    static inline int alive = 0;
    Counted() { ++alive; }
    Counted(const Counted&) { ++alive; }
    Counted& operator=(const Counted&) = default;
    virtual ~Counted() { --alive; }
    int value = 7;
};

struct Derived : Counted {
    static inline int destroyed = 0;
    ~Derived() override { ++destroyed; }
};

TEST(SimpleArray, GrowsToTwiceTheRequestAndFillsEverySlot) {
    {
        SimpleArray<SmartPtr<Counted>> array;
        array.Reserve(5);
        EXPECT_EQ(array.Capacity(), 10);
        // One fresh default object per growth, shared by the new slots.
        EXPECT_EQ(Counted::alive, 1);
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(array[i]->value, 7);
            EXPECT_TRUE(array[i].SharesHolderWith(array[0]));
        }
        EXPECT_EQ(array[0].UseCount(), 10);
        array.Reserve(7);
        EXPECT_EQ(array.Capacity(), 10);
        EXPECT_EQ(Counted::alive, 1);

        // Growth keeps what the old slots held and fills only the new ones.
        const SmartPtr<Counted> kept;
        array[0] = kept;
        array.Reserve(11);
        EXPECT_EQ(array.Capacity(), 22);
        EXPECT_TRUE(array[0].SharesHolderWith(kept));
        EXPECT_TRUE(array[1].SharesHolderWith(array[9]));
        EXPECT_FALSE(array[10].SharesHolderWith(array[9]));
        EXPECT_TRUE(array[10].SharesHolderWith(array[21]));
        EXPECT_EQ(Counted::alive, 3);

        const SimpleArray<SmartPtr<Counted>> copy(array);
        EXPECT_EQ(copy.Capacity(), 22);
        EXPECT_TRUE(copy[0].SharesHolderWith(kept));
        EXPECT_EQ(Counted::alive, 3);
    }
    EXPECT_EQ(Counted::alive, 0);
}

TEST(SimpleArray, AppendReservationAndTenSteps) {
    struct Case {
        int appended;
        int capacity;
        int capacityInTens;
    };
    // Append reserves count + 1; the tens callers round the count up to a multiple of ten.
    const Case cases[] = {{1, 2, 20},  {2, 2, 20},   {3, 6, 20},  {5, 6, 20},
                          {7, 14, 20}, {20, 30, 20}, {21, 30, 60}};
    for (const Case& c : cases) {
        SimpleArray<int> plain;
        SimpleArray<int> tens;
        for (int i = 0; i < c.appended; ++i) {
            plain.Append(i);
            tens.ReserveInTens(tens.Count() + 1);
            tens[tens.Count()] = i;
            tens.SetCount(tens.Count() + 1);
        }
        EXPECT_EQ(plain.Capacity(), c.capacity) << c.appended;
        EXPECT_EQ(tens.Capacity(), c.capacityInTens) << c.appended;
        EXPECT_EQ(plain.Count(), c.appended);
        EXPECT_EQ(plain[c.appended - 1], c.appended - 1);
    }
}

TEST(SimpleArray, RemoveAtShiftsDownAndKeepsTheStaleSlot) {
    SimpleArray<int> array;
    for (int v : {10, 20, 30, 40}) {
        array.Append(v);
    }
    array.RemoveAt(1);
    ASSERT_EQ(array.Count(), 3);
    EXPECT_EQ((std::vector<int>(array.begin(), array.end())), (std::vector<int>{10, 30, 40}));
    EXPECT_EQ(array[3], 40); // out of use, not cleared
}

TEST(SmartPtr, NeverEmptyAndReleasesThroughTheDynamicType) {
    {
        SmartPtr<Counted> fromNull(nullptr);
        EXPECT_EQ(fromNull->value, 7);
        SmartPtr<Counted> derived(new Derived());
        SmartPtr<Counted> copy = derived;
        EXPECT_TRUE(copy.SharesHolderWith(derived));
        EXPECT_EQ(derived.UseCount(), 2);
    }
    EXPECT_EQ(Derived::destroyed, 1);
    EXPECT_EQ(Counted::alive, 0);
}

TEST(SmartPtr, AssignmentCountsBeforeReleasing) {
    SmartPtr<Counted> only;
    Counted* object = only.get();
    only = only; // the only reference: must survive
    EXPECT_EQ(only.get(), object);
    EXPECT_EQ(only.UseCount(), 1);

    SmartPtr<Counted> other;
    SmartPtr<Counted> keep = other;
    only = other;
    EXPECT_TRUE(only.SharesHolderWith(keep));
    EXPECT_EQ(keep.UseCount(), 3);
}

class Recorder : public Observer {
public:
    explicit Recorder(std::vector<int>& log, int id) : log_(log), id_(id) {}
    void Update(Observer* subject, void*) override {
        log_.push_back(id_);
        last = subject;
    }
    Observer* last = nullptr;

private:
    std::vector<int>& log_;
    int id_;
};

TEST(Observer, NotifiesInOrderWithDuplicatesAndDetachesOne) {
    std::vector<int> log;
    Observer subject;
    Recorder a(log, 1);
    Recorder b(log, 2);
    subject.Notify(nullptr); // no observers: nothing
    subject.Detach(&a);      // never attached: nothing
    a.Observe(&subject);
    subject.Attach(&b);
    subject.Attach(&a);
    subject.Notify(nullptr);
    EXPECT_EQ(log, (std::vector<int>{1, 2, 1}));
    EXPECT_EQ(a.last, &subject);
    subject.Detach(&a);
    log.clear();
    subject.Notify(nullptr);
    EXPECT_EQ(log, (std::vector<int>{2, 1}));
}

TEST(Observer, AnObserverMayDetachItselfWhileNotified) {
    struct SelfDetaching : Observer {
        int calls = 0;
        void Update(Observer* subject, void*) override {
            ++calls;
            subject->Detach(this);
        }
    };
    Observer subject;
    SelfDetaching first;
    SelfDetaching second;
    subject.Attach(&first);
    subject.Attach(&second);
    subject.Notify(nullptr);
    subject.Notify(nullptr);
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(second.calls, 1);
    EXPECT_EQ(subject.ObserverCount(), 0);
}

} // namespace
