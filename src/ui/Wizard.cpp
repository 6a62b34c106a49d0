#include "Wizard.h"

#include "../app/Install.h"

CWizard::CWizard(CInstall* install) : m_hInstance(nullptr), m_install(install), m_bannerFont(nullptr)
{
}

CWizard::~CWizard()
{
    Teardown();
}

int CWizard::Init(HINSTANCE instance)
{
    m_hInstance = instance;
    if (!m_install || !instance)
        return 0;
    return 1;
}

// The wizard's windows are not built yet: there is no main window and no message loop.
int CWizard::Run()
{
    return 0;
}

void CWizard::Teardown()
{
    if (m_bannerFont) {
        DeleteObject(m_bannerFont);
        m_bannerFont = nullptr;
    }
}

HWND CWizard::MainWindowHandle() const
{
    return nullptr;
}

int CWizard::MsgBox(const WChar* text, UINT flags)
{
    m_install->GetString(93, m_text);
    return MessageBoxW(MainWindowHandle(), text, m_text.GetWide(), flags);
}

int CWizard::MsgBoxId(StringId text, UINT flags)
{
    GString message;
    m_install->GetString(text, message);
    return MsgBox(message.GetWide(), flags);
}
