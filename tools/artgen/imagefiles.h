#pragma once

// The generator's files: PNG pictures and the Windows icon, written so that two runs give the
// same bytes.

#include <QImage>
#include <QString>
#include <QTextStream>
#include <vector>

/** Writes a PNG at 96 dots per inch; on failure says why on `err`. */
bool writePng(const QImage& image, const QString& path, QTextStream& err);

/** Writes one .ico file holding the pictures (square, one per size); on failure says why on `err`. */
bool writeIco(const std::vector<QImage>& images, const QString& path, QTextStream& err);
