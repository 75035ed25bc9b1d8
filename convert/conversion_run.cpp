#include "convert/conversion_run.h"

#include "convert/control_ids.h"
#include "convert/object_name.h"
#include "convert/run_steps.h"
#include "model/model_3ds.h"

#include <string>

namespace
{
constexpr int kLockedControls[] = {IDC_INPUT, IDC_OUTPUT, IDOK, IDCANCEL};

// The paths and buttons stay locked while a run works; a failed run unlocks
// them so the user can correct the input or close the dialog.
void EnableControls(CDialogWindow& window, bool enable)
{
    for (int id : kLockedControls)
        window.EnableDlgItem(id, enable);
}

bool LoadModel(CModel3DS& model, CInputFile& input)
{
    if (!model.LoadFile(&input, 0))
        return false;
    model.ComputeFaceNormals();
    model.ComputeVertexNormals();
    return true;
}

// Writes every object and then stores its cut name in the model; the writer
// takes the flags from the whole name, so the cut must come after.
bool WriteOutput(CDialogWindow& window, CModelSource& model, const std::string& finalPath, bool flip)
{
    const int objectCount = model.GetObjectCount();
    return WriteModelFile(window, finalPath, flip, objectCount, [&](CModelTextWriter& writer) {
        for (int i = 0; i < objectCount; ++i)
        {
            ModelObject* object = model.GetObject(i);
            writer.WriteObject(*object);
            object->name = SplitObjectName(object->name).name;
        }
    });
}
} // namespace

bool RunConversion(CDialogWindow& window, bool& flip)
{
    RunStart start;
    const bool started = StartRun(window, start);
    flip = start.flip;
    if (!started)
        return false;

    EnableControls(window, false);
    ShowStatus(window, "Loading model...");
    window.UpdateWindow();

    std::string statusText;
    CModel3DS model(&window, IDC_STATUS, &statusText);
    const bool loaded = LoadModel(model, start.input);
    start.input.Close(); // the model holds all it needs
    if (!loaded || !WriteOutput(window, model, start.finalPath, flip))
    {
        EnableControls(window, true);
        return false;
    }
    window.EndDialogOK();
    return true;
}
