#pragma once

#include "core/bitmaplibrary.h"
#include "core/codepage.h"
#include "core/fontlibrary.h"
#include "widgets/ledpanel.h"

#include <QString>
#include <QWidget>

#include <array>
#include <string_view>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTimer;

namespace korvel {

class TForm1;

/// A panel size the preview offers by name.
struct PanelPreset {
    std::string_view name;
    int width = 0;
    int height = 0;
};

/// The panels of the preset list, in its order; a last entry "Custom" follows them.
[[nodiscard]] const std::array<PanelPreset, 6>& panelPresets();

/// A colour an LED font can be shown in.
struct LedColour {
    std::string_view name;
    QRgb lit = 0;
};
[[nodiscard]] const std::array<LedColour, 5>& ledColours();

/// An unlit dot of a font panel: the lit colour, faint, on the board.
[[nodiscard]] QRgb dimOf(QRgb lit);
/// An unlit dot of a bitmap panel, whose dots light in eight colours.
inline constexpr QRgb kUnlitBitmapDot = 0xFF26262AU;

/// The lines of text set with the font's glyphs as the text preview sets them (through the code
/// page, glyphs on each line's bottom edge), ink lit in colour. Each line is cut where it would
/// pass kMaxContentWidth dots.
[[nodiscard]] LedContent fontContent(const FontLibrary& font, const QString& text, QRgb colour,
                                     const CodePage& page);
/// The bitmaps at positions side by side in that order, tops aligned; a pixel is lit in its
/// palette colour unless it is black. Positions outside the library are left out.
[[nodiscard]] LedContent bitmapContent(const BitmapLibrary& library,
                                       const std::vector<int>& positions);
inline constexpr int kMaxContentWidth = 16384;

/// The LED preview: the typed text (font mode) or the chosen bitmaps (bitmap mode) on an LED
/// matrix panel, still or scrolling. Non-modal; it follows the document, so an edit shows at
/// once.
class LedPreview : public QWidget {
    Q_OBJECT

public:
    explicit LedPreview(TForm1& main);
    ~LedPreview() override;

    /// The current frame's picture.
    [[nodiscard]] const QImage& frame();
    /// The current frame's dots.
    [[nodiscard]] const DotFrame& dots();
    [[nodiscard]] LedLook look() const;
    /// How far the marquee has moved the content, in dots (negative to the left).
    [[nodiscard]] int scrollOffset() const { return scrollOffset_; }
    /// One marquee step: the content moves one dot in the chosen direction.
    void advance();
    /// "Save Picture…": writes the current frame as a PNG file.
    void savePicture();
    /// Positions of the bitmaps shown, in list order.
    [[nodiscard]] std::vector<int> chosenBitmaps() const;

    QPlainTextEdit* TextEdit = nullptr;
    QListWidget* BitmapList = nullptr;
    QComboBox* PresetBox = nullptr;
    QSpinBox* PanelWidth = nullptr;
    QSpinBox* PanelHeight = nullptr;
    QSpinBox* ContentLeft = nullptr;
    QSpinBox* ContentTop = nullptr;
    QComboBox* ShapeBox = nullptr;
    QSpinBox* DotSize = nullptr;
    QComboBox* ColourBox = nullptr;
    QSpinBox* Pitch = nullptr;
    QCheckBox* Glow = nullptr;
    QComboBox* DirectionBox = nullptr;
    QSpinBox* Speed = nullptr;
    QPushButton* PlayButton = nullptr;
    QPushButton* SaveButton = nullptr;
    QTimer* ScrollTimer = nullptr;

private:
    class View;
    [[nodiscard]] QWidget* buildControls();
    void connectControls();
    void connectDocument();
    void presetChosen(int index);
    void sizeTyped();
    void playToggled(bool playing);
    void speedChanged();
    /// The content changed: the text, the chosen bitmaps or the library.
    void contentChanged();
    void modeChanged();
    /// Fills the bitmap list anew with the bitmaps at positions chosen.
    void refillBitmapList(const std::vector<int>& chosen);
    /// The chosen positions after a bitmap was inserted (step +1) or removed (-1) at position.
    [[nodiscard]] std::vector<int> shiftedChoice(int position, int step) const;
    /// The look or the panel changed: the frame is drawn anew when next shown.
    void frameChanged();
    [[nodiscard]] bool fontShown() const;

    TForm1& main_;
    View* view_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QLabel* textLabel_ = nullptr;
    QLabel* bitmapLabel_ = nullptr;
    QLabel* colourLabel_ = nullptr;
    LedContent content_;
    DotFrame dots_;
    LedRenderer renderer_;
    bool contentStale_ = true;
    bool dotsStale_ = true;
    bool imageStale_ = true;
    int scrollOffset_ = 0;
};

} // namespace korvel
