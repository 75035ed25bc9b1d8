#pragma once

#include "convert/conversion.h"
#include "model/status_sink.h"

#include <string>

// The converter dialog's steps, whatever toolkit draws it: the Qt dialog and
// the Win32 dialog each give their controls through CConverterControls and
// call these, so both fill their boxes, lock and unlock their controls and
// run the conversion in the same order.

// A dialog's controls, by their template ids (app/control_ids.h). Texts are
// 8-bit strings in UTF-8, as the conversion core takes paths.
class CConverterControls : public CStatusSink
{
public:
    virtual std::string GetControlText(int id) const = 0;
    virtual void SetControlText(int id, const std::string& text) = 0;
    virtual bool IsControlChecked(int id) const = 0;
    virtual void CheckControl(int id, bool checked) = 0;
    virtual void EnableControl(int id, bool enabled) = 0;
    // The status line's text, shown from its beginning; ShowProgress also
    // repaints the dialog before it returns.
    virtual void ShowMessage(const std::string& text) = 0;
};

namespace converter_steps
{
// The dialog's opening: the input box from the path start-up handed over
// (none when empty) with the output box derived from it, "Flip Faces" and
// the banner. True when a path was handed over: the dialog then converts
// after its first paint.
bool FillControls(CConverterControls& controls, const std::string& input, bool flip);

// The output box takes the input box's text with its last three characters
// replaced by "DTQ".
void SetDefaultOutputName(CConverterControls& controls);

// A path chosen in the file dialog or dropped on the dialog: the input box
// takes it and the output box the name derived from it.
void SetInputPath(CConverterControls& controls, const std::string& path);

// What "Go" asks of the conversion core: the two boxes and "Flip Faces".
ConversionRequest BuildRequest(const CConverterControls& controls);

// The conversion run of "Go": the paths and the buttons that end the dialog
// stay locked while it works, its progress goes to the status line. True
// when the file was written, and the dialog is then to end; on failure the
// status line shows the message and the controls are unlocked, so the user
// can correct the paths or close the dialog. flip takes "Flip Faces".
bool Convert(CConverterControls& controls, bool& flip);
} // namespace converter_steps
