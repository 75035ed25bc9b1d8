#pragma once

// Makes SIGINT, SIGTERM and SIGHUP remove the temporary files of outputs not
// yet complete before the process ends as the signal would have ended it;
// outputs already complete stay. Call at the start of main, before any
// other thread starts, so that every thread inherits the blocked signals.
void RemoveTemporaryFilesOnInterrupt();
