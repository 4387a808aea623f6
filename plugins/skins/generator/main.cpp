// velmora_skin_generator: draws the built-in skin and writes it as the files a skin folder
// holds (.bmp, .cur) plus the C source that embeds them into skins.dll.
//   velmora_skin_generator --out DIR        skin files and DIR/skin_resources.c
//   velmora_skin_generator --preview DIR    review pictures: DIR/skin_sheet.png, skin_windows.png,
//                                           skin_closeup_main.png, skin_closeup_frames.png,
//                                           skin_closeup_fonts.png
// Needs no display and no fonts: everything is drawn pixel by pixel.
#include "cursors.h"
#include "file_formats.h"
#include "preview.h"
#include "sheets.h"

#include <QDir>
#include <cstdio>
#include <cstring>

namespace {

preview::Sheets drawSheets() {
    preview::Sheets out;
    for (std::size_t i = 0; i < skin_layout::kSheets.size(); ++i) out[i] = sheets::draw(skin_layout::kSheets[i].sheet);
    return out;
}

std::array<QImage, 6> drawCursors() {
    std::array<QImage, 6> out;
    for (std::size_t i = 0; i < skin_layout::kCursors.size(); ++i) out[i] = cursors::draw(skin_layout::kCursors[i].name);
    return out;
}

bool writeSkin(const QString& dir) {
    const preview::Sheets images = drawSheets();
    const std::array<QImage, 6> pointers = drawCursors();
    std::vector<formats::Resource> resources;
    bool ok = QDir().mkpath(dir);
    for (std::size_t i = 0; i < images.size(); ++i) {
        const skin_layout::SheetInfo& info = skin_layout::kSheets[i];
        if (images[i].width() != info.width || images[i].height() != info.height) {
            std::fprintf(stderr, "sheet %s drawn at the wrong size\n", info.name);
            return false;
        }
        const QByteArray bytes = formats::bmp24(images[i]);
        ok = formats::writeFile(dir + "/" + info.name + ".bmp", bytes) && ok;
        resources.push_back({"BITMAP", info.name, bytes});
    }
    for (std::size_t i = 0; i < pointers.size(); ++i) {
        const skin_layout::CursorInfo& info = skin_layout::kCursors[i];
        const QByteArray bytes = formats::cursor(pointers[i], info.hotX, info.hotY);
        ok = formats::writeFile(dir + "/" + QString::fromLatin1(info.name).toLower() + ".cur", bytes) && ok;
        resources.push_back({"CURSOR", info.name, bytes});
    }
    return formats::writeFile(dir + "/skin_resources.c", formats::cSource(resources)) && ok;
}

bool writePreview(const QString& dir) {
    const preview::Sheets images = drawSheets();
    return QDir().mkpath(dir) && preview::contactSheet(images, drawCursors()).save(dir + "/skin_sheet.png") &&
           preview::windows(images).save(dir + "/skin_windows.png") &&
           preview::closeUp(images, 0).save(dir + "/skin_closeup_main.png") &&
           preview::closeUp(images, 1).save(dir + "/skin_closeup_frames.png") &&
           preview::closeUp(images, 2).save(dir + "/skin_closeup_fonts.png");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--out") == 0) {
        if (writeSkin(QString::fromLocal8Bit(argv[2]))) return 0;
    } else if (argc == 3 && std::strcmp(argv[1], "--preview") == 0) {
        if (writePreview(QString::fromLocal8Bit(argv[2]))) return 0;
    } else {
        std::fprintf(stderr, "usage: %s --out DIR | --preview DIR\n", argv[0]);
        return 2;
    }
    std::fprintf(stderr, "%s: could not write into %s\n", argv[0], argv[2]);
    return 1;
}
