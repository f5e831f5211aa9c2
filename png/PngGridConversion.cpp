#include "png/PngToGrid.h"

#include "png/PngGridText.h"
#include "png/PngImageDecoder.h"
#include "png/PngRowSink.h"

#include "grid/FixedFormat.h"
#include "grid/HeightRowRing.h"
#include "grid/HeightRowText.h"
#include "io/AtomicFileWrite.h"

#include <QFile>

#include <optional>
#include <string>
#include <thread>

// The conversion from a PNG file to an ASCII grid: the decoder runs on a thread of its
// own and hands each row's heights through a ring of a few rows to the grid writer,
// which formats them on the other cores and writes them in order. Neither the image's
// pixels nor its heights are ever held whole.

namespace {

// Each decoded row's heights go into the ring, waiting there for room when the writer is
// a ring's worth of rows behind.
class RingRows : public PngRowSink {
public:
    explicit RingRows(HeightRowRing& ring) : ring(ring) {}

    void startRows(int width, int height, bool) override
    {
        ring.start(static_cast<std::size_t>(height), static_cast<std::size_t>(width),
                   heightRowsInFlight(static_cast<std::size_t>(width)));
    }

    void takeRow(int, const unsigned char* rgba, const std::uint16_t* grey16) override
    {
        pngRowHeights(rgba, grey16, static_cast<int>(ring.columns()), ring.rowToFill());
        ring.rowFilled();
    }

private:
    HeightRowRing& ring;
};

// Writes the rows as they come into a temporary beside gridPath, whole on the disk;
// false when it could not be made or written.
bool writeRingRows(HeightRowRing& ring, std::optional<io::AtomicFileWrite>& file, const QString& gridPath)
{
    file.emplace(QFile::encodeName(gridPath).toStdString());
    if (!file->isOpen())
        return false;
    std::string header;
    appendPngGridHeader(header, static_cast<int>(ring.columns()), static_cast<int>(ring.rows()));
    FixedFormatWriter out(file->stream());
    out.text(header);
    writeHeightRows(out, ring.rows(), [&](std::size_t row) { return ring.row(row); },
                    HeightRowPacing{[&](std::size_t end) { ring.waitForRows(end); },
                                    [&](std::size_t end) { ring.rowsWritten(end); }});
    return out.finish() && file->finishWriting();
}

} // namespace

bool convertPngToGrid(const QString& pngPath, const QString& gridPath, QString& errorText)
{
    PngImageDecoder decoder;
    HeightRowRing ring;
    RingRows rows(ring);
    decoder.deliverRowsTo(rows);
    int result = -1;
    std::thread decoding([&] {
        result = decoder.decodeFile(pngPath);
        ring.end();
    });

    // The file is made only for an image whose header was accepted. Once the writer is
    // done (or has failed) the decoder never waits for it.
    std::optional<io::AtomicFileWrite> file;
    bool written = false;
    try {
        written = ring.waitForStart() && writeRingRows(ring, file, gridPath);
    } catch (...) {
        ring.abandon();
        decoding.join();
        throw;
    }
    ring.abandon();
    decoding.join();

    // An image refused on the way takes its temporary file with it.
    if (refuseUndecodedPng(decoder, result, pngPath, errorText))
        return false;
    if (!written || !file->commit()) {
        errorText = QStringLiteral("Error when attempting to write to ") + gridPath;
        return false;
    }
    return true;
}
