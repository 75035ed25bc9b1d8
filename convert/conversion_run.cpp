#include "convert/conversion_run.h"

#include "convert/control_ids.h"
#include "convert/model_text_writer.h"
#include "convert/object_name.h"
#include "convert/output_naming.h"
#include "model/model_3ds.h"
#include "platform/atomic_output_file.h"
#include "platform/input_file.h"

#include <string>

namespace
{
constexpr int kLockedControls[] = {IDC_INPUT, IDC_OUTPUT, IDOK, IDCANCEL};

void ShowStatus(CDialogWindow& window, const std::string& text)
{
    window.SetDlgItemText(IDC_STATUS, text);
}

// The paths and buttons stay locked while a run works; a failed run unlocks
// them so the user can correct the input or close the dialog.
void EnableControls(CDialogWindow& window, bool enable)
{
    for (int id : kLockedControls)
        window.EnableDlgItem(id, enable);
}

bool OpenInput(CDialogWindow& window, const std::string& inputPath, CInputFile& input)
{
    if (input.Open(inputPath))
        return true;
    ShowStatus(window, inputPath.empty() ? "Error: You must specify an input file"
                                         : "Error: Could not open Input file: " + inputPath);
    return false;
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
bool WriteObjects(CModelSource& model, const std::string& textureName, bool flip, CByteSink& sink)
{
    CModelTextWriter writer(sink, textureName, flip);
    const int objectCount = model.GetObjectCount();
    writer.WriteHeader(objectCount);
    for (int i = 0; i < objectCount; ++i)
    {
        ModelObject* object = model.GetObject(i);
        writer.WriteObject(*object);
        object->name = SplitObjectName(object->name).name;
    }
    return writer.Finish();
}

bool WriteOutput(CDialogWindow& window, CModelSource& model, const std::string& finalPath, bool flip)
{
    CAtomicOutputFile output;
    if (!output.Create(finalPath))
    {
        ShowStatus(window, "Error: Could not create Output file: " + finalPath);
        return false;
    }
    if (!WriteObjects(model, MakeTextureName(finalPath), flip, output) || !output.Commit())
    {
        ShowStatus(window, "Error: Could not write Output file: " + finalPath);
        return false;
    }
    return true;
}
} // namespace

bool RunConversion(CDialogWindow& window, bool& flip)
{
    const std::string inputPath = window.GetDlgItemText(IDC_INPUT);
    const std::string outputPath = window.GetDlgItemText(IDC_OUTPUT);
    flip = window.IsDlgButtonChecked(IDC_FLIP);

    CInputFile input;
    if (!OpenInput(window, inputPath, input))
        return false;
    if (outputPath.empty())
    {
        ShowStatus(window, "Error: You must specify an output file name");
        return false;
    }
    const std::string finalPath = MakeOutputPath(outputPath);

    EnableControls(window, false);
    ShowStatus(window, "Loading model...");
    window.UpdateWindow();

    std::string statusText;
    CModel3DS model(&window, IDC_STATUS, &statusText);
    const bool loaded = LoadModel(model, input);
    input.Close(); // the model holds all it needs
    if (!loaded || !WriteOutput(window, model, finalPath, flip))
    {
        EnableControls(window, true);
        return false;
    }
    window.EndDialogOK();
    return true;
}
