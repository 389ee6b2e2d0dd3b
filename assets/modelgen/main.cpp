// Makes Morvane's model library from primitives: every model file the system
// loads, the default ground picture and a picture for every part-bar button,
// all below a program folder. The build runs it; nothing in the library comes
// from elsewhere, and the same sources always give the same bytes.
//
//   morvane_modelgen <program folder>   writes the library
//   morvane_modelgen --print-setup      prints the set-up file's model entries

#include "Catalogue.h"
#include "GroundPicture.h"
#include "IconRenderer.h"
#include "ModelFile.h"
#include "SetUpFragment.h"

#include <QImage>
#include <QString>

#include <osg/Notify>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

namespace {

bool SavePicture(const QImage& image, const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error || !image.save(QString::fromStdString(path.string()), "PNG")) {
        std::fprintf(stderr, "modelgen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

IconRenderer::Item IconItem(const ModelSpec& spec, const Piece& piece) {
    return { spec.PieceMesh(piece), piece.colour };
}

bool WriteLibrary(const std::filesystem::path& programDir) {
    const std::vector<ModelSpec> catalogue = BuildCatalogue();
    const IconRenderer icons;
    std::set<std::string> pictures;
    bool ok = true;
    for (const ModelSpec& spec : catalogue) {
        ok = WriteModelFile(spec, programDir) && ok;
        if (spec.bars.empty() || !pictures.insert(spec.BarImage()).second)
            continue;
        std::vector<IconRenderer::Item> items;
        for (const Piece& piece : spec.pieces)
            items.push_back(IconItem(spec, piece));
        ok = SavePicture(icons.Render(items), programDir / spec.BarImage()) && ok;
    }
    ok = SavePicture(PaintGroundPicture(), programDir / "map/default.png") && ok;
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--print-setup") == 0) {
        const std::string text = SetUpFragment(BuildCatalogue());
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: %s <program folder>\n       %s --print-setup\n", argv[0], argv[0]);
        return 2;
    }
    osg::setNotifyLevel(osg::WARN);
    return WriteLibrary(argv[1]) ? 0 : 1;
}
