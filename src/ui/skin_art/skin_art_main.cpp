// Draws the skin's images into a folder: quelt_skin_art <folder>. Run by
// the build, so the images are made from this code instead of being kept
// as binary files.
#include "ui/skin_art/art.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quelt_skin_art <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "quelt_skin_art: cannot create %s\n", argv[1]);
        return 1;
    }
    std::vector<skin_art::Art> art = skin_art::DrawIcons();
    for (auto& background : skin_art::DrawBackgrounds())
        art.push_back(std::move(background));
    for (const auto& piece : art) {
        const QString path = folder + "/" + piece.name;
        if (!piece.image.save(path, "PNG")) {
            std::fprintf(stderr, "quelt_skin_art: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
