#include "convert/run_steps.h"

#include "convert/control_ids.h"
#include "convert/output_naming.h"
#include "platform/atomic_output_file.h"

void ShowStatus(CDialogWindow& window, const std::string& text)
{
    window.SetDlgItemText(IDC_STATUS, text);
}

bool StartRun(CDialogWindow& window, RunStart& start)
{
    const std::string inputPath = window.GetDlgItemText(IDC_INPUT);
    const std::string outputPath = window.GetDlgItemText(IDC_OUTPUT);
    start.flip = window.IsDlgButtonChecked(IDC_FLIP);

    if (!start.input.Open(inputPath))
    {
        ShowStatus(window, inputPath.empty() ? "Error: You must specify an input file"
                                             : "Error: Could not open Input file: " + inputPath);
        return false;
    }
    if (outputPath.empty())
    {
        ShowStatus(window, "Error: You must specify an output file name");
        return false;
    }
    start.finalPath = MakeOutputPath(outputPath);
    return true;
}

bool WriteModelFile(CDialogWindow& window, const std::string& path, bool flip, int objectCount,
                    const std::function<void(CModelTextWriter&)>& writeObjects)
{
    CAtomicOutputFile output;
    if (!output.Create(path))
    {
        ShowStatus(window, "Error: Could not create Output file: " + path);
        return false;
    }
    CModelTextWriter writer(output, MakeTextureName(path), flip);
    writer.WriteHeader(objectCount);
    writeObjects(writer);
    if (!writer.Finish() || !output.Commit())
    {
        ShowStatus(window, "Error: Could not write Output file: " + path);
        return false;
    }
    return true;
}
