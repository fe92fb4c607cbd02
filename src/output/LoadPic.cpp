#include "output/LoadPic.h"

#include <QFileInfo>
#include <QImageReader>
#include <QStringList>
#include <new>

namespace aerolyx {

namespace {

const QString kBadName = QStringLiteral("Ungeeigneter Dateiname");
const QString kMissing = QStringLiteral("Datei nicht vorhanden/verfügbar");
const QString kEmpty = QStringLiteral("Leere Datei");
const QString kUnsupported = QStringLiteral("Bildformat wird nicht unterstützt");
const QString kLoadFailed = QStringLiteral("Laden des Bildes scheitert (Loadpicture)");
const QString kInitFailed = QStringLiteral("Initialisierung scheitert");
const QString kFromFileFailed = QStringLiteral("Bitmap kann nicht aus Bild-Datei erstellt werden");
const QString kHandleFailed = QStringLiteral("Bitmap-Handle kann nicht erzeugt werden");
const QString kFromHandleFailed = QStringLiteral("Bitmap kann nicht aus Handle erstellt werden");

// Status codes of the decoder route.
enum Status {
    kInvalidParameter = 2,
    kOutOfMemory = 3,
    kFileNotFound = 10,
    kAccessDenied = 12,
    kUnknownImageFormat = 13,
};

// The formats of the classic loader; the rest of the list goes through the
// decoder route with status texts.
bool ClassicLoaderFormat(const QString& ext)
{
    static const QStringList kClassic = {".bmp", ".dib", ".rle", ".ico", ".cur", ".emf",
                                         ".wmf", ".gif", ".jpe", ".jpg", ".jpeg", ".jfif"};
    return kClassic.contains(ext);
}

QString Extension(const QString& path)
{
    static const QStringList kFour = {".bmp", ".dib", ".rle", ".ico", ".cur", ".emf", ".wmf", ".gif",
                                      ".png", ".tif", ".jpe", ".jpg"};
    static const QStringList kFive = {".tiff", ".jpeg", ".jfif"};
    const QString four = path.right(4).toLower();
    if (kFour.contains(four)) return four;
    const QString five = path.right(5).toLower();
    if (kFive.contains(five)) return five;
    return {};
}

QString WithStatus(int code, const QString& step)
{
    const QString status = LoadPicStatusText(code);
    return status.isEmpty() ? step : status + QStringLiteral("\r\n") + step;
}

int StatusOf(QImageReader::ImageReaderError e)
{
    switch (e) {
    case QImageReader::FileNotFoundError:
        return kFileNotFound;
    case QImageReader::DeviceError:
        return kAccessDenied;
    case QImageReader::UnsupportedFormatError:
        return kUnknownImageFormat;
    case QImageReader::InvalidDataError:
        return kInvalidParameter;
    default:
        return 0;
    }
}

QString Load(const QString& path, QImage& out)
{
    if (path.size() < 5) return kBadName;
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) return kMissing;
    if (info.size() < 10) return kEmpty;
    const QString ext = Extension(path);
    if (ext.isEmpty()) return kUnsupported;

    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (ClassicLoaderFormat(ext)) {
        QImage img = reader.read();
        if (img.isNull()) return kLoadFailed;
        out = std::move(img);
        return {};
    }

    // Decoder route: no decoder for the file's format is the failed start.
    const QByteArray format = reader.format();
    if (format.isEmpty() || !QImageReader::supportedImageFormats().contains(format)) {
        if (reader.error() == QImageReader::DeviceError) return WithStatus(kAccessDenied, kFromFileFailed);
        return WithStatus(kUnknownImageFormat, kInitFailed);
    }
    QImage img = reader.read();
    if (img.isNull()) return WithStatus(StatusOf(reader.error()), kFromFileFailed);
    if (img.width() <= 0 || img.height() <= 0) return kHandleFailed;
    QImage converted = img.convertToFormat(img.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                 : QImage::Format_RGB32);
    if (converted.isNull()) return WithStatus(kOutOfMemory, kFromHandleFailed);
    out = std::move(converted);
    return {};
}

}  // namespace

QString LoadPicStatusText(int code)
{
    switch (code) {
    case 1: return QStringLiteral("fehlerhafte Initialisierung");
    case 2: return QStringLiteral("Ungeeigneter Parameter");
    case 3: return QStringLiteral("Speichermangel");
    case 4: return QStringLiteral("GDIPlus ist noch beschäftigt");
    case 5: return QStringLiteral("Buffer zu klein");
    case 7: return QStringLiteral("Windows32-Fehler");
    case 8: return QStringLiteral("Falscher interner Zustand");
    case 9: return QStringLiteral("Abbruch der Operation");
    case 10: return QStringLiteral("Datei nicht gefunden");
    case 11: return QStringLiteral("Wert-Überlauf");
    case 12: return QStringLiteral("Zugriff verweigert");
    case 13: return QStringLiteral("unbekanntes Bildformat");
    case 17: return QStringLiteral("GDIPlus-Version wird nicht unterstützt");
    case 18: return QStringLiteral("Keine GDIPlus-Verbindung");
    case 19: return QStringLiteral("Eigenschaft nicht gefunden");
    case 20: return QStringLiteral("Eigenschaft wird nicht unterstützt");
    default: return {};
    }
}

QString LoadPic(const QString& path, QImage& out)
{
    out = QImage();
    try {
        QString msg = Load(path.trimmed(), out);
        if (!msg.isEmpty()) out = QImage();
        return msg;
    } catch (const std::bad_alloc&) {
        out = QImage();
        return WithStatus(kOutOfMemory, kFromFileFailed);
    } catch (...) {
        out = QImage();
        return kLoadFailed;
    }
}

}  // namespace aerolyx
