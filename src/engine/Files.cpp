// File operations: creating and writing files, deleting them at once or at the next restart,
// directories, special-folder and temporary paths. Failures are silent (0 or null).
#include "app/Install.h"

#include <shlobj.h>
#include <stdlib.h>
#include <string.h>

namespace {

bool IsEmpty(const WChar* path)
{
    return !path || !path[0];
}

const int kPathUnits = 261;
const int kTempDirUnits = 772;

} // namespace

HANDLE CInstall::CreateOutputFile(const WChar* path)
{
    if (IsEmpty(path))
        return nullptr;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

// One write of everything; a short write is a failure.
int CInstall::WriteBytes(HANDLE file, const void* bytes, uint32_t byteCount)
{
    if (!file || file == INVALID_HANDLE_VALUE || !bytes || !byteCount)
        return 0;
    DWORD written = 0;
    if (!WriteFile(file, bytes, byteCount, &written, nullptr))
        return 0;
    return written == byteCount;
}

// The text as UTF-8, without byte-order mark or terminator.
int CInstall::WriteText(HANDLE file, GString& text)
{
    if (!file || file == INVALID_HANDLE_VALUE)
        return 0;
    const char* narrow = text.GetNarrow();
    if (!narrow || text.GetLength() <= 0)
        return 0;
    return WriteBytes(file, narrow, (uint32_t)text.GetLength());
}

int CInstall::GetSpecialFolder(int csidl, GString& out)
{
    out.Reset(true);
    WChar* buffer = out.GetWideBuffer(kPathUnits);
    if (!buffer)
        return 0;
    buffer[0] = 0;
    if (!SHGetSpecialFolderPathW(GetOwnerWindow(), buffer, csidl, FALSE)) {
        out.Reset(true);
        return 0;
    }
    out.SetLength(-1);
    return 1;
}

// A missing file counts as deleted. Any other failure (a file in use, a missing directory)
// leaves the deletion to the system at the next restart.
int CInstall::DeleteOrSchedule(const WChar* path)
{
    if (IsEmpty(path))
        return 0;
    if (DeleteFileW(path))
        return 1;
    if (GetLastError() == ERROR_FILE_NOT_FOUND)
        return 1;
    return MoveFileExW(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

int CInstall::DeleteOrSchedule(GString& path)
{
    if (path.GetLength() <= 0)
        return 0;
    return DeleteOrSchedule(path.GetWide());
}

int CInstall::RemoveDir(GString& path)
{
    if (path.GetLength() <= 0)
        return 0;
    const WChar* wide = path.GetWide();
    return wide && RemoveDirectoryW(wide);
}

int CInstall::EnsureDirectory(const WChar* path)
{
    if (IsEmpty(path))
        return 0;
    if (CreateDirectoryW(path, nullptr))
        return 1;
    return GetLastError() == ERROR_ALREADY_EXISTS;
}

int CInstall::GetTempDir(GString& out)
{
    out.Reset(true);
    WChar* buffer = out.GetWideBuffer(kTempDirUnits);
    if (!buffer)
        return 0;
    DWORD length = GetTempPathW(kTempDirUnits - 1, buffer);
    if (length == 0 || length >= (DWORD)kTempDirUnits) {
        out.Reset(true);
        return 0;
    }
    out.SetLength((int)length);
    return 1;
}

// The system picks the name (three characters of the prefix and a hexadecimal number) and
// creates the empty file.
int CInstall::MakeTempFile(GString& out, StringId prefix, const WChar* directory)
{
    if (prefix == 0)
        return 0;
    GString local;
    GString& prefixText = &out == &m_scratch ? local : m_scratch;
    if (!GetString(prefix, prefixText))
        return 0;
    GString tempDir;
    if (!directory) {
        if (!GetTempDir(tempDir))
            return 0;
        directory = tempDir.GetWide();
    }
    out.Reset(true);
    WChar* buffer = out.GetWideBuffer(kPathUnits);
    if (!buffer || !directory)
        return 0;
    if (!GetTempFileNameW(directory, prefixText.GetWide(), 0, buffer)) {
        out.Reset(true);
        return 0;
    }
    out.SetLength(-1);
    return 1;
}

int CInstall::WriteItemToFile(const WChar* path, const uint8_t* item, uint32_t storedSize)
{
    if (!path || !item)
        return 0;
    uint32_t size = storedSize;
    uint32_t extra = 0;
    uint8_t* raw = m_guard.ReadItem(item, size, &extra);
    if (!raw)
        return 0;
    int written = 0;
    HANDLE file = CreateOutputFile(path);
    if (file) {
        written = WriteBytes(file, raw, size);
        CloseHandle(file);
    }
    free(raw);
    return written;
}

// File C: the text for Windows 2000, or the one for every later release.
int CInstall::WriteFileC(const WChar* path)
{
    HANDLE file = CreateOutputFile(path);
    if (!file)
        return 0;
    GString text;
    GetString(m_osVersion <= 50 ? 68 : 67, text);
    int written = WriteText(file, text);
    CloseHandle(file);
    return written;
}
