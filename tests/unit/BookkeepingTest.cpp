// The installation's bookkeeping: counts, stale recorded paths, the install and uninstall
// plans and which values of the record are written in which mode.
#include <gtest/gtest.h>

#include "engine/Bookkeeping.h"

namespace {

void Set(GString& s, const WChar* text)
{
    s.Reset(true);
    s.AppendW(text);
}

} // namespace

TEST(RecordPlan, CountsNeverWrapAround)
{
    struct Case {
        uint32_t count, up, down;
    } cases[] = {
        {0, 1, 0},
        {1, 2, 0},
        {2, 3, 1},
        {0x7FFFFFFFu, 0x80000000u, 0x7FFFFFFEu},
        {0xFFFFFFFEu, 0xFFFFFFFFu, 0xFFFFFFFDu},
        {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFEu},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.up, CountUp(c.count)) << c.count;
        EXPECT_EQ(c.down, CountDown(c.count)) << c.count;
    }
}

TEST(RecordPlan, RecordedOptionsWithinTheirRange)
{
    struct Case {
        uint32_t value;
        int variant, flag;
    } cases[] = {
        {0, 1, 1}, {1, 1, 1}, {2, 1, 0}, {3, 0, 0}, {0x80000000u, 0, 0}, {0xFFFFFFFFu, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.variant, IsRecordedVariant(c.value)) << c.value;
        EXPECT_EQ(c.flag, IsRecordedFlag(c.value)) << c.value;
    }
}

TEST(InstallPlan, StaleRecordedPaths)
{
    struct Case {
        const WChar* recorded;
        const WChar* composed;
        int stale;
    } cases[] = {
        {WSTR(""), WSTR("C:\\a.lnk"), 0},            // nothing recorded
        {WSTR(""), WSTR(""), 0},
        {WSTR("C:\\a.lnk"), WSTR("C:\\a.lnk"), 0},    // the same place
        {WSTR("C:\\a.lnk"), WSTR("C:\\b.lnk"), 1},
        {WSTR("C:\\a.lnk"), WSTR("c:\\a.lnk"), 1},    // exact comparison
        {WSTR("C:\\a.lnk"), WSTR("C:\\a.lnk "), 1},   // length first
        {WSTR("C:\\a.lnk"), WSTR("C:\\a.ln"), 1},
        {WSTR("C:\\a.lnk"), WSTR(""), 1},             // this run has no path for it
    };
    for (const Case& c : cases) {
        GString recorded, composed;
        Set(recorded, c.recorded);
        Set(composed, c.composed);
        EXPECT_EQ(c.stale, IsStalePath(recorded, composed));
    }
    // A recorded path held as UTF-8 compares by its characters.
    GString narrow, wide;
    narrow.AssignUtf8("C:\\\xC5\xBC.lnk");
    Set(wide, WSTR("C:\\\x017C.lnk"));
    EXPECT_EQ(0, IsStalePath(narrow, wide));
}

TEST(InstallPlan, GuideCountAcrossAReinstallation)
{
    struct Case {
        uint32_t count;
        int recorded;
        uint32_t before, after;   // after = counted again once the document is made
    } cases[] = {
        {0, 0, 0, 1},   // first installation
        {0, 1, 0, 1},   // recorded, count damaged to 0: counted once
        {1, 1, 0, 1},   // reinstallation: the same count
        {2, 1, 1, 2},
        {2, 0, 2, 3},   // another product's document: one more user
        {0xFFFFFFFFu, 0, 0xFFFFFFFFu, 0xFFFFFFFFu},
    };
    for (const Case& c : cases) {
        uint32_t before = GuideCountBefore(c.count, c.recorded);
        EXPECT_EQ(c.before, before) << c.count << " " << c.recorded;
        EXPECT_EQ(c.after, CountUp(before)) << c.count << " " << c.recorded;
    }
}

