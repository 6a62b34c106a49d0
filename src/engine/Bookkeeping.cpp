#include "Bookkeeping.h"

// A count read from a damaged record may already stand at the top: wrapping it to 0 would
// make the next uninstallation remove what other installations still use.
uint32_t CountUp(uint32_t count)
{
    return count == 0xFFFFFFFFu ? count : count + 1;
}

uint32_t CountDown(uint32_t count)
{
    return count > 0 ? count - 1 : 0;
}

int IsStalePath(GString& recorded, GString& composed)
{
    if (recorded.GetLength() <= 0)
        return 0;
    const WChar* text = composed.GetWide();
    if (!text)
        return 1;
    return recorded.Compare(text, composed.GetLength()) != 0;
}

int IsRecordedVariant(uint32_t value)
{
    return value <= 2;
}

int IsRecordedFlag(uint32_t value)
{
    return value <= 1;
}

InstallPlan PlanInstall(const InstallState& state)
{
    InstallPlan plan;
    plan.removeOlderVersionFiles = state.installedVersion == kOlderVersion;
    plan.countInstallation = state.installedVersion <= kOlderVersion;
    // A recorded desktop link at another place is remade at the new one even when desktop
    // links are not wanted: the user had one.
    plan.guideDesktopLink = state.optDesktopLinks || state.guideDesktopLinkStale;
    plan.writeChart = state.chartVersion < kThisVersion;
    plan.chartDesktopLink = plan.writeChart && state.optDesktopLinks;
    plan.writeReadMe = !state.readMeRecorded;
    plan.readMeDesktopLink = kReadMeLinkNone;
    if (state.optDesktopLinks && !state.readMeDesktopLinkRecorded) {
        if (state.readMeFileRecorded)
            plan.readMeDesktopLink = kReadMeLinkRecorded;
        else if (state.readMeFileComposed)
            plan.readMeDesktopLink = kReadMeLinkComposed;
    }
    plan.writeTextFiles = !state.textFilesRecorded;
    return plan;
}

uint32_t GuideCountBefore(uint32_t sharedCount, int guideRecorded)
{
    return guideRecorded ? CountDown(sharedCount) : sharedCount;
}

RecordWritePlan PlanRecordWrites(const RecordWriteState& state)
{
    RecordWritePlan plan = {};
    plan.options = 1;
    if (state.settingsOnly)
        return plan;
    plan.previousLayout = !state.previousLayoutRecorded;
    plan.installCount = 1;
    plan.readMe = !state.readMeRecorded;
    plan.readMeDesktopLink = state.madeReadMeDesktopLink;
    plan.textFiles = !state.textFilesRecorded;
    plan.chart = state.chartVersion < kThisVersion;
    plan.chartDesktopLink = plan.chart && state.madeChartDesktopLink;
    plan.guide = 1;
    plan.guideDesktopLink = state.madeGuideDesktopLink;
    plan.product = 1;
    return plan;
}

UninstallPlan PlanUninstall(uint32_t installCount, uint32_t sharedCount)
{
    UninstallPlan plan;
    plan.installCount = CountDown(installCount);
    plan.sharedCount = CountDown(sharedCount);
    plan.removeGuide = plan.sharedCount == 0;
    plan.removeCommonFiles = plan.installCount == 0;
    return plan;
}
