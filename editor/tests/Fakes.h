// Fakes of the editor's view shared by its tests: a pixel-grid surface that applies the copy
// and not-xor mixes, the picture with its undo slots, the window, text boxes and tool panel.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "editor/Drawing.h"
#include "editor/EditorView.h"
#include "editor/FrmEdit.h"
#include "editor/PanelLayout.h"
#include "editor/Surface.h"

namespace mrv::editor::test {

enum class Op { MoveTo, LineTo, Rectangle, Ellipse, RoundRect, Text };

// One drawing call as the surface saw it, with the state it was drawn in.
struct Drawn {
    Op op = Op::MoveTo;
    Point from;  // current position before a LineTo
    Point to;    // MoveTo, LineTo, Text
    Rect rect;
    Size corner;
    std::string text;
    Color pen;
    int32_t width = 0;
    PenMix mix = PenMix::Copy;
    Fill fill = Fill::Hollow;
    TextFont font;
};

class FakeSurface : public Surface {
  public:
    FakeSurface(int32_t width, int32_t height, uint32_t background = 0x00336699)
        : width_(width), height_(height), pixels_(size_t(width) * height, background) {}

    // A picture that differs from pixel to pixel, so that a wrong mix cannot go unseen.
    void FillPattern(uint32_t seed = 1) {
        uint32_t v = seed;
        for (uint32_t& p : pixels_) {
            v = v * 1103515245u + 12345u;
            p = (v >> 8) & 0xFFFFFF;
        }
    }

    void SetPenColor(Color color) override { pen_ = color; }
    void SetPenWidth(int32_t width) override { width_px_ = width; }
    void SetMix(PenMix mix) override { mix_ = mix; }
    void SetFill(Fill fill, Color color) override {
        fill_ = fill;
        fillColor_ = color;
    }
    void SetFont(const TextFont& font) override { font_ = font; }

    void MoveTo(Point to) override {
        Log(Op::MoveTo).to = to;
        pos_ = to;
    }
    void LineTo(Point to) override {
        Drawn& d = Log(Op::LineTo);
        d.from = pos_;
        d.to = to;
        Apply(LinePixels(pos_, to), {});
        pos_ = to;
    }
    void Rectangle(const Rect& rect) override {
        Log(Op::Rectangle).rect = rect;
        DrawBox(rect, false);
    }
    void Ellipse(const Rect& rect) override {
        Log(Op::Ellipse).rect = rect;
        DrawBox(rect, true);
    }
    void RoundRect(const Rect& rect, int32_t cornerWidth, int32_t cornerHeight) override {
        Drawn& d = Log(Op::RoundRect);
        d.rect = rect;
        d.corner = {cornerWidth, cornerHeight};
        DrawBox(rect, false);
    }
    void DrawTextAt(Point at, const std::string& text) override {
        Drawn& d = Log(Op::Text);
        d.to = at;
        d.text = text;
    }
    // Deterministic metrics that grow with the font size.
    Size TextExtent(const std::string& text) override {
        ++extentCalls;
        const int32_t charWidth = std::max(1, font_.sizePt * 2 / 3);
        return {charWidth * static_cast<int32_t>(text.size()), font_.sizePt * 4 / 3 + 2};
    }

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    uint32_t At(int32_t x, int32_t y) const { return pixels_[size_t(y) * width_ + x]; }
    const std::vector<uint32_t>& Pixels() const { return pixels_; }
    std::vector<uint32_t>& Pixels() { return pixels_; }
    Point Position() const { return pos_; }
    const TextFont& Font() const { return font_; }
    // How many pixels differ from `other`.
    size_t Differences(const std::vector<uint32_t>& other) const {
        size_t n = 0;
        for (size_t i = 0; i < pixels_.size(); ++i) n += pixels_[i] != other[i];
        return n;
    }
    std::vector<Drawn> calls;
    int extentCalls = 0;

  private:
    using PixelSet = std::set<std::pair<int32_t, int32_t>>;

    Drawn& Log(Op op) {
        Drawn d;
        d.op = op;
        d.pen = pen_;
        d.width = width_px_;
        d.mix = mix_;
        d.fill = fill_;
        d.font = font_;
        calls.push_back(d);
        return calls.back();
    }

    void Add(PixelSet& set, int32_t x, int32_t y) const {
        if (width_px_ <= 1) {
            set.insert({x, y});
            return;
        }
        const int32_t from = -(width_px_ / 2);
        for (int32_t dy = from; dy < from + width_px_; ++dy) {
            for (int32_t dx = from; dx < from + width_px_; ++dx) set.insert({x + dx, y + dy});
        }
    }

    // Bresenham from `a` up to, not including, `b`; every pixel once however wide the pen.
    PixelSet LinePixels(Point a, Point b) const {
        PixelSet set;
        int32_t x = a.x, y = a.y;
        const int32_t dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
        const int32_t sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
        int32_t err = dx + dy;
        while (x != b.x || y != b.y) {
            Add(set, x, y);
            const int32_t e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y += sy;
            }
        }
        return set;
    }

