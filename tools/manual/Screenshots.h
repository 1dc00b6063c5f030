#pragma once
#include <QString>
#include <QStringList>

namespace manual {

// Starts the real main window (offscreen), drives it the way an operator does on the sample
// files and saves every picture the manual shows into `outFolder` as PNG files. Returns the
// file names written. Throws std::runtime_error when the window shows a message or does not
// show what the manual describes.
QStringList takeScreenshots(const QString& sampleFolder, const QString& outFolder);

} // namespace manual
