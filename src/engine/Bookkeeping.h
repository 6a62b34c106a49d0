// The installation's bookkeeping: which recorded files an install replaces or an uninstall
// removes, how the two usage counts move, and which values of the installation record are
// written in which mode. Decisions only; the installer object carries them out.
#pragma once

#include <stdint.h>

#include "../text/GString.h"

// Version codes: this installer's, and the older version recognised by its layout key alone.
const uint32_t kThisVersion = 190;
const uint32_t kOlderVersion = 130;

// A usage count goes up by one (never wrapping to 0) and down by one (never below 0).
uint32_t CountUp(uint32_t count);
uint32_t CountDown(uint32_t count);

// A recorded path the installation no longer uses where it was: recorded (not empty) and not
// exactly the path composed for this run.
int IsStalePath(GString& recorded, GString& composed);

// Options of the record are taken only within their range: the variant 0 to 2, the decimal
// key and the two library-set flags 0 or 1.
int IsRecordedVariant(uint32_t value);
int IsRecordedFlag(uint32_t value);

// What the file part of an installation finds before it starts.
struct InstallState
{
    uint32_t installedVersion;   // 0, kOlderVersion or kThisVersion
    uint32_t chartVersion;       // recorded version of document B's group
    int optDesktopLinks;
    int guideRecorded;           // document A's path is recorded
    int guideDesktopLinkStale;   // its recorded desktop link lies elsewhere than this run's
    int readMeRecorded;          // file C's menu link is recorded
    int readMeDesktopLinkRecorded;
    int readMeFileRecorded;      // file C's own path is recorded
    int readMeFileComposed;      // this run has a path for file C
    int textFilesRecorded;       // the text file of the menu is recorded
};

// Where the desktop link of file C points.
enum ReadMeLinkTarget
{
    kReadMeLinkNone,       // no link is made
    kReadMeLinkRecorded,   // the recorded file C
    kReadMeLinkComposed,   // this run's file C
};

struct InstallPlan
{
    int removeOlderVersionFiles;   // what the older version left in the user's folders
    int countInstallation;         // a new installation shares the record: count it
    int guideDesktopLink;          // make document A's desktop link
    int writeChart;                // document B and its links
    int chartDesktopLink;
    int writeReadMe;               // file C and its menu link
    ReadMeLinkTarget readMeDesktopLink;
    int writeTextFiles;            // file D and the two text files
};

// The desktop link of file C is made only when wanted and not recorded already; it points to
// the recorded file C when there is one, else to this run's when there is one.
InstallPlan PlanInstall(const InstallState& state);

// Document A's usage count across a reinstallation: an installation already counted is taken
// off before its files are made and counted again afterwards.
uint32_t GuideCountBefore(uint32_t sharedCount, int guideRecorded);

// What the record holds and what this run made, for writing the record.
struct RecordWriteState
{
    int settingsOnly;
    int previousLayoutRecorded;   // value 11 is known already
    int readMeRecorded;           // file C's menu link is recorded
    int madeReadMeDesktopLink;
    int textFilesRecorded;
    uint32_t chartVersion;
    int madeChartDesktopLink;
    int madeGuideDesktopLink;
};

// The groups of values written; every group in this order, the record key first, then the
// shared-document key, then the product key.
struct RecordWritePlan
{
    int previousLayout;      // 11
    int installCount;        // 21
    int readMe;              // 73, 72
    int readMeDesktopLink;   // 74
    int textFiles;           // 75, 76, 79
    int chart;               // 31, 32, then 34 (whose failure alone is ignored)
    int chartDesktopLink;    // 33
    int guide;               // 25, 26, 28, 29
    int guideDesktopLink;    // 27
    int product;             // 37, 38, 39
    int options;             // 158, 159, 155, 156 and the key assignments 157
};

RecordWritePlan PlanRecordWrites(const RecordWriteState& state);

// An uninstallation of a recorded installation: the counts without it, and what goes.
struct UninstallPlan
{
    uint32_t installCount;   // installations still sharing the record
    uint32_t sharedCount;    // installations still sharing document A
    int removeGuide;         // document A and its links, and the shared-document key
    int removeCommonFiles;   // B, C, the text files, D, the undo script, and the record key
};

UninstallPlan PlanUninstall(uint32_t installCount, uint32_t sharedCount);
