#pragma once

#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QString>

/**
 * Reads a picture in the format its file name's suffix gives. A plain QImage(fileName) asks every
 * image-format plug-in whether it reads the file, and loading the plug-ins (GIF, ICO, JPEG) costs
 * more than decoding the window's PNG pictures. A file whose contents do not match its suffix is
 * read again with the format guessed from its contents.
 */
inline QImage readPicture(const QString& fileName)
{
    QImageReader reader(fileName, QFileInfo(fileName).suffix().toLower().toLatin1());
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    return image.isNull() ? QImage(fileName) : image;
}