TEST(InstallPlan, WhatAnInstallationMakes)
{
    struct Case {
        const char* what;
        InstallState state;
        InstallPlan plan;
    } cases[] = {
        {"first installation",
         {0, 0, 1, 0, 0, 0, 0, 0, 1, 0},
         {0, 1, 1, 1, 1, 1, kReadMeLinkComposed, 1}},
        {"first installation without desktop links",
         {0, 0, 0, 0, 0, 0, 0, 0, 1, 0},
         {0, 1, 0, 1, 0, 1, kReadMeLinkNone, 1}},
        {"over the older version",
         {kOlderVersion, 0, 1, 0, 0, 0, 0, 0, 1, 0},
         {1, 1, 1, 1, 1, 1, kReadMeLinkComposed, 1}},
        {"reinstallation: everything recorded",
         {kThisVersion, kThisVersion, 1, 1, 0, 1, 1, 1, 1, 1},
         {0, 0, 1, 0, 0, 0, kReadMeLinkNone, 0}},
        {"reinstallation adding desktop links: file C's link points to the recorded file",
         {kThisVersion, kThisVersion, 1, 1, 0, 1, 0, 1, 1, 1},
         {0, 0, 1, 0, 0, 0, kReadMeLinkRecorded, 0}},
        {"guide's desktop link moved: remade although not wanted",
         {kThisVersion, kThisVersion, 0, 1, 1, 1, 1, 1, 1, 1},
         {0, 0, 1, 0, 0, 0, kReadMeLinkNone, 0}},
        {"a record of another product: chart older",
         {0, kThisVersion - 1, 1, 1, 0, 1, 0, 0, 1, 1},
         {0, 1, 1, 1, 1, 0, kReadMeLinkComposed, 0}},
        {"a newer chart is kept",
         {0, kThisVersion + 1, 1, 0, 0, 0, 0, 0, 1, 0},
         {0, 1, 1, 0, 0, 1, kReadMeLinkComposed, 1}},
        {"no path for file C: no desktop link",
         {0, 0, 1, 0, 0, 0, 0, 0, 0, 0},
         {0, 1, 1, 1, 1, 1, kReadMeLinkNone, 1}},
        {"an unknown installed version is not counted again",
         {kOlderVersion + 1, 0, 1, 0, 0, 0, 0, 0, 1, 0},
         {0, 0, 1, 1, 1, 1, kReadMeLinkComposed, 1}},
    };
    for (const Case& c : cases) {
        InstallPlan plan = PlanInstall(c.state);
        EXPECT_EQ(c.plan.removeOlderVersionFiles, plan.removeOlderVersionFiles) << c.what;
        EXPECT_EQ(c.plan.countInstallation, plan.countInstallation) << c.what;
        EXPECT_EQ(c.plan.guideDesktopLink, plan.guideDesktopLink) << c.what;
        EXPECT_EQ(c.plan.writeChart, plan.writeChart) << c.what;
        EXPECT_EQ(c.plan.chartDesktopLink, plan.chartDesktopLink) << c.what;
        EXPECT_EQ(c.plan.writeReadMe, plan.writeReadMe) << c.what;
        EXPECT_EQ(c.plan.readMeDesktopLink, plan.readMeDesktopLink) << c.what;
        EXPECT_EQ(c.plan.writeTextFiles, plan.writeTextFiles) << c.what;
    }
}

TEST(RecordPlan, ValuesWrittenInEachMode)
{
    struct Case {
        const char* what;
        RecordWriteState state;
        RecordWritePlan plan;
    } cases[] = {
        {"first installation with desktop links",
         {0, 0, 0, 1, 0, 0, 1, 1},
         {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {"first installation without desktop links",
         {0, 0, 0, 0, 0, 0, 0, 0},
         {1, 1, 1, 0, 1, 1, 0, 1, 0, 1, 1}},
        {"reinstallation: recorded groups are not rewritten",
         {0, 1, 1, 0, 1, kThisVersion, 0, 0},
         {0, 1, 0, 0, 0, 0, 0, 1, 0, 1, 1}},
        {"reinstallation: a link made this run is recorded",
         {0, 1, 1, 1, 1, kThisVersion, 1, 1},
         {0, 1, 0, 1, 0, 0, 0, 1, 1, 1, 1}},
        {"an older chart is rewritten",
         {0, 1, 1, 0, 1, kThisVersion - 1, 1, 0},
         {0, 1, 0, 0, 0, 1, 1, 1, 0, 1, 1}},
        {"settings only: the options and nothing else",
         {1, 0, 0, 1, 0, 0, 1, 1},
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
    };
    for (const Case& c : cases) {
        RecordWritePlan plan = PlanRecordWrites(c.state);
        EXPECT_EQ(c.plan.previousLayout, plan.previousLayout) << c.what;
        EXPECT_EQ(c.plan.installCount, plan.installCount) << c.what;
        EXPECT_EQ(c.plan.readMe, plan.readMe) << c.what;
        EXPECT_EQ(c.plan.readMeDesktopLink, plan.readMeDesktopLink) << c.what;
        EXPECT_EQ(c.plan.textFiles, plan.textFiles) << c.what;
        EXPECT_EQ(c.plan.chart, plan.chart) << c.what;
        EXPECT_EQ(c.plan.chartDesktopLink, plan.chartDesktopLink) << c.what;
        EXPECT_EQ(c.plan.guide, plan.guide) << c.what;
        EXPECT_EQ(c.plan.guideDesktopLink, plan.guideDesktopLink) << c.what;
        EXPECT_EQ(c.plan.product, plan.product) << c.what;
        EXPECT_EQ(c.plan.options, plan.options) << c.what;
    }
}

TEST(UninstallPlan, WhatGoesWithTheCounts)
{
    struct Case {
        uint32_t installCount, sharedCount;
        UninstallPlan plan;
    } cases[] = {
        {1, 1, {0, 0, 1, 1}},   // the only installation
        {2, 1, {1, 0, 1, 0}},   // another installation shares the record
        {1, 2, {0, 1, 0, 1}},   // another one uses document A
        {2, 2, {1, 1, 0, 0}},
        {0, 0, {0, 0, 1, 1}},   // a damaged record: counts stay at 0, everything goes
        {0, 3, {0, 2, 0, 1}},
        {0xFFFFFFFFu, 1, {0xFFFFFFFEu, 0, 1, 0}},
    };
    for (const Case& c : cases) {
        UninstallPlan plan = PlanUninstall(c.installCount, c.sharedCount);
        EXPECT_EQ(c.plan.installCount, plan.installCount) << c.installCount << "/" << c.sharedCount;
        EXPECT_EQ(c.plan.sharedCount, plan.sharedCount) << c.installCount << "/" << c.sharedCount;
        EXPECT_EQ(c.plan.removeGuide, plan.removeGuide) << c.installCount << "/" << c.sharedCount;
        EXPECT_EQ(c.plan.removeCommonFiles, plan.removeCommonFiles)
            << c.installCount << "/" << c.sharedCount;
    }
}
