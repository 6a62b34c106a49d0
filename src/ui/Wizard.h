// CWizard: the wizard controller. It owns the main window, the page shown and the banner font,
// and runs the message loop.
#pragma once

#include <windows.h>

#include "../payload/StringTable.h"
#include "../text/GString.h"

class CInstall;

class CWizard
{
public:
    explicit CWizard(CInstall* install);
    ~CWizard();

    int Init(HINSTANCE instance);
    int Run();
    void Teardown();
    HWND MainWindowHandle() const;
    int MsgBox(const WChar* text, UINT flags);
    int MsgBoxId(StringId text, UINT flags);

    HINSTANCE m_hInstance;
    CInstall* m_install;
    GString m_text;
    HFONT m_bannerFont;

private:
    CWizard(const CWizard&) = delete;
    CWizard& operator=(const CWizard&) = delete;
};
