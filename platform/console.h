#pragma once

#include <string>

// Readies the process of a command-line program; call at the start of main.
// A write that fails (a file size limit, a closed pipe) then reports its
// failure rather than ending the process, and standard input and output
// carry bytes unchanged: on Windows they are put in binary mode, where text
// mode would turn each line feed into a carriage return and line feed.
void PrepareCommandLineProcess();

// Writes text and a line feed to standard error with a single write where
// the system allows, so that lines from threads and processes sharing it do
// not interleave. The text is UTF-8; a Windows console is given it as
// wide characters, which it shows whatever its code page.
void WriteErrorLine(const std::string& text);
