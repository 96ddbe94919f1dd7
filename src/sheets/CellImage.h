#pragma once
// One photo made ready for its cell of a sample sheet: loaded, turned upright, edges cut,
// trimmed to the L-size proportion and reduced to the size it is drawn at. Made on worker
// threads, so it takes no services and shows no message: the caller reports the result.

#include <QImage>
#include <QString>

#include <atomic>
#include <functional>

namespace mf {

struct CellRequest {
    QString path;
    int dpi = 300;         // of the output size: the cut edges are 1 mm of page pixels
    int cellWidth = 0;     // photoWidth of the output size
    int cellHeight = 0;    // photoHeight
    bool cutEdges = false; // cut 1 mm off every edge
    bool lTrim = false;    // trim to the L-size proportion
    bool highQuality = false;
    bool upright = true; // honour the EXIF orientation
};

enum CellResult {
    CellOk = 0,
    CellTooSmall = -1, // loaded, but below the minimum photo size
    CellNotLoadable = -2,
    CellCropFailed = -3, // the L-size crop could not be made
    CellStopped = -4,    // the stop request came during the high-quality reduction
    CellNoMemory = -5,
};

struct CellImage {
    int result = CellNotLoadable;
    QImage image; // drawnWidth x drawnHeight, Format_BGR888
    int drawnWidth = 0;
    int drawnHeight = 0;
    int offsetX = 0; // of the drawn rectangle inside the cell
    int offsetY = 0;
};

// The whole way from the file to the cell-sized image. stop may be null.
CellImage MakeCell(const CellRequest &request, const std::atomic<bool> *stop);

// What makes a cell on a worker: MakeCell, or a stand-in of a test.
using CellMaker = std::function<CellImage(const CellRequest &, const std::atomic<bool> *stop)>;

} // namespace mf
