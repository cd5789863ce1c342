#include <gtest/gtest.h>
#include "sysmem.h"

TEST(SysMem, ReadsTotalAndRejectsNull) {
    uint64_t total = 0;
    EXPECT_EQ(qv_total_bytes(&total), 0);
    EXPECT_GT(total, 0u);
    EXPECT_EQ(qv_total_bytes(nullptr), -1);
}
