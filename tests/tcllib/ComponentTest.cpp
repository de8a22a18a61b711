// The component framework, the component base and the pure helpers of the component core; no
// Tcl is needed here.

#include "BlankText.h"
#include "ChannelOptionText.h"
#include "EolConversion.h"
#include "tslc/Tslc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tslc;

namespace {

// Records the notifications it receives.
class TProbe : public TComponent {
public:
    using TComponent::TComponent;
    ~TProbe() override { Destroying(); }
    struct TEntry {
        TComponent* Component;
        TOperation Operation;
    };
    std::vector<TEntry> Received;
    int LoadedCalls = 0;
    bool WasReadingInLoaded = true;
    std::vector<std::string>* LoadOrder = nullptr;
    bool ThrowInLoaded = false;

    void Loaded() override {
        ++LoadedCalls;
        WasReadingInLoaded = ComponentState().Contains(csReading);
        if (LoadOrder)
            LoadOrder->push_back(Name());
        TComponent::Loaded();
        if (ThrowInLoaded)
            throw Exception("load failed: " + Name());
    }

protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        Received.push_back({component, operation});
    }
};

bool Heard(const TProbe& probe, const TComponent* component, TOperation operation) {
    for (const auto& entry : probe.Received)
        if (entry.Component == component && entry.Operation == operation)
            return true;
    return false;
}

// Counts how many components are alive, to see that owners free what they own.
int Alive = 0;
class TCounted : public TComponent {
public:
    explicit TCounted(TComponent* owner)
        : TComponent(owner) {
        ++Alive;
    }
    ~TCounted() override {
        Destroying();
        --Alive;
    }
};

class TGuarded : public TTclComponent {
public:
    using TTclComponent::TTclComponent;
    ~TGuarded() override { BeginDestroy(); }
};

} // namespace

TEST(Set, BuildsFromListAndConvertsToAndFromBits) {
    const TTclOptions options{toConvertEOL, toTslcVersion};
    EXPECT_TRUE(options.Contains(toConvertEOL));
    EXPECT_TRUE(options.Contains(toTslcVersion));
    EXPECT_FALSE(options.Contains(toPerformInit));
    EXPECT_EQ(options.Bits(), 6u);
    EXPECT_EQ(TTclOptions::FromBits(6), options);
    EXPECT_EQ(DefaultTclOptions.Bits(), 38u);
    EXPECT_EQ(TTclChannelOptions{coPresetFullWrite}.Bits(), 2u);
}

TEST(Set, IncludeExcludeAndSetAlgebra) {
    TTclOptions options;
    EXPECT_TRUE(options.Empty());
    options.Include(toPerformInit).Include(toBindExistingNS).Exclude(toPerformInit);
    EXPECT_EQ(options, TTclOptions{toBindExistingNS});
    const TTclOptions a{toPerformInit, toConvertEOL};
    const TTclOptions b{toConvertEOL, toTslcVersion};
    EXPECT_EQ(a + b, (TTclOptions{toPerformInit, toConvertEOL, toTslcVersion}));
    EXPECT_EQ(a - b, TTclOptions{toPerformInit});
    EXPECT_EQ(a * b, TTclOptions{toConvertEOL});
}

TEST(Component, OwnerFreesWhatItOwnsLastFirst) {
    Alive = 0;
    auto* owner = new TComponent;
    auto* first = new TCounted(owner);
    new TCounted(owner);
    EXPECT_EQ(Alive, 2);
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(first->Owner(), owner);
    delete owner;
    EXPECT_EQ(Alive, 0);
}

TEST(Component, DeletingAnOwnedComponentTakesItOutOfItsOwner) {
    TComponent owner;
    auto* child = new TComponent(&owner);
    delete child;
    EXPECT_EQ(owner.ComponentCount(), 0);
}

TEST(Component, SiblingsHearOfInsertionAndRemoval) {
    TComponent owner;
    auto* probe = new TProbe(&owner);
    auto* other = new TComponent(&owner);
    EXPECT_TRUE(Heard(*probe, other, opInsert));
    delete other;
    EXPECT_TRUE(Heard(*probe, other, opRemove));
}

TEST(Component, FreeNotificationWorksBothWaysAndCanBeWithdrawn) {
    auto* watcher = new TProbe;
    auto* watched = new TProbe;
    watched->FreeNotification(watcher);
    delete watched;
    EXPECT_TRUE(Heard(*watcher, watched, opRemove));

    auto* other = new TProbe;
    other->FreeNotification(watcher);
    delete watcher; // other hears of it and forgets the link
    EXPECT_EQ(other->Received.size(), 1u);
    auto* third = new TProbe;
    third->FreeNotification(other);
    third->RemoveFreeNotification(other);
    delete third;
    EXPECT_EQ(other->Received.size(), 1u);
    delete other;
}

TEST(Component, DestroyingMarksOwnedComponentsBeforeAnyIsFreed) {
    auto* owner = new TComponent;
    auto* watcher = new TProbe(owner);
    bool ownedWasDestroying = false;
    struct TChecker : TComponent {
        using TComponent::TComponent;
        bool* Seen = nullptr;
        TComponent* Sibling = nullptr;
        ~TChecker() override {
            *Seen = Sibling->IsDestroying();
            Destroying();
        }
    };
    auto* checker = new TChecker(owner);
    checker->Seen = &ownedWasDestroying;
    checker->Sibling = watcher;
    delete owner;
    EXPECT_TRUE(ownedWasDestroying);
}

