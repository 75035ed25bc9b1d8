#pragma once

#include "convert/model_text_writer.h"
#include "model/model_source.h"

#include <cstddef>
#include <string>

class CExecutor;

// How the lines of the objects are cut up for the threads: stretches of this
// many vertex lines, or face lines, each made into a buffer of its own.
// Stretches of about a hundred kilobytes of text: the few buffers in flight
// are reused from stretch to stretch, so their pages are soon all in memory
// and few page faults remain.
struct TextStretches
{
    std::size_t vertices = 2048;
    std::size_t faces = 4096;
};

// Computes each object's vertex normals and writes the lines of every object
// (not the header) through writer, on the executor's threads: the normals
// object by object, then the lines in stretches made on the threads and
// written in order, so that one large object keeps every thread busy too and
// the text is byte for byte that of one thread. Names are read, not changed.
void WriteObjectsOnThreads(CModelSource& model, CExecutor& executor, const std::string& textureName, bool flip,
                           CModelTextWriter& writer, const TextStretches& stretches = {});

// The whole model text written so, appended to out.
void AppendModelTextOnThreads(CModelSource& model, CExecutor& executor, const std::string& textureName, bool flip,
                              std::string& out, const TextStretches& stretches = {});
