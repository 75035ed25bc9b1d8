#include "app/converter_steps.h"

#include "app/control_ids.h"
#include "app/version_text.h"
#include "convert/output_naming.h"

namespace
{
// Locked while a file is converted: the paths, and the buttons that would
// end the dialog or start another run.
constexpr int kLockedWhileConverting[] = {IDC_INPUT, IDC_OUTPUT, IDOK, IDCANCEL};

void LockControls(CConverterControls& controls, bool locked)
{
    for (const int id : kLockedWhileConverting)
        controls.EnableControl(id, !locked);
}
} // namespace

namespace converter_steps
{
bool FillControls(CConverterControls& controls, const std::string& input, bool flip)
{
    const bool autoRun = !input.empty();
    if (autoRun)
        SetInputPath(controls, input);
    controls.CheckControl(IDC_FLIP, flip);
    controls.ShowMessage(StatusBanner());
    return autoRun;
}

void SetDefaultOutputName(CConverterControls& controls)
{
    controls.SetControlText(IDC_OUTPUT, DefaultOutputName(controls.GetControlText(IDC_INPUT)));
}

void SetInputPath(CConverterControls& controls, const std::string& path)
{
    controls.SetControlText(IDC_INPUT, path);
    SetDefaultOutputName(controls);
}

ConversionRequest BuildRequest(const CConverterControls& controls)
{
    ConversionRequest request;
    request.inputPath = controls.GetControlText(IDC_INPUT);
    request.outputPath = controls.GetControlText(IDC_OUTPUT);
    request.flip = controls.IsControlChecked(IDC_FLIP);
    return request;
}

bool Convert(CConverterControls& controls, bool& flip)
{
    const ConversionRequest request = BuildRequest(controls);
    flip = request.flip;
    LockControls(controls, true);
    const ConversionResult result = RunConversion(request, controls);
    if (result.Succeeded())
        return true;
    controls.ShowMessage(result.message);
    LockControls(controls, false);
    return false;
}
} // namespace converter_steps
