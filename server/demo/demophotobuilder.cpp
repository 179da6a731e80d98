#include "demophotobuilder.h"

#include "demodraft.h"
#include "pngencoder.h"
#include "vocabulary.h"

#include <iterator>

using namespace orvanta;

namespace {

// A 5 x 5 grid of 16-pixel cells with an 8-pixel border fills the 96 pixels.
constexpr int GridCells = 5;
constexpr int CellPixels = 16;
constexpr int BorderPixels = 8;

struct Rgb
{
    char red;
    char green;
    char blue;
};

const Rgb Backgrounds[] = {{char(0x22), char(0xB1), char(0xA9)}, {char(0xF3), char(0x83), char(0x00)},
                           {char(0x00), char(0x8D), char(0xF3)}, {char(0x8E), char(0x5B), char(0xC2)},
                           {char(0xD9), char(0x4F), char(0x5C)}, {char(0x4A), char(0x90), char(0x4E)}};
const Rgb Foreground = {char(0xFF), char(0xFF), char(0xFF)};

} // namespace

void DemoPhotoBuilder::addPhotos()
{
    const QString name = QLatin1String(db::subject::PHOTO);
    for (const DemoEmployee& employee : qAsConst(m_draft.employees)) {
        if (m_draft.random.chance(PhotoPercent))
            m_draft.org.blobs[employee.uid].insert(name, photo());
    }
}

QByteArray DemoPhotoBuilder::photo()
{
    const Rgb background = Backgrounds[m_draft.random.index(int(std::size(Backgrounds)))];
    // Columns 0 and 1 mirror 4 and 3, so a face-like symmetry comes out of 15 random cells.
    bool filled[GridCells][GridCells];
    for (int row = 0; row < GridCells; ++row) {
        for (int column = 0; column <= GridCells / 2; ++column)
            filled[row][column] = filled[row][GridCells - 1 - column] = m_draft.random.chance(50);
    }
    // Never a blank square: the centre is always drawn.
    filled[GridCells / 2][GridCells / 2] = true;
    QByteArray rgb;
    rgb.reserve(PhotoSize * PhotoSize * 3);
    for (int y = 0; y < PhotoSize; ++y) {
        for (int x = 0; x < PhotoSize; ++x) {
            const int row = (y - BorderPixels) / CellPixels;
            const int column = (x - BorderPixels) / CellPixels;
            const bool inside = y >= BorderPixels && x >= BorderPixels && row < GridCells && column < GridCells;
            const Rgb& pixel = inside && filled[row][column] ? Foreground : background;
            rgb.append(pixel.red).append(pixel.green).append(pixel.blue);
        }
    }
    return PngEncoder::encodeRgb(PhotoSize, PhotoSize, rgb);
}
