#pragma once

#include "app/converter_steps.h"
#include "app/converter_template.h"

#include <QDialog>
#include <QIcon>
#include <QList>
#include <QUrl>

#include <functional>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;

// The converter dialog: input and output paths, "Flip Faces", "Go", "Cancel"
// and the status line. "Go" hands the paths and the check box to the
// conversion core, whose messages the dialog shows in its status line.
class CConverterDlg : public QDialog, public CConverterControls
{
    Q_OBJECT

public:
    // Shows a file dialog; returns the chosen path, or an empty string when
    // the user cancelled.
    using FileChooser = std::function<QString(QWidget* parent)>;

    explicit CConverterDlg(QWidget* parent = nullptr);

    // Handed over by start-up before the dialog is shown: the input path
    // (empty for none) and the "Flip Faces" request. Each run sets m_bFlip
    // to the check box.
    std::string m_strInput;
    bool m_bFlip = false;

    QWidget* GetDlgItem(int id) const;
    void SetFileChooser(FileChooser chooser);

    // Fills the output box with the name derived from the input box.
    void SetDefaultOutputName();

    // The controls, for the steps shared with the other dialogs.
    std::string GetControlText(int id) const override;
    void SetControlText(int id, const std::string& text) override;
    bool IsControlChecked(int id) const override;
    void CheckControl(int id, bool checked) override;
    void EnableControl(int id, bool enabled) override;
    // The status line's text: the banner, an error.
    void ShowMessage(const std::string& text) override;
    void ShowProgress(const std::string& text) override;

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
    void RunAfterPaint();

    bool m_bAutoRun = false;
    bool m_bInitialised = false;
    QIcon m_hIcon;
    QPushButton* m_pGo = nullptr;
    QPushButton* m_pCancel = nullptr;
    QPushButton* m_pBrowseInput = nullptr;
    QLineEdit* m_pInput = nullptr;
    QLineEdit* m_pOutput = nullptr;
    QLineEdit* m_pStatus = nullptr;
    QCheckBox* m_pFlip = nullptr;
    FileChooser m_fileChooser;
};
