#include "WinTestUtil.h"

#include <stdlib.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "StringTableBuilder.h"
#include "app/Install.h"

WText MakeTestDir(const wchar_t* tag)
{
    wchar_t temp[MAX_PATH + 1] = {0};
    if (!GetTempPathW(MAX_PATH, temp))
        return WText();
    WText dir = WText(temp) + L"engine-test-" + tag + L"-" + std::to_wstring(GetCurrentProcessId());
    RemoveTree(dir);
    if (!CreateDirectoryW(dir.c_str(), nullptr))
        return WText();
    return dir;
}

void RemoveTree(const WText& dir)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            WText name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            WText path = dir + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(dir.c_str());
}

bool WriteWholeFile(const WText& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = bytes.empty() ||
              (WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr) &&
               written == bytes.size());
    CloseHandle(file);
    return ok;
}

bool ReadWholeFile(const WText& path, std::string& bytes)
{
    bytes.clear();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char buffer[4096];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != 0) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return ok;
}

bool FileExists(const WText& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExists(const WText& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int CountFiles(const WText& dir)
{
    int count = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++count;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

std::vector<std::pair<WText, WText>> PendingRenames()
{
    std::vector<std::pair<WText, WText>> pairs;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return pairs;
    DWORD type = 0;
    DWORD size = 0;
    const wchar_t* name = L"PendingFileRenameOperations";
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        type == REG_MULTI_SZ && size > 0) {
        std::vector<wchar_t> data(size / 2 + 2, 0);
        if (RegQueryValueExW(key, name, nullptr, &type, (BYTE*)data.data(), &size) == ERROR_SUCCESS) {
            std::vector<WText> strings;
            size_t units = size / 2;
            size_t start = 0;
            for (size_t i = 0; i < units; ++i) {
                if (data[i] == 0) {
                    strings.push_back(WText(data.data() + start, i - start));
                    start = i + 1;
                }
            }
            for (size_t i = 0; i + 1 < strings.size(); i += 2)
                pairs.push_back({strings[i], strings[i + 1]});
        }
    }
    RegCloseKey(key);
    return pairs;
}

bool IsPendingDelete(const WText& path)
{
    WText source = L"\\??\\" + path;
    for (const auto& pair : PendingRenames()) {
        if (lstrcmpiW(pair.first.c_str(), source.c_str()) == 0 && pair.second.empty())
            return true;
    }
    return false;
}

WText HelperPath()
{
    wchar_t self[MAX_PATH] = {0};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    WText path = self;
    size_t slash = path.find_last_of(L'\\');
    return path.substr(0, slash == WText::npos ? 0 : slash + 1) + L"engine_helper.exe";
}

int RunAndWait(const WText& commandLine, const WText& program)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    if (!CreateProcessW(program.empty() ? nullptr : program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return (int)code;
}

bool LoadTexts(CInstall& install, const TextList& texts)
{
    CStringTableBuilder builder;
    for (const auto& t : texts) {
        if (!builder.Add(t.first, t.second))
            return false;
    }
    uint32_t length = 0;
    uint8_t* buffer = builder.BuildBuffer(length);
    if (!buffer)
        return false;
    if (!install.m_baseStrings.Init(buffer, builder.Count(), length)) {
        free(buffer);
        return false;
    }
    return true;
}

const TextList& PathTexts()
{
    static const TextList texts = {
        {9, "\\Vendor"},
        {10, "\\Product"},
        {22, "\\Layout"},
        {23, "Polish"},
        {30, "\\Guide"},
        {42, ".pdf"},
        {43, ".lnk"},
        {44, ".txt"},
        {46, ".url"},
        {48, "\\Remove %s"},
        {70, "\\Website"},
        {71, "\\Changes"},
        {80, "\\Layout.dll"},
        {81, "Layout \xC5\xBC"},
    };
    return texts;
}

bool ReadLink(const WText& path, LinkContents& out)
{
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                (void**)&link)))
        return false;
    IPersistFile* file = nullptr;
    bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file));
    if (ok)
        ok = SUCCEEDED(file->Load(path.c_str(), STGM_READ));
    wchar_t buffer[1024];
    if (ok) {
        buffer[0] = 0;
        link->GetPath(buffer, 1024, nullptr, SLGP_RAWPATH);
        out.target = buffer;
        buffer[0] = 0;
        link->GetDescription(buffer, 1024);
        out.description = buffer;
        buffer[0] = 0;
        int index = -1;
        link->GetIconLocation(buffer, 1024, &index);
        out.icon = buffer;
        out.iconIndex = index;
    }
    if (file)
        file->Release();
    link->Release();
    return ok;
}
