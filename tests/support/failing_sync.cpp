// A disk whose syncs fail, preloaded into the converter: starting the
// writeback of a large output early fails as a failing disk fails it, and
// the final sync as a full thin-provisioned one does, so that a test can
// tell which was reported.
#include <cerrno>
#include <fcntl.h>

extern "C" int sync_file_range(int, off_t, off_t, unsigned int)
{
    errno = EIO;
    return -1;
}

extern "C" int fsync(int)
{
    errno = ENOSPC;
    return -1;
}
