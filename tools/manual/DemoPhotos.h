#pragma once
// Camera folders for the manual's demo project: made-up photos drawn on the spot, so that the
// manual builds anywhere without real photos of real pupils.

#include <QString>

namespace manual {

// Writes count JPEGs named DSC_<first>.jpg, DSC_<first+1>.jpg, ... into folder (created when
// missing). seed varies the pictures between folders. False when a file could not be written.
bool writeDemoPhotos(const QString &folder, int first, int count, int seed);

} // namespace manual
