#include "platform/SystemTime.h"

#include <gtest/gtest.h>

using velmar::platform::SystemTime;

TEST(SystemTime, BytesRoundTripKeepLayout)
{
    const SystemTime t{2028, 2, 2, 29, 23, 59, 58, 999};
    const auto bytes = t.toBytes();
    EXPECT_EQ(bytes[0], 0xEC); // 2028 = 0x07EC, little endian
    EXPECT_EQ(bytes[1], 0x07);
    EXPECT_EQ(bytes[6], 29);
    EXPECT_EQ(bytes[14], 0xE7);
    EXPECT_EQ(bytes[15], 0x03);
    const auto back = SystemTime::fromBytes(bytes.data(), bytes.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, t);
    EXPECT_FALSE(SystemTime::fromBytes(bytes.data(), 15));
}

TEST(SystemTime, ChronoConversionsFollowTheCalendar)
{
    struct Row {
        SystemTime in;
        bool valid;
    };
    const Row rows[] = {
        {{2028, 2, 2, 29, 12, 0, 0, 0}, true},  // leap day
        {{2027, 2, 0, 29, 12, 0, 0, 0}, false}, // no 29 February in 2027
        {{2000, 2, 0, 29, 0, 0, 0, 0}, true},   // century leap year
        {{1900, 2, 0, 29, 0, 0, 0, 0}, false},  {{2026, 12, 0, 31, 23, 59, 59, 999}, true},
        {{2026, 13, 0, 1, 0, 0, 0, 0}, false},  {{2026, 1, 0, 1, 24, 0, 0, 0}, false},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.in.isValid(), r.valid) << r.in.wYear << "-" << r.in.wMonth << "-" << r.in.wDay;
        if (r.valid) {
            const SystemTime back = SystemTime::fromTimePoint(r.in.toTimePoint());
            EXPECT_EQ(back.wYear, r.in.wYear);
            EXPECT_EQ(back.wMonth, r.in.wMonth);
            EXPECT_EQ(back.wDay, r.in.wDay);
            EXPECT_EQ(back.wMilliseconds, r.in.wMilliseconds);
        }
    }
    // 29 February 2028 is a Tuesday.
    EXPECT_EQ(SystemTime::fromTimePoint(SystemTime{2028, 2, 0, 29, 0, 0, 0, 0}.toTimePoint()).wDayOfWeek, 2);
}
