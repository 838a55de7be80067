#include <gtest/gtest.h>
#include "base/Module.h"
#include "base/Unique.h"

TEST(Module, ObjectCountFollowsAddAndRelease) {
    LONG before = ModuleObjectCount();
    ModuleAddObject();
    ModuleAddObject();
    EXPECT_EQ(before + 2, ModuleObjectCount());
    ModuleReleaseObject();
    ModuleReleaseObject();
    EXPECT_EQ(before, ModuleObjectCount());
}

TEST(Module, WineReportsAnNtSystemAfterXp) {
    EXPECT_TRUE(IsVistaOrLater());
}

TEST(Unique, HandleIsClosedOnReset) {
    mx::unique_handle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    HANDLE raw = event.get();
    event.reset();
    EXPECT_FALSE(event);
    DWORD flags = 0;
    EXPECT_FALSE(::GetHandleInformation(raw, &flags));
}
