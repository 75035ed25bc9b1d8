#include "app/win32/converter_dlg.h"

#include "app/control_ids.h"
#include "app/win32/wide_text.h"

#include <commdlg.h>

#include <array>

namespace
{
// The "..." button's file types: .3DS first, as the dialog was made for
// it, then each other format the converter reads, then all of them.
constexpr wchar_t kModelFilter[] = L".3DS Files (*.3DS)\0*.3DS\0"
                                   L"OBJ Files (*.obj)\0*.obj\0"
                                   L"glTF Files (*.gltf, *.glb)\0*.gltf;*.glb\0"
                                   L"All Models (*.3DS, *.obj, *.gltf, *.glb)\0*.3DS;*.obj;*.gltf;*.glb\0";

// A dropped name is cut to this many characters, the terminating zero
// included.
constexpr UINT kDroppedNameCharacters = 300;
} // namespace

CConverterDlg::CConverterDlg(HINSTANCE instance)
    : m_hInstance(instance), m_hIcon(LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME)))
{
}

INT_PTR CConverterDlg::DoModal()
{
    return DialogBoxParamW(m_hInstance, MAKEINTRESOURCEW(IDD_CONVERTER), nullptr, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CConverterDlg::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
    {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<CConverterDlg*>(lParam)->m_hWnd = window;
    }
    // Messages that come before WM_INITDIALOG find no dialog yet.
    auto* dialog = reinterpret_cast<CConverterDlg*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog)
        return FALSE;
    switch (message)
    {
    case WM_INITDIALOG:
        return dialog->OnInitDialog();
    case WM_PAINT:
        dialog->OnPaint();
        return TRUE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(dialog->m_hIcon);
    case WM_DROPFILES:
        dialog->OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        switch (LOWORD(wParam))
        {
        case IDOK:
            dialog->OnOK();
            return TRUE;
        case IDCANCEL: // "Cancel", Esc and the close box
            dialog->OnCancel();
            return TRUE;
        case IDC_BROWSE_INPUT:
            dialog->OnBrowseInput();
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

BOOL CConverterDlg::OnInitDialog()
{
    m_bAutoRun = false;
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    DragAcceptFiles(m_hWnd, TRUE);
    m_bAutoRun = converter_steps::FillControls(*this, m_strInput, m_bFlip);
    // The system then gives the focus to "Go", the first tab stop.
    return TRUE;
}

void CConverterDlg::OnPaint()
{
    PAINTSTRUCT paint;
    const HDC context = BeginPaint(m_hWnd, &paint);
    if (IsIconic(m_hWnd))
    {
        // Where the system still shows minimised windows as icons.
        SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(context), 0);
        RECT client;
        GetClientRect(m_hWnd, &client);
        const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(context, x, y, m_hIcon);
        EndPaint(m_hWnd, &paint);
        return;
    }
    EndPaint(m_hWnd, &paint);
    // Cleared first: the repaints that the run forces must not start it again.
    if (m_bAutoRun)
    {
        m_bAutoRun = false;
        OnOK();
    }
}

void CConverterDlg::OnOK()
{
    if (converter_steps::Convert(*this, m_bFlip))
    {
        EndDialog(m_hWnd, IDOK);
        return;
    }
    // Disabling the focused "Go" took the focus away: give it back, so that
    // Enter means "Go" again.
    SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(m_hWnd, IDOK)), TRUE);
}

void CConverterDlg::OnCancel()
{
    EndDialog(m_hWnd, IDCANCEL);
}

void CConverterDlg::OnBrowseInput()
{
    // Room for a long path (\\?\ and up to 32,767 characters).
    std::wstring path(32768, L'\0');
    OPENFILENAMEW open = {};
    open.lStructSize = sizeof open;
    open.hwndOwner = m_hWnd;
    open.lpstrFilter = kModelFilter;
    open.nFilterIndex = 1;
    open.lpstrFile = path.data();
    open.nMaxFile = static_cast<DWORD>(path.size());
    open.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER;
    if (!GetOpenFileNameW(&open))
        return; // cancelled: nothing changes
    path.resize(wcslen(path.c_str()));
    converter_steps::SetInputPath(*this, ToUtf8(path));
}

void CConverterDlg::OnDropFiles(HDROP drop)
{
    // Only the first file counts; a drop fills the boxes and starts nothing.
    std::array<wchar_t, kDroppedNameCharacters> name{};
    const UINT length = DragQueryFileW(drop, 0, name.data(), kDroppedNameCharacters);
    DragFinish(drop);
    converter_steps::SetInputPath(*this, ToUtf8(std::wstring(name.data(), length)));
}

std::string CConverterDlg::GetControlText(int id) const
{
    const HWND control = GetDlgItem(m_hWnd, id);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return ToUtf8(text);
}

void CConverterDlg::SetControlText(int id, const std::string& text)
{
    SetDlgItemTextW(m_hWnd, id, FromUtf8(text).c_str());
}

bool CConverterDlg::IsControlChecked(int id) const
{
    return IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED;
}

void CConverterDlg::CheckControl(int id, bool checked)
{
    CheckDlgButton(m_hWnd, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void CConverterDlg::EnableControl(int id, bool enabled)
{
    EnableWindow(GetDlgItem(m_hWnd, id), enabled ? TRUE : FALSE);
}

void CConverterDlg::ShowMessage(const std::string& text)
{
    // An edit box shows its text from the beginning once it is set.
    SetControlText(IDC_STATUS, text);
}

void CConverterDlg::ShowProgress(const std::string& text)
{
    ShowMessage(text);
    // The run holds the only thread and no messages are handled until it
    // returns: paint the dialog and its controls now.
    UpdateWindow(m_hWnd);
}