TEST(Component, FindsComponentsByNameIgnoringAsciiCase) {
    TComponent owner;
    auto* channel = new TComponent(&owner);
    channel->SetName("StdOut");
    EXPECT_EQ(owner.FindComponent("stdout"), channel);
    EXPECT_EQ(owner.FindComponent("stderr"), nullptr);
    EXPECT_EQ(owner.FindComponent(""), nullptr);
    EXPECT_THROW(owner.Components(1), Exception);
}

TEST(Component, InsertComponentMovesOwnership) {
    TComponent first;
    TComponent second;
    auto* child = new TComponent(&first);
    second.InsertComponent(child);
    EXPECT_EQ(first.ComponentCount(), 0);
    EXPECT_EQ(child->Owner(), &second);
}

TEST(Loader, SetsReadingWhileLoadingAndRunsLoadedRootFirst) {
    std::vector<std::string> order;
    TProbe root;
    root.SetName("root");
    root.LoadOrder = &order;
    auto* a = new TProbe(&root);
    a->SetName("a");
    a->LoadOrder = &order;
    auto* b = new TProbe(&root);
    b->SetName("b");
    b->LoadOrder = &order;
    {
        TComponentLoader loader(root);
        EXPECT_TRUE(a->ComponentState().Contains(csReading));
        EXPECT_TRUE(a->ComponentState().Contains(csLoading));
        loader.Finish();
    }
    EXPECT_EQ(order, (std::vector<std::string>{"root", "a", "b"}));
    EXPECT_FALSE(a->WasReadingInLoaded);
    EXPECT_FALSE(b->ComponentState().Contains(csLoading));
}

TEST(Loader, RunsEveryLoadedAndRethrowsTheFirstFailure) {
    TComponent root;
    auto* a = new TProbe(&root);
    a->SetName("a");
    a->ThrowInLoaded = true;
    auto* b = new TProbe(&root);
    TComponentLoader loader(root);
    try {
        loader.Finish();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "load failed: a");
    }
    EXPECT_EQ(b->LoadedCalls, 1);
    EXPECT_FALSE(a->ComponentState().Contains(csLoading));
}

TEST(Loader, DroppedWithoutFinishClearsTheFlags) {
    TComponent root;
    auto* a = new TProbe(&root);
    { TComponentLoader loader(root); }
    EXPECT_EQ(a->LoadedCalls, 0);
    EXPECT_FALSE(a->ComponentState().Contains(csReading));
    EXPECT_FALSE(a->ComponentState().Contains(csLoading));
}

TEST(DestroyGuard, TellsNestedCallersThatAHandlerFreedTheComponent) {
    auto* component = new TGuarded;
    TTclComponent::TDestroyGuard outer(*component);
    {
        TTclComponent::TDestroyGuard inner(*component);
        delete component;
        EXPECT_TRUE(inner.Destroyed());
    }
    EXPECT_TRUE(outer.Destroyed());
}

TEST(DestroyGuard, StaysClearWhenTheComponentSurvives) {
    TGuarded component;
    {
        TTclComponent::TDestroyGuard outer(component);
        { TTclComponent::TDestroyGuard inner(component); }
        EXPECT_FALSE(outer.Destroyed());
    }
    TTclComponent::TDestroyGuard later(component);
    EXPECT_FALSE(later.Destroyed());
}

TEST(EolConversion, DropsOnlyTheCrOfCrLfPairs) {
    EXPECT_EQ(DropCrBeforeLf("a\r\nb\r\n"), "a\nb\n");
    EXPECT_EQ(DropCrBeforeLf("a\rb\r"), "a\rb\r");
    EXPECT_EQ(DropCrBeforeLf("\r\r\n\n"), "\r\n\n");
    EXPECT_EQ(DropCrBeforeLf(""), "");
}

TEST(BlankText, TrimsControlCharactersAndSplitsOnlyOnBlanks) {
    EXPECT_EQ(TrimBlanks(" \t ns1 \r\n"), "ns1");
    EXPECT_EQ(TrimBlanks("   "), "");
    EXPECT_EQ(SplitOnBlanks("a*  b*"), (std::vector<std::string>{"a*", "b*"}));
    EXPECT_EQ(SplitOnBlanks(" x\ty "), (std::vector<std::string>{"x\ty"}));
    EXPECT_TRUE(SplitOnBlanks("   ").empty());
}

TEST(ChannelOptionText, EndOfFileCharactersAndNumbers) {
    EXPECT_EQ(EofCharElement(0), "");
    EXPECT_EQ(EofCharElement(-1), "");
    EXPECT_EQ(EofCharElement(26), "\x1a");
    EXPECT_EQ(EofCharFromElement("", 5), 0);
    EXPECT_EQ(EofCharFromElement("", -1), -1);
    EXPECT_EQ(EofCharFromElement("\x1a", 0), 26);
    EXPECT_EQ(WholeNumber("4096"), 4096);
    EXPECT_EQ(WholeNumber("-3"), -3);
    EXPECT_FALSE(WholeNumber("12a").has_value());
    EXPECT_FALSE(WholeNumber("").has_value());
    EXPECT_FALSE(IsValidBufferSize(0));
    EXPECT_TRUE(IsValidBufferSize(10));
    EXPECT_TRUE(IsValidBufferSize(1048576));
    EXPECT_FALSE(IsValidBufferSize(1048577));
}
