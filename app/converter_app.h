#pragma once

#include <string>
#include <vector>

// The program: reads the command line, shows the converter dialog and ends
// when the dialog closes.
class CConverterApp
{
public:
    // The arguments after the program's name.
    explicit CConverterApp(std::vector<std::string> arguments);

    // Runs the dialog to its end. Returns false: there is nothing to do after
    // it, and the program then ends.
    bool InitInstance();

private:
    std::vector<std::string> m_arguments;
};
