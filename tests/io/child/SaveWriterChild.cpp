// Runs one save of the save-failure tests in a process of its own:
//   save_writer_child WRITER FOLDER INPUT_FOLDER SIDE [FILE_SIZE_LIMIT]
// With a limit, every file this process writes stops growing at that many bytes (as on
// a disk that fills up there) and the write that would pass it fails. Exits 0 when the
// writer reported success, 1 when it reported failure, 2 on bad arguments.

#include "SaveWriters.h"

#include "diagnostics/CollectingSink.h"
#include "diagnostics/Diagnostics.h"
#include "io/AtomicFileWrite.h"

#include <cstdlib>
#include <sys/resource.h>

int main(int argc, char** argv)
{
    if (argc < 5)
        return 2;
    const SaveWriter* writer = saveWriterNamed(QString::fromLocal8Bit(argv[1]));
    if (writer == nullptr)
        return 2;
    diagnostics::SilentSink silent;
    diagnostics::ScopedSink scope(silent);
    const std::function<bool()> save =
        writer->prepare(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), std::atoi(argv[4]));
    if (argc > 5) {
        io::failWritesBeyondFileSizeLimit();
        const rlim_t limit = std::strtoull(argv[5], nullptr, 10);
        const rlimit fileSize{limit, limit};
        if (::setrlimit(RLIMIT_FSIZE, &fileSize) != 0)
            return 2;
    }
    return save() ? 0 : 1;
}
