// The bar's thread is an OLE apartment: so is the thread the tests run on.
#pragma once
#include <gtest/gtest.h>

class COleEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
};
