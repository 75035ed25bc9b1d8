#pragma once

// Why an operation on a model file failed: the front ends choose their
// exit status, dialog text and report fields from this, never from the
// message's words.
enum class ErrorKind
{
    None,             // it succeeded
    BadRequest,       // the request cannot be carried out as asked: no input or output named, frames outside the animation
    InputUnreadable,  // the input cannot be opened or read
    NotAModel,        // the input is not a model file of a format that is read
    Damaged,          // the input is truncated or contradicts itself
    TooLarge,         // the input asks for more than the fixed limits allow (an animation too long to place)
    OutputUnwritable, // the output cannot be created or written
    OutOfMemory,      // the system could not give the memory the file needs
};