    // The pen is centred on the figure's border, as a wide GDI pen is: a band of its width
    // that reaches width / 2 pixels outside; the interior is filled when the fill is solid.
    void DrawBox(Rect r, bool ellipse) {
        if (r.left > r.right) std::swap(r.left, r.right);
        if (r.top > r.bottom) std::swap(r.top, r.bottom);
        if (r.left == r.right || r.top == r.bottom) return;
        const int32_t w = std::max(1, width_px_);
        const int32_t half = w / 2;
        const Rect outer{r.left - half, r.top - half, r.right + half, r.bottom + half};
        PixelSet outline, interior;
        const double cx = (outer.left + outer.right) / 2.0, cy = (outer.top + outer.bottom) / 2.0;
        const double rx = (outer.right - outer.left) / 2.0, ry = (outer.bottom - outer.top) / 2.0;
        auto inside = [&](double px, double py, double shrink) {
            const double ax = rx - shrink, ay = ry - shrink;
            if (ax <= 0 || ay <= 0) return false;
            const double nx = (px - cx) / ax, ny = (py - cy) / ay;
            return nx * nx + ny * ny <= 1.0;
        };
        for (int32_t y = outer.top; y < outer.bottom; ++y) {
            for (int32_t x = outer.left; x < outer.right; ++x) {
                bool inBand, inFigure;
                if (ellipse) {
                    inFigure = inside(x + 0.5, y + 0.5, 0);
                    inBand = inFigure && !inside(x + 0.5, y + 0.5, w);
                } else {
                    inFigure = true;
                    inBand = std::min({x - outer.left, outer.right - 1 - x, y - outer.top,
                                       outer.bottom - 1 - y}) < w;
                }
                if (inBand) {
                    outline.insert({x, y});
                } else if (inFigure) {
                    interior.insert({x, y});
                }
            }
        }
        Apply(outline, fill_ == Fill::Solid ? interior : PixelSet{});
    }

    void Apply(const PixelSet& penPixels, const PixelSet& fillPixels) {
        auto put = [&](const PixelSet& set, Color color) {
            for (auto [x, y] : set) {
                if (x < 0 || y < 0 || x >= width_ || y >= height_) continue;
                uint32_t& p = pixels_[size_t(y) * width_ + x];
                p = mix_ == PenMix::Copy ? color.ref : ~(color.ref ^ p) & 0xFFFFFF;
            }
        };
        put(penPixels, pen_);
        put(fillPixels, fillColor_);
    }

    int32_t width_, height_;
    std::vector<uint32_t> pixels_;
    Color pen_;
    int32_t width_px_ = 1;
    PenMix mix_ = PenMix::Copy;
    Fill fill_ = Fill::Solid;
    Color fillColor_ = Color::Rgb(0xFF, 0xFF, 0xFF);
    TextFont font_{"System", 10, kBlack};
    Point pos_;
};

class FakePicture : public Picture {
  public:
    FakePicture(int32_t width, int32_t height) : canvas(width, height) { canvas.FillPattern(); }
    Surface& Canvas() override { return canvas; }
    bool SaveToSlot(int32_t slot) override {
        if (failSaves) return false;
        ++saves;
        slots.at(slot) = canvas.Pixels();
        return true;
    }
    void ExchangeWithSlot(int32_t slot) override {
        if (!slots.at(slot)) throw std::logic_error("exchange with an empty undo slot");
        std::swap(*slots.at(slot), canvas.Pixels());
    }
    FakeSurface canvas;
    std::array<std::optional<std::vector<uint32_t>>, 4> slots;
    int saves = 0;
    bool failSaves = false;  // as when no memory DC or bitmap can be made
};

// What a text box went through; it outlives the box, which the form destroys.
struct TextBoxState {
    Rect bounds;
    TextFont font;
    std::string text;
    int32_t caretLine = 0;
    Point textOrigin{3, 1};  // the box's margins, as an edit control has them
    bool destroyed = false;
};

class FakeTextBox : public TextBox {
  public:
    explicit FakeTextBox(std::shared_ptr<TextBoxState> state) : state_(std::move(state)) {}
    ~FakeTextBox() override { state_->destroyed = true; }
    Rect Bounds() override { return state_->bounds; }
    void MoveTo(Point p) override {
        Rect& b = state_->bounds;
        b = {p.x, p.y, p.x + b.right - b.left, p.y + b.bottom - b.top};
    }
    void Resize(Size size) override {
        state_->bounds.right = state_->bounds.left + size.width;
        state_->bounds.bottom = state_->bounds.top + size.height;
    }
    std::string Text() override { return state_->text; }
    std::vector<std::string> Lines() override {
        std::vector<std::string> lines{""};
        for (char c : state_->text) {
            if (c == '\n') {
                lines.emplace_back();
            } else {
                lines.back() += c;
            }
        }
        return lines;
    }
    int32_t CaretLine() override { return state_->caretLine; }
    Point TextOrigin() override { return state_->textOrigin; }

