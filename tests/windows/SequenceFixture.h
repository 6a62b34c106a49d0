// The fixture of the install and uninstall tests: a machine without the product, with the
// keys a real Windows has, and the user's own folders moved into the prefix.
#pragma once

#include <gtest/gtest.h>

#include "SequenceTestUtil.h"

class CSequenceFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Removes every trace of the product: files, folders, links, record, layout key, toggle
    // values, the scan-code map and the pending renames.
    void Clean();

    // The documents, links and copy a completed installation leaves, checked against the
    // payload and the texts; `desktopLinks`: the three desktop links are there.
    void ExpectInstalled(CInstall& in, bool desktopLinks);

    // The record as a new run reads it back: the paths of `in`, the counts, and the desktop
    // links when `desktopLinks`.
    void ExpectRecorded(CInstall& in, uint32_t installCount, uint32_t sharedCount,
                        bool desktopLinks);

    // A record value below the record key (`key` 0), the shared key (1) or the product key (2).
    RegValue RecordValue(int key, StringId name);
    bool SetRecordNumber(int key, StringId name, uint32_t value);

    // The older version: its layout key and the files it left in the user's folders.
    void MakeOlderInstallation();
    std::vector<WText> OlderFiles();

    CInstall m_texts;   // the payload's texts and the paths, for the tests' own use
    ProductPlaces m_places;
    WText m_documents, m_desktop;   // the user's folders, moved into a test folder
};
