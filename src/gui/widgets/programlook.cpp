#include "widgets/programlook.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPainter>
#include <QProxyStyle>
#include <QStringList>
#include <QStyleOptionGroupBox>

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
//
// A proxy of the platform's style rather than a style sheet: a style sheet
// puts every widget of every window through Qt's style-sheet machinery,
// which made up a sixth of the work of starting the program.
class ProgramStyle : public QProxyStyle
{
public:
    // Windows gives lists and drop-down lists fonts of its own, in place of
    // the program's (and gives them again when its settings change); these
    // keep the program's font, as on Linux.
    //
    // Every window shows where the focus is from the start, not only after
    // the first Tab: many of our users edit by keyboard alone.
    void polish(QWidget *widget) override
    {
        QProxyStyle::polish(widget);
        if (qobject_cast<QAbstractItemView *>(widget) || qobject_cast<QComboBox *>(widget))
            widget->setFont(QApplication::font());
        if (widget->isWindow())
            widget->installEventFilter(this);
    }
    using QProxyStyle::polish;

    // Showing a window clears the flag, so it is set once the window shows.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            static_cast<QWidget *>(watched)->setAttribute(Qt::WA_KeyboardFocusChange);
        return QProxyStyle::eventFilter(watched, event);
    }

    int pixelMetric(PixelMetric metric, const QStyleOption *option,
                    const QWidget *widget) const override
    {
        if (metric == PM_ExclusiveIndicatorWidth || metric == PM_ExclusiveIndicatorHeight)
            return kOptionDot;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl part,
                         const QWidget *widget) const override
    {
        const auto *frame = qstyleoption_cast<const QStyleOptionGroupBox *>(option);
        if (control != CC_GroupBox || !frame)
            return QProxyStyle::subControlRect(control, option, part, widget);
        const QRect box = frame->rect;
        switch (part) {
        case SC_GroupBoxFrame:
            return box.adjusted(0, kBorderTop, 0, 0);
        case SC_GroupBoxLabel:
            return labelRect(*frame);
        case SC_GroupBoxContents:
            // Below the title (titleRect()), whose height is the font's: its
            // width, which takes laying out the text, does not matter here.
            return box.adjusted(1, std::max(kBorderTop + 1, box.top() + frame->fontMetrics.height()),
                                -1, -1);
        default:
            return {};
        }
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                            QPainter *painter, const QWidget *widget) const override
    {
        const auto *frame = qstyleoption_cast<const QStyleOptionGroupBox *>(option);
        if (control != CC_GroupBox || !frame) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        painter->save();
        const QRect title = titleRect(*frame);
        if (frame->subControls & SC_GroupBoxFrame) {
            // The border, with a gap where the title sits on it.
            QRegion around(frame->rect);
            if (!frame->text.isEmpty())
                around -= title;
            painter->setClipRegion(around);
            painter->setPen(frame->palette.color(QPalette::Mid));
            painter->setBrush(Qt::NoBrush);
            painter->drawRoundedRect(frame->rect.adjusted(0, kBorderTop, -1, -1), kBorderRadius,
                                     kBorderRadius);
            painter->setClipping(false);
        }
        if ((frame->subControls & SC_GroupBoxLabel) && !frame->text.isEmpty()) {
            drawItemText(painter, labelRect(*frame),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, frame->palette,
                         frame->state & State_Enabled, frame->text, QPalette::WindowText);
        }
        painter->restore();
    }

private:
    static constexpr int kOptionDot = 13;
    static constexpr int kBorderTop = 6;
    static constexpr int kBorderRadius = 2;
    static constexpr int kTitleIndent = 6;
    static constexpr int kTitlePadding = 2;

    static QRect titleRect(const QStyleOptionGroupBox &frame)
    {
        const int width = frame.fontMetrics.horizontalAdvance(frame.text) + 2 * kTitlePadding;
        return {frame.rect.left() + kTitleIndent, frame.rect.top(), width,
                frame.fontMetrics.height()};
    }

    // The text inside the gap: past the padding and one pixel more, the
    // width of the border line, so it sits centred in the gap.
    static QRect labelRect(const QStyleOptionGroupBox &frame)
    {
        return titleRect(frame).adjusted(kTitlePadding + 1, 0, -kTitlePadding + 1, 0);
    }
};

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
    // Widths as Linux desktops measure them (hinted only up and down), on
    // Windows too, whose full hinting rounds each glyph's advance up.
    font.setHintingPreference(QFont::PreferVerticalHinting);
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
    app.setStyle(new ProgramStyle);
    // Every window that sets no icon of its own shows the shield.
    app.setWindowIcon(programIcon());
}

} // namespace Puckdex