  private:
    std::shared_ptr<TextBoxState> state_;
};

class FakeWindow : public EditorWindow {
  public:
    explicit FakeWindow(FakePicture& picture)
        : surface(picture.canvas.Width(), picture.canvas.Height()), picture_(picture) {
        Repaint();
        repaints = 0;
    }
    Surface& WindowSurface() override { return surface; }
    void Repaint() override {
        ++repaints;
        surface.Pixels() = picture_.canvas.Pixels();
    }
    Size ClientSize() override { return {surface.Width(), surface.Height()}; }
    void SetWindowCursor(CursorId cursor) override { windowCursor = cursor; }
    void SetAppCursor(CursorId cursor) override { appCursor = cursor; }
    std::unique_ptr<TextBox> CreateTextBox(const Rect& bounds, const TextFont& font) override {
        if (failTextBox) throw std::bad_alloc();
        auto state = std::make_shared<TextBoxState>();
        state->bounds = bounds;
        state->font = font;
        textBoxes.push_back(state);
        return std::make_unique<FakeTextBox>(state);
    }
    void EndModal(EditResult r) override { result = r; }
    void ShowError(const std::string& message) override { errors.push_back(message); }

    FakeSurface surface;
    int repaints = 0;
    CursorId windowCursor = CursorId::Default;
    CursorId appCursor = CursorId::Default;
    std::vector<std::shared_ptr<TextBoxState>> textBoxes;
    std::optional<EditResult> result;
    std::vector<std::string> errors;
    bool failTextBox = false;

  private:
    FakePicture& picture_;
};

class FakePanel : public ToolPanel {
  public:
    void SetUndoEnabled(bool enabled) override { undoEnabled = enabled; }
    void ShowFontPanel(bool visible) override { fontPanelVisible = visible; }
    void SetCurrentColor(Color color) override { currentColor = color; }
    void HidePanel() override { hidden = true; }
    Rect PanelBounds() override { return bounds; }
    void MovePanel(Point p) override {
        bounds = {p.x, p.y, p.x + bounds.right - bounds.left, p.y + bounds.bottom - bounds.top};
    }
    std::string FontSizeText() override { return fontSizeText; }

    bool undoEnabled = true;  // the form must set the start state itself
    bool fontPanelVisible = true;
    Color currentColor = Color::Rgb(1, 2, 3);
    bool hidden = false;
    Rect bounds{160, 88, 160 + 265, 88 + 62};
    std::string fontSizeText = "12";
};

// An editor on a 200 x 150 patterned picture, with helpers that act as the user would.
class EditorFixture : public ::testing::Test {
  protected:
    EditorFixture() : picture(200, 150), window(picture), form(window, picture, panel) {
        form.FormCreate();
        original = picture.canvas.Pixels();
    }

    static MouseEvent At(Point p, MouseButton button = MouseButton::Left) {
        return {button, p, {}};
    }
    void Press(Point p, MouseButton button = MouseButton::Left) {
        form.FormMouseDown(At(p, button));
    }
    void Move(Point p) { form.FormMouseMove(At(p)); }
    void Release(Point p, MouseButton button = MouseButton::Left) {
        form.FormMouseUp(At(p, button));
    }
    // Press at `from`, move in a few steps to `to`, release there.
    void Drag(Point from, Point to, int steps = 4) {
        Press(from);
        for (int i = 1; i <= steps; ++i) {
            Move({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
        }
        Release(to);
    }
    void SelectTool(EditTool tool) {
        for (const ToolButtonInfo& b : kToolButtons) {
            if (b.tool == tool) form.ToolButton1Click(b.tag);
        }
    }
    bool PressKey(Key key, bool ctrl = false, KeyFocus focus = KeyFocus::Window) {
        KeyEvent e;
        e.key = key;
        e.mods.ctrl = ctrl;
        e.focus = focus;
        return form.FormKeyDown(e);
    }

    // The picture as it was at opening with `draw` applied on a surface like the window's.
    template <typename Draw>
    std::vector<uint32_t> OriginalWith(Draw draw) const {
        FakeSurface s(picture.canvas.Width(), picture.canvas.Height());
        s.Pixels() = original;
        draw(s);
        return s.Pixels();
    }
    size_t CallsOn(const FakeSurface& s, Op op) const {
        size_t n = 0;
        for (const Drawn& d : s.calls) n += d.op == op;
        return n;
    }

    FakePicture picture;
    FakeWindow window;
    FakePanel panel;
    TFrmEdit form;
    std::vector<uint32_t> original;
};

}  // namespace mrv::editor::test
