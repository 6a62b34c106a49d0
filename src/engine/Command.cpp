// Starting other programs from a command line composed of a format text and its arguments.
#include "app/Install.h"

#include <stdarg.h>
#include <string.h>

// Starts the formatted command line and gives it a second to finish; whether it started or
// finished is not reported. The format text stays in m_scratch.
int CInstall::RunCommand(StringId format, ...)
{
    if (format == 0)
        return 0;
    GetString(format, m_scratch);
    GString command;
    command.Reset(true);
    va_list args;
    va_start(args, format);
    int formatted = command.AppendFormatV(m_scratch.GetWide(), args);
    va_end(args);
    const WChar* line = command.GetWide();
    if (!formatted || !line || command.GetLength() <= 0)
        return 1;

    STARTUPINFOW startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    memset(&process, 0, sizeof process);
    // CreateProcessW may write into the command line; it is this function's own string.
    if (CreateProcessW(nullptr, const_cast<WChar*>(line), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, 1000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    return 1;
}
