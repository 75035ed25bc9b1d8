#pragma once

#include <functional>
#include <string>

// Runs work in a forked child process and hands back the text it returned.
// Used for what the test process itself must not do or suffer: give up its
// privileges, limit its memory, or wait forever.
namespace robustness
{

enum class ChildSetup
{
    Unprivileged,        // the user nobody, whom permission bits bind
    OneGigabyteOfMemory, // an address space too small for a large input
    Deadline,            // ended by an alarm after kChildDeadlineSeconds
};

// Far beyond what any work run this way needs: only a run that waits or
// loops without end reaches it.
inline constexpr unsigned kChildDeadlineSeconds = 60;

struct ChildResult
{
    enum class Ending
    {
        Returned,    // the work returned report
        SetupFailed, // the child could not be set up; the work did not run
        Died,        // the work crashed, or the deadline ended it
    };
    Ending ending = Ending::Died;
    std::string report;
};

ChildResult RunInChild(ChildSetup setup, const std::function<std::string()>& work);

} // namespace robustness
