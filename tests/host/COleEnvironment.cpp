#include "COleEnvironment.h"
#include <windows.h>
#include <ole2.h>

void COleEnvironment::SetUp() { ASSERT_EQ(S_OK, OleInitialize(nullptr)); }

void COleEnvironment::TearDown() { OleUninitialize(); }

namespace {
::testing::Environment* const g_ole = ::testing::AddGlobalTestEnvironment(new COleEnvironment);
}
