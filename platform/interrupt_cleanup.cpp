#include "platform/interrupt_cleanup.h"

void RemoveTemporaryFilesOnInterrupt()
{
}
