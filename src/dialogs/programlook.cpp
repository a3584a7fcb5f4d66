#include "dialogs/programlook.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

// The icon lives in a static library, whose resource initialiser the linker
// would drop; registering it by hand keeps ":/icons" reachable. Outside the
// namespace, as Q_INIT_RESOURCE requires.
static void initProgramResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(puckdex);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace Puckdex {

namespace {

// Frames as the layouts were drawn: the title sits on the top border line,
// which runs through its middle, so a frame's first row of boxes 16 pixels
// down clears the title. Qt's own styles put the title above the border, and
// the line would cut through those boxes. Option buttons are 13 pixels high,
// one less than Fusion's dot.
constexpr char kControlStyle[] = R"(
QGroupBox {
    border: 1px solid palette(mid);
    border-radius: 2px;
    margin-top: 6px;
}
QGroupBox::title {
    subcontrol-origin: margin;
    subcontrol-position: top left;
    left: 6px;
    padding: 0 2px;
}
QRadioButton::indicator {
    width: 13px;
    height: 13px;
}
)";

} // namespace

// The windows were drawn in twips for 8-point MS Sans Serif: 11 pixels to
// the em at 96 dpi and a narrow bitmap face, so narrow that "City:" fills
// its 19-pixel label and "Offensive Awareness:" its 106. Every scalable sans
// of today is wider (DejaVu Sans at 11 px needs 24 and 118 pixels), so we
// take one pixel off the em and narrow the glyphs to 85 %. Capitals keep
// about 7 pixels; the tightest caption against its box is still "City:",
// at 18.9 of its 19 pixels (at 87 %, QFont::SemiCondensed, it is 19.3).
//
// Sizes are in pixels, not points, because the layout is in pixels: a point
// size would grow with the screen's dpi setting (and shrink to 72 dpi on
// macOS) while the boxes stay put; Qt's device-pixel scaling enlarges both
// together on dense screens.
//
// DejaVu Sans comes first: every Debian desktop has it (fonts-dejavu-core)
// and the layout tests measure with it. Its regular "Book" face is asked for
// by name, so Qt narrows that face itself; otherwise fontconfig hands over
// DejaVu Sans Condensed where fonts-dejavu-extra is installed, whose
// different widths would make the fit depend on which packages a machine
// has. Elsewhere the platform's own dialog family applies, narrowed alike.
QFont programFont()
{
    constexpr int kPixelSize = 10;
    constexpr int kStretchPercent = 85;
    const QString dejaVu = QStringLiteral("DejaVu Sans");

    QFont font;
    font.setFamilies({dejaVu, QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()});
    font.setPixelSize(kPixelSize);
    font.setStretch(kStretchPercent);
    if (QFontInfo(font).family() == dejaVu)
        font.setStyleName(QStringLiteral("Book"));
    return font;
}

QIcon programIcon()
{
    initProgramResources();
    return QIcon(QStringLiteral(":/icons/puckdex-32.png"));
}

void applyProgramLook(QApplication &app)
{
    app.setFont(programFont());
    app.setStyleSheet(QString::fromLatin1(kControlStyle));
    // Every window that sets no icon of its own shows the shield.
    app.setWindowIcon(programIcon());
}

} // namespace Puckdex
