#pragma once
// The picture loader for pictures named in layouts and settings (TIFF and
// the rest of the extension list). Never throws.
#include <QImage>
#include <QString>

namespace aerolyx {

// Loads the picture at path into out. Returns "" when it is loaded, otherwise
// the loader's message ("Ungeeigneter Dateiname", "Datei nicht
// vorhanden/verfügbar", "Leere Datei", "Bildformat wird nicht unterstützt",
// "Laden des Bildes scheitert (Loadpicture)", or a status text, a line break
// and the step that failed); out is then a null image.
QString LoadPic(const QString& path, QImage& out);

// The status text of a loader status code ("" for codes without one).
QString LoadPicStatusText(int code);

}  // namespace aerolyx
