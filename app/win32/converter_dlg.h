#pragma once

#include "app/converter_steps.h"

#include <string>

#include <windows.h>

#include <shellapi.h>

// The converter dialog on Windows: the template IDD_CONVERTER of the
// resource script, run modally by one dialog procedure whose cases call the
// steps the Qt dialog calls (app/converter_steps.h).
class CConverterDlg : public CConverterControls
{
public:
    explicit CConverterDlg(HINSTANCE instance);

    // Handed over by start-up before the dialog is shown: the input path in
    // UTF-8 (empty for none) and the "Flip Faces" request. Each run sets
    // m_bFlip to the check box.
    std::string m_strInput;
    bool m_bFlip = false;

    // Shows the dialog and returns when it has closed: IDOK after a
    // conversion, IDCANCEL when the user closed it.
    INT_PTR DoModal();

    std::string GetControlText(int id) const override;
    void SetControlText(int id, const std::string& text) override;
    bool IsControlChecked(int id) const override;
    void CheckControl(int id, bool checked) override;
    void EnableControl(int id, bool enabled) override;
    void ShowMessage(const std::string& text) override;
    void ShowProgress(const std::string& text) override;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    BOOL OnInitDialog();
    void OnPaint();
    void OnOK();
    void OnCancel();
    void OnBrowseInput();
    void OnDropFiles(HDROP drop);

    HINSTANCE m_hInstance;
    HWND m_hWnd = nullptr;
    HICON m_hIcon;
    bool m_bAutoRun = false;
};
