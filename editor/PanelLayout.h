// The tool panel's buttons and swatches as the form tells them apart: tags, colours, hints.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/Texts.h"
#include "editor/Geometry.h"

namespace mrv::editor {

// ToolButton1..6 share ToolButton1Click and are told apart by their Tag.
struct ToolButtonInfo {
    int32_t number;  // ToolButtonN
    int32_t tag;     // also its image index
    EditTool tool;
    const char* hint;
};
inline constexpr std::array<ToolButtonInfo, 6> kToolButtons{{
    {1, 0, EditTool::Arrow, text::kEditHintArrow},
    {2, 1, EditTool::Ellipse, text::kEditHintEllipse},
    {3, 2, EditTool::Rectangle, text::kEditHintRectangle},
    {4, 3, EditTool::RoundRect, text::kEditHintRoundRect},
    {5, 4, EditTool::Pen, text::kEditHintPen},
    {6, 5, EditTool::Text, text::kEditHintText},
}};
std::optional<EditTool> ToolForTag(int32_t tag);

// ToolButton11..13 (Tags 1, 3, 5 = the line width; images 9, 10, 11); 12 is down at start.
inline constexpr std::array<int32_t, 3> kLineWidthTags{1, 3, 5};

// Shape1..16, 15 x 15 with outline #C0DCC0, at (x, y) in Panel1.
struct SwatchInfo {
    int32_t number;  // ShapeN
    int32_t x;
    int32_t y;
    const char* hint;
    Color color;
};
inline constexpr std::array<SwatchInfo, 16> kSwatches{{
    {2, 102, 30, text::kEditHintBlack, Color::Rgb(0x00, 0x00, 0x00)},
    {4, 117, 30, text::kEditHintGrey, Color::Rgb(0x80, 0x80, 0x80)},
    {5, 132, 30, text::kEditHintMaroon, Color::Rgb(0x80, 0x00, 0x00)},
    {8, 147, 30, text::kEditHintGreen, Color::Rgb(0x00, 0x80, 0x00)},
    {10, 162, 30, text::kEditHintTeaBrown, Color::Rgb(0x00, 0x80, 0x80)},
    {12, 177, 30, text::kEditHintNavy, Color::Rgb(0x00, 0x00, 0x80)},
    {14, 192, 30, text::kEditHintPurple, Color::Rgb(0x80, 0x00, 0x80)},
    {7, 207, 30, text::kEditHintOlive, Color::Rgb(0x80, 0x80, 0x00)},
    {3, 102, 45, text::kEditHintWhite, Color::Rgb(0xFF, 0xFF, 0xFF)},
    {16, 117, 45, text::kEditHintSilver, Color::Rgb(0xC0, 0xC0, 0xC0)},
    {6, 132, 45, text::kEditHintRed, Color::Rgb(0xFF, 0x00, 0x00)},
    {9, 147, 45, text::kEditHintOrange, Color::Rgb(0x00, 0xFF, 0x00)},
    {11, 162, 45, text::kEditHintLightGreen, Color::Rgb(0x00, 0xFF, 0xFF)},
    {13, 177, 45, text::kEditHintBlue, Color::Rgb(0x00, 0x00, 0xFF)},
    {15, 192, 45, text::kEditHintFuchsia, Color::Rgb(0xFF, 0x00, 0xFF)},
    {1, 207, 45, text::kEditHintYellow, Color::Rgb(0xFF, 0xFF, 0x00)},
}};
std::optional<Color> SwatchColor(int32_t shapeNumber);

// ComboBox1's items; item 3 ("12") is selected at start.
inline constexpr std::array<std::string_view, 9> kFontSizes{"9",  "10", "11", "12", "14",
                                                            "16", "20", "22", "24"};
inline constexpr int32_t kInitialFontSizeIndex = 3;

}  // namespace mrv::editor
