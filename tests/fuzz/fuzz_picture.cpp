// A picture named in a layout or the settings: the same bytes under every
// extension the loader knows. Failure says why and gives no image; success
// gives an image of a size a data sheet can hold.
#include <QImage>
#include <filesystem>
#include <vector>

#include "support/GuiApp.h"
#include "FuzzSupport.h"
#include "output/LoadPic.h"

using namespace aerolyx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    test::EnsureGuiApp();
    static const std::vector<QString> names = [] {
        std::vector<QString> v;
        for (const char* ext : {".bmp", ".png", ".jpg", ".jpeg", ".gif", ".tif", ".tiff", ".ico", ".cur", ".wmf", ".emf",
                                ".svg", ".dib"}) {
            const std::string link = fuzz::ScratchDir() + "/pic" + ext;
            std::error_code ec;
            std::filesystem::create_symlink("pic.dat", link, ec);
            v.push_back(QString::fromStdString(link));
        }
        return v;
    }();
    fuzz::WriteScratch("pic.dat", fuzz::Bytes(data, size));
    for (const QString& path : names) {
        QImage img;
        const QString msg = LoadPic(path, img);
        if (msg.isEmpty() == img.isNull()) std::abort();
        if (!img.isNull() && (img.width() <= 0 || img.height() <= 0 || img.sizeInBytes() > (qsizetype(256) << 20)))
            std::abort();
    }
    return 0;
}
