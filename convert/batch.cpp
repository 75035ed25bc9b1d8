#include "convert/batch.h"

#include "convert/run_steps.h"
#include "platform/atomic_output_file.h"
#include "platform/disk_pool.h"
#include "platform/executor.h"
#include "platform/system_error.h"

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <new>

namespace
{
// A converted file whose output waits for the disk: all the disk pool's job
// needs, in one block taken before the file is converted, so that handing it
// over takes no memory.
struct CWaitingFile
{
    std::size_t index = 0;
    CAtomicOutputFile output;
    std::string outputPath;
    ConversionResult result;
};

// The ends of a batch's files, reported one at a time, and the files still
// waiting for the disk, which refer to the batch's state: the batch returns
// only when none is left.
class CBatchEnds
{
public:
    explicit CBatchEnds(const BatchFileDone& done) : m_done(done) {}
    ~CBatchEnds() { WaitForDisk(); }
    CBatchEnds(const CBatchEnds&) = delete;
    CBatchEnds& operator=(const CBatchEnds&) = delete;

    void Report(std::size_t index, const ConversionResult& result)
    {
        const std::lock_guard lock(m_mutex);
        m_done(index, result);
    }

    // Commits the file on a thread of the disk pool, which reports it.
    void CommitInBackground(std::unique_ptr<CWaitingFile> file)
    {
        {
            const std::lock_guard lock(m_mutex);
            ++m_nWaiting;
        }
        // Two pointers: std::function holds them without taking memory.
        disk_pool::Run([this, waiting = file.release()] { Commit(std::unique_ptr<CWaitingFile>(waiting)); });
    }

    // Rethrows what a report on a disk thread threw.
    void Finish()
    {
        WaitForDisk();
        if (m_error)
            std::rethrow_exception(m_error);
    }

private:
    // On a disk thread, where nothing may throw: the first exception is kept
    // for the batch's thread.
    void Commit(std::unique_ptr<CWaitingFile> file)
    {
        const bool committed = file->output.Commit();
        const int error = committed ? 0 : LastSystemError();
        const std::lock_guard lock(m_mutex);
        try
        {
            ReportCommit(file->result, committed, error, file->outputPath);
            m_done(file->index, file->result);
        }
        catch (...)
        {
            if (!m_error)
                m_error = std::current_exception();
        }
        file.reset();
        --m_nWaiting;
        // Under the lock: once the batch sees no file left, this object goes.
        m_diskDone.notify_all();
    }

    void WaitForDisk()
    {
        std::unique_lock lock(m_mutex);
        m_diskDone.wait(lock, [this] { return m_nWaiting == 0; });
    }

    const BatchFileDone& m_done;
    std::mutex m_mutex;
    std::condition_variable m_diskDone;
    std::size_t m_nWaiting = 0;
    std::exception_ptr m_error;
};
} // namespace

void RunBatch(std::vector<ConversionRequest> requests, CExecutor& executor,
              const std::function<CStatusSink&(std::size_t)>& statusOf, const BatchFileDone& done)
{
    for (ConversionRequest& request : requests)
        request.executor = &executor;
    CBatchEnds ends(done);
    executor.ForEach(requests.size(), [&](std::size_t index) {
        const ConversionRequest& request = requests[index];
        CStatusSink& status = statusOf(index);
        // With one file there is nothing to do while it waits for the disk.
        if (request.operation != Operation::Convert || requests.size() == 1)
            return ends.Report(index, RunConversion(request, status));
        std::unique_ptr<CWaitingFile> file(new (std::nothrow) CWaitingFile);
        if (!file)
            return ends.Report(index, RunConversion(request, status)); // which fails as it should
        file->index = index;
        file->result = WriteConversion(request, status, file->output, file->outputPath);
        if (!file->result.Succeeded())
            return ends.Report(index, file->result);
        ends.CommitInBackground(std::move(file));
    });
    ends.Finish();
}
