#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/utsname.h>
#endif

#include "util/SysInfo.h"

using namespace gw;

TEST(SysInfo, WindowsNameFollowsTheVersionTable) {
    const struct { long platform, major, minor; const char* name; } cases[] = {
        {0, 3, 10, "Win32s"},     {1, 4, 0, "Windows 95"},  {1, 4, 90, "Windows ME"},
        {1, 4, 10, "Windows 98"}, {2, 4, 0, "Windows NT"},  {2, 5, 0, "Windows 2000"},
        {2, 5, 1, "Windows XP"},  {2, 5, 2, "Windows NT"},  {2, 10, 0, "Windows NT"},
        {2, 6, 1, "Windows NT"},  {3, 5, 1, ""},            {-1, 0, 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WindowsName(c.platform, c.major, c.minor), c.name) << c.platform << " " << c.major << "." << c.minor;
}

TEST(SysInfo, AboutLineAndTheRunningSystem) {
    EXPECT_EQ(AboutOsLine({2, "Windows XP", "5.1", "Service Pack 3", 2600}),
              "Windows version: Windows XP 5.1 build 2600 (Service Pack 3)");
    EXPECT_EQ(AboutOsLine({2, "Windows NT", "6.2", "", 9200}), "Windows version: Windows NT 6.2 build 9200 ()");

    const OsDescription os = GetOsDescription();
#ifdef _WIN32
    EXPECT_EQ(os.platformId, 2);
    EXPECT_EQ(os.name, "Windows NT");
#else
    struct utsname u {};
    ASSERT_EQ(::uname(&u), 0);
    EXPECT_EQ(os.platformId, -1);
    EXPECT_EQ(os.name, u.sysname);
    EXPECT_EQ(os.version, u.release);
    EXPECT_EQ(os.servicePack, u.version);
#endif
    EXPECT_GE(os.build, 0);
    EXPECT_LE(os.build, 65535);
}
