#include "SequenceTestUtil.h"

#include <stdlib.h>
#include <string.h>

bool PrepareInstaller(CInstall& install)
{
    if (!install.Init(GetModuleHandleW(nullptr)))
        return false;
    install.ProbePlatform(58, 144);
    install.BuildPaths();
    install.ReadScancodeMap();
    install.ReadInstallRecord();
    return true;
}

WText WideOf(const GString& s)
{
    return WText(s.WideAt(0), (size_t)s.GetLength());
}

std::string Utf8Of(const WText& text)
{
    GString s;
    s.AssignWide(text.c_str(), (int)text.size());
    return std::string(s.GetNarrow(), (size_t)s.GetLength());
}

WText TextOf(CInstall& install, StringId id)
{
    GString s;
    install.GetString(id, s);
    return WideOf(s);
}

ProductPlaces PlacesOf(CInstall& install)
{
    ProductPlaces p;
    p.vendorPath = TextOf(install, 7) + L"\\" + TextOf(install, 8);
    p.recordPath = p.vendorPath + L"\\" + TextOf(install, 10);
    p.sharedPath = p.recordPath + L"\\" + TextOf(install, 24) + L"\\" + TextOf(install, 23);
    p.productPath = p.recordPath + L"\\" + TextOf(install, 36) + L"\\" + TextOf(install, 89);
    p.layoutsPath = TextOf(install, 3);
    p.layoutPath = p.layoutsPath + L"\\" + TextOf(install, 85);
    wchar_t folder[MAX_PATH + 1] = {};
    GetSystemWow64DirectoryW(folder, MAX_PATH);
    p.library32 = WText(folder) + L"\\" + TextOf(install, 83);
    GetSystemDirectoryW(folder, MAX_PATH);
    p.libraryNative = WText(folder) + L"\\" + TextOf(install, 83);
    p.togglePath = TextOf(install, 13);
    return p;
}

WText RegValue::Text() const
{
    WText text((const wchar_t*)bytes.data(), bytes.size() / 2);
    while (!text.empty() && text.back() == 0)
        text.pop_back();
    return text;
}

uint32_t RegValue::Number() const
{
    uint32_t value = 0;
    if (bytes.size() == 4)
        memcpy(&value, bytes.data(), 4);
    return value;
}

RegValue ReadRegValue(HKEY root, const WText& path, const WText& name, REGSAM view)
{
    RegValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        value.bytes.resize(size);
        if (RegQueryValueExW(key, name.c_str(), nullptr, &type, value.bytes.data(), &size) ==
            ERROR_SUCCESS)
            value.type = type;
    }
    RegCloseKey(key);
    return value;
}

static bool WriteRegRaw(HKEY root, const WText& path, const WText& name, DWORD type,
                        const void* data, DWORD size, REGSAM view)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExW(key, name.c_str(), 0, type, (const BYTE*)data, size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool WriteRegNumber(HKEY root, const WText& path, const WText& name, uint32_t value, REGSAM view)
{
    return WriteRegRaw(root, path, name, REG_DWORD, &value, 4, view);
}

bool WriteRegText(HKEY root, const WText& path, const WText& name, const WText& text, REGSAM view)
{
    return WriteRegRaw(root, path, name, REG_SZ, text.c_str(), (DWORD)(text.size() + 1) * 2, view);
}

bool RegKeyExists(HKEY root, const WText& path, REGSAM view)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::string ItemBytes(CInstall& install, const uint8_t* item, uint32_t storedSize)
{
    uint32_t size = storedSize;
    uint32_t extra = 0;
    uint8_t* raw = install.m_guard.ReadItem(item, size, &extra);
    if (!raw)
        return std::string();
    std::string bytes((const char*)raw, size);
    free(raw);
    return bytes;
}

bool IsPendingMove(const WText& source, const WText& target)
{
    WText from = L"\\??\\" + source;
    WText to = L"!\\??\\" + target;
    for (const auto& pair : PendingRenames()) {
        if (lstrcmpiW(pair.first.c_str(), from.c_str()) == 0 &&
            lstrcmpiW(pair.second.c_str(), to.c_str()) == 0)
            return true;
    }
    return false;
}

int CountPendingRenames()
{
    return (int)PendingRenames().size();
}

WText SequenceHelperPath()
{
    wchar_t self[MAX_PATH] = {0};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    WText path = self;
    size_t slash = path.find_last_of(L'\\');
    return path.substr(0, slash == WText::npos ? 0 : slash + 1) + L"sequence_helper.exe";
}
