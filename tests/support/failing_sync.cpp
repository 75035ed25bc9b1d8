// A disk whose syncs fail, preloaded into the converter: syncing the data
// alone fails as a failing disk fails it, and a whole sync as a full
// thin-provisioned one does, so that a test can tell which was reported.
#include <cerrno>

extern "C" int fdatasync(int)
{
    errno = EIO;
    return -1;
}

extern "C" int fsync(int)
{
    errno = ENOSPC;
    return -1;
}
