#include "app/converter_dlg.h"

#include "app/artwork.h"
#include "app/dialog_font.h"
#include "app/dialog_units.h"
#include "app/input_file_dialog.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPaintEvent>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>

namespace
{
// Paths and messages are 8-bit strings in the conversion code and text in the
// widgets.
QString ToText(const std::string& bytes)
{
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

std::string ToBytes(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

const QUrl* FirstLocalFile(const QList<QUrl>& urls)
{
    const auto found = std::find_if(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
    return found == urls.end() ? nullptr : &*found;
}

QRect ToRect(const UnitRect& units)
{
    return QRect(units.x, units.y, units.width, units.height);
}

QLabel* CreatePicture(QWidget* parent)
{
    auto* picture = new QLabel(parent);
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picture->setAlignment(Qt::AlignCenter);
    return picture;
}

// The left edge, in dialog units, of the nearest control to the right of
// the given one on the same row; the dialog's right edge when there is none.
int NextControlToTheRight(const TemplateControl& control)
{
    const QRect box = ToRect(control.units);
    int edge = kConverterSizeUnits.width;
    for (const TemplateControl& other : kConverterControls)
    {
        const QRect otherBox = ToRect(other.units);
        const bool sameRow = otherBox.top() <= box.bottom() && box.top() <= otherBox.bottom();
        if (&other != &control && sameRow && otherBox.x() >= box.x() + box.width())
            edge = std::min(edge, otherBox.x());
    }
    return edge;
}
} // namespace

CConverterDlg::CConverterDlg(QWidget* parent)
    : QDialog(parent), m_hIcon(LoadProgramIcon()), m_fileChooser(ChooseInputFile)
{
    // A window of its own, so that it has a task bar entry; a close box but no
    // minimise or maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QString::fromLatin1(kConverterCaption));
    setFont(DialogFont());
    CreateControls();
}

void CConverterDlg::CreateControls()
{
    const DialogUnits units(font());
    setFixedSize(units.ToPixels(QSize(kConverterSizeUnits.width, kConverterSizeUnits.height)));
    // Created in template order, which is therefore also the tab order.
    for (const TemplateControl& control : kConverterControls)
        PlaceControl(CreateControl(control), control);
}

QWidget* CConverterDlg::CreateControl(const TemplateControl& control)
{
    const QString text = QString::fromLatin1(control.text);
    switch (control.kind)
    {
    case ControlKind::DefaultButton:
    case ControlKind::Button:
    {
        auto* button = new QPushButton(text, this);
        button->setDefault(control.kind == ControlKind::DefaultButton);
        if (control.id == IDOK)
            connect(m_pGo = button, &QPushButton::clicked, this, &CConverterDlg::OnOK);
        else if (control.id == IDCANCEL)
            connect(m_pCancel = button, &QPushButton::clicked, this, &QDialog::reject);
        else if (control.id == IDC_BROWSE_INPUT)
            connect(m_pBrowseInput = button, &QPushButton::clicked, this, &CConverterDlg::OnBrowseInput);
        return button;
    }
    case ControlKind::PathEdit:
    case ControlKind::StatusEdit:
    {
        auto* edit = new QLineEdit(text, this);
        edit->setReadOnly(control.kind == ControlKind::StatusEdit);
        // Dropped files belong to the whole dialog, not to the text under the
        // mouse.
        edit->setAcceptDrops(false);
        (control.id == IDC_INPUT ? m_pInput : control.id == IDC_OUTPUT ? m_pOutput : m_pStatus) = edit;
        return edit;
    }
    case ControlKind::Label:
        return new QLabel(text, this);
    case ControlKind::CheckBox:
        return m_pFlip = new QCheckBox(text, this);
    case ControlKind::Picture:
        return CreatePicture(this);
    }
    return nullptr;
}

void CConverterDlg::PlaceControl(QWidget* widget, const TemplateControl& control)
{
    const DialogUnits units(font());
    QRect geometry = units.ToPixels(ToRect(control.units));
    if (control.kind == ControlKind::Label || control.kind == ControlKind::CheckBox)
    {
        // Fonts differ in the width of their letters around the average: a
        // caption that comes out wider than its box takes the free room to
        // its right rather than being cut.
        const int room = units.ToPixelsX(NextControlToTheRight(control)) - geometry.x();
        geometry.setWidth(std::clamp(widget->sizeHint().width(), geometry.width(), std::max(geometry.width(), room)));
    }
    if (control.kind == ControlKind::Picture)
    {
        // The frame is drawn around the picture.
        auto* picture = static_cast<QLabel*>(widget);
        const QSize pictureSize = PictureSizeWithin(geometry.size());
        picture->setPixmap(LoadLogoPicture(pictureSize, devicePixelRatioF()));
        const int frameWidth = picture->frameWidth();
        geometry.setSize(pictureSize + QSize(2 * frameWidth, 2 * frameWidth));
    }
    widget->setGeometry(geometry);
}

QWidget* CConverterDlg::GetDlgItem(int id) const
{
    switch (id)
    {
    case IDOK:
        return m_pGo;
    case IDCANCEL:
        return m_pCancel;
    case IDC_BROWSE_INPUT:
        return m_pBrowseInput;
    case IDC_INPUT:
        return m_pInput;
    case IDC_OUTPUT:
        return m_pOutput;
    case IDC_STATUS:
        return m_pStatus;
    case IDC_FLIP:
        return m_pFlip;
    default:
        return nullptr;
    }
}

void CConverterDlg::SetFileChooser(FileChooser chooser)
{
    m_fileChooser = std::move(chooser);
}

void CConverterDlg::showEvent(QShowEvent* event)
{
    // The first show comes before the first paint: the dialog's set-up.
    if (!m_bInitialised)
    {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

bool CConverterDlg::OnInitDialog()
{
    m_bAutoRun = false;
    setWindowIcon(m_hIcon);
    setAcceptDrops(true);
    m_bAutoRun = converter_steps::FillControls(*this, m_strInput, m_bFlip);
    m_pGo->setFocus(Qt::OtherFocusReason);
    return true;
}

void CConverterDlg::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    OnPaint();
}

void CConverterDlg::OnPaint()
{
    // A minimised window is drawn by the window manager; the automatic run
    // waits for the first paint of the restored dialog.
    if (windowState() & Qt::WindowMinimized)
        return;
    if (!m_bAutoRun)
        return;
    m_bAutoRun = false;
    RunAfterPaint();
}

void CConverterDlg::RunAfterPaint()
{
    // The run repaints the dialog for every message, which cannot happen
    // inside a paint event: it starts as soon as this paint has finished.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (isVisible())
                OnOK();
        },
        Qt::QueuedConnection);
}

void CConverterDlg::OnOK()
{
    // Disabling the focused "Go" moves the focus on to another control; after
    // a failed run it comes back, so that Enter means "Go" again.
    const QPointer<QWidget> focused = focusWidget();
    if (converter_steps::Convert(*this, m_bFlip))
    {
        accept();
        return;
    }
    if (focused && focused->isEnabled())
        focused->setFocus(Qt::OtherFocusReason);
}

void CConverterDlg::OnBrowseInput()
{
    const QString path = m_fileChooser(this);
    if (path.isEmpty())
        return;
    converter_steps::SetInputPath(*this, ToBytes(path));
}

void CConverterDlg::dragEnterEvent(QDragEnterEvent* event)
{
    if (FirstLocalFile(event->mimeData()->urls()))
        event->acceptProposedAction();
}

void CConverterDlg::dropEvent(QDropEvent* event)
{
    OnDropFiles(event->mimeData()->urls());
    event->acceptProposedAction();
}

void CConverterDlg::OnDropFiles(const QList<QUrl>& urls)
{
    // Only the first file counts; a drop fills the boxes and starts nothing.
    const QUrl* file = FirstLocalFile(urls);
    if (!file)
        return;
    converter_steps::SetInputPath(*this, ToBytes(file->toLocalFile()));
}

void CConverterDlg::SetDefaultOutputName()
{
    converter_steps::SetDefaultOutputName(*this);
}

std::string CConverterDlg::GetControlText(int id) const
{
    const auto* edit = qobject_cast<const QLineEdit*>(GetDlgItem(id));
    return edit ? ToBytes(edit->text()) : std::string();
}

void CConverterDlg::SetControlText(int id, const std::string& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(id)))
        edit->setText(ToText(text));
}

bool CConverterDlg::IsControlChecked(int id) const
{
    const auto* button = qobject_cast<const QAbstractButton*>(GetDlgItem(id));
    return button && button->isChecked();
}

void CConverterDlg::CheckControl(int id, bool checked)
{
    if (auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id)))
        button->setChecked(checked);
}

void CConverterDlg::EnableControl(int id, bool enabled)
{
    if (QWidget* control = GetDlgItem(id))
        control->setEnabled(enabled);
}

void CConverterDlg::ShowMessage(const std::string& text)
{
    m_pStatus->setText(ToText(text));
    // Messages are read from their beginning, like the banner.
    m_pStatus->setCursorPosition(0);
}

void CConverterDlg::ShowProgress(const std::string& text)
{
    ShowMessage(text);
    // The run holds the only thread and no events are processed until it
    // returns: paint the dialog now, so its messages are seen as they come.
    repaint();
}
