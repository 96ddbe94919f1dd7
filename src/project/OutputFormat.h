#pragma once
// outputFmt.def: the four file name templates of the per-order export.

#include <QString>

#include <array>

namespace mf {

struct OutputFormatSettings {
    // 0: per-orderer folders; 1: the same with a counter; 2: one folder; 3: with a counter.
    std::array<QString, 4> values;

    void clear()
    {
        for (QString &v : values)
            v.clear();
    }
};

enum class OutputFormatStatus { NotFound, Damaged, OldVersion, Complete };

// Reads "outputFmt.def" in programFolder. A file that fails as it is read is NotFound.
OutputFormatStatus ReadOutputFormat(const QString &programFolder, OutputFormatSettings *settings);

} // namespace mf
