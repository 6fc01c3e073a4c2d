// LoadString, DispatchOneMessage and Sleep.
#include <string>
#include <vector>

#include "tests/contract/contract_fixture.h"

namespace {

using ContractWindows = ContractTest;

TEST_F(ContractWindows, LoadsATextOfAnyLengthWhole) {
    struct Row {
        const char* name;
        unsigned id;
        std::string text;
    };
    const Row rows[] = {
        {"short", CONTRACT_STRING_SHORT, CONTRACT_TEXT_SHORT},
        {"255 characters", CONTRACT_STRING_255, CONTRACT_TEXT_255},
        {"256 characters", CONTRACT_STRING_256, CONTRACT_TEXT_256},
        {"600 characters", CONTRACT_STRING_600, CONTRACT_TEXT_600},
        {"missing id", CONTRACT_STRING_MISSING, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Win().LoadString(row.id), row.text);
    }
}

class ContractMessages : public ContractTest {
  protected:
    void SetUp() override {
        ContractTest::SetUp();
        // Whatever the system queued before the test is not ours.
        int drained = 0;
        while (Win().DispatchOneMessage() && drained < 1000) {
            ++drained;
        }
        ASSERT_LT(drained, 1000);
    }

    void PostNamed(const std::string& name) {
        Env().Post([this, name] { ran_.push_back(name); });
    }

    std::vector<std::string> ran_;
};

TEST_F(ContractMessages, EmptyQueueDispatchesNothing) {
    EXPECT_FALSE(Win().DispatchOneMessage());
    EXPECT_FALSE(Win().DispatchOneMessage());
}

TEST_F(ContractMessages, DispatchesExactlyOnePostedMessageInOrder) {
    PostNamed("first");
    PostNamed("second");

    EXPECT_TRUE(Win().DispatchOneMessage());
    EXPECT_EQ(ran_, std::vector<std::string>({"first"}));
    EXPECT_TRUE(Win().DispatchOneMessage());
    EXPECT_EQ(ran_, std::vector<std::string>({"first", "second"}));
    EXPECT_FALSE(Win().DispatchOneMessage());
}

TEST_F(ContractMessages, SleepLeavesMessagesQueued) {
    PostNamed("waiting");
    Win().Sleep(0);
    Win().Sleep(1);
    EXPECT_TRUE(ran_.empty());
    EXPECT_TRUE(Win().DispatchOneMessage());
    EXPECT_EQ(ran_, std::vector<std::string>({"waiting"}));
}

}  // namespace
