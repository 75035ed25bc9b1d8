#pragma once

#include "app/converter_template.h"
#include "convert/dialog_window.h"

#include <QDialog>
#include <QIcon>
#include <QList>
#include <QUrl>

#include <functional>
#include <map>
#include <string>

class QLineEdit;

// The converter dialog: input and output paths, "Flip Faces", "Go", "Cancel"
// and the status line. "Go" is the conversion run, which works through the
// controls this class offers as a CDialogWindow.
class CConverterDlg : public QDialog, public CDialogWindow
{
    Q_OBJECT

public:
    // Shows a file dialog; returns the chosen path, or an empty string when
    // the user cancelled.
    using FileChooser = std::function<QString(QWidget* parent)>;

    explicit CConverterDlg(QWidget* parent = nullptr);

    // Handed over by start-up before the dialog is shown: the input path
    // (empty for none) and the "Flip Faces" request. The run keeps m_bFlip
    // equal to the check box.
    std::string m_strInput;
    bool m_bFlip = false;

    QWidget* GetDlgItem(int id) const;
    void SetFileChooser(FileChooser chooser);

    // Fills the output box with the name derived from the input box.
    void SetDefaultOutputName();

    std::string GetDlgItemText(int id) override;
    void SetDlgItemText(int id, const std::string& text) override;
    bool IsDlgButtonChecked(int id) override;
    void EnableDlgItem(int id, bool enable) override;
    void EndDialogOK() override;
    void UpdateWindow() override;

public slots:
    // The conversion run: "Go", Enter, and once after the first paint when
    // start-up handed over an input path.
    virtual void OnOK();
    void OnBrowseInput();

protected:
    virtual bool OnInitDialog();
    void OnPaint();
    void OnDropFiles(const QList<QUrl>& urls);

    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateControls();
    QWidget* CreateControl(const TemplateControl& control);
    void PlaceControl(QWidget* widget, const TemplateControl& control);
    QLineEdit* GetEdit(int id) const;
    void RunAfterPaint();

    bool m_bAutoRun = false;
    bool m_bInitialised = false;
    QIcon m_hIcon;
    std::map<int, QWidget*> m_controls;
    FileChooser m_fileChooser;
};
