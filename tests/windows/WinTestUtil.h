// Small helpers of the Windows-side tests: scratch directories, whole-file reads and writes,
// and the system's list of file operations pending until the next restart.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

typedef std::wstring WText;

// A new empty directory under the temporary folder, named after `tag`; empty on failure.
WText MakeTestDir(const wchar_t* tag);
void RemoveTree(const WText& dir);

bool WriteWholeFile(const WText& path, const std::string& bytes);
bool ReadWholeFile(const WText& path, std::string& bytes);
bool FileExists(const WText& path);
bool DirExists(const WText& path);
int CountFiles(const WText& dir);

// Source and target pairs of PendingFileRenameOperations; an empty target is a deletion.
std::vector<std::pair<WText, WText>> PendingRenames();
bool IsPendingDelete(const WText& path);

// The helper program built beside the tests.
WText HelperPath();
// Starts a command line (of `program` when given, whatever the line's first word) and waits
// for it; its exit code, or -1 when it did not start.
int RunAndWait(const WText& commandLine, const WText& program = WText());

// Texts by StringId, UTF-8.
typedef std::vector<std::pair<uint32_t, std::string>> TextList;
class CInstall;
// Makes `texts` the base string table of `install` (the only table it then has).
bool LoadTexts(CInstall& install, const TextList& texts);

// The texts the path tests compose from, shared by the tests and the helper program.
const TextList& PathTexts();

// A link file's contents as the shell's link object reads them (COM must be initialised).
struct LinkContents
{
    WText target, description, icon;
    int iconIndex = -1;
};
bool ReadLink(const WText& path, LinkContents& out);
