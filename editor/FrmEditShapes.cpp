// The adjustable shapes of the editor form: creation, hit zones, moving, resizing, the size
// rule at release and the commit.
#include <cstdlib>

#include "editor/Drawing.h"
#include "editor/FrmEdit.h"

namespace mrv::editor {

namespace {

// Beyond this many pixels on both sides a shape is kept at release.
constexpr int32_t kMinShapeSide = 8;
constexpr int32_t kGrip = 4;

}  // namespace

int32_t HitZoneAt(const Rect& shape, Point p) {
    const int32_t w = shape.right - shape.left;
    const int32_t h = shape.bottom - shape.top;
    const Rect zones[8] = {
        {-4, -4, 4, 4},        // top-left corner, centred on it
        {w - 4, h - 4, w, h},  // bottom-right corner
        {w - 4, 0, w, 4},      // top-right corner
        {0, h - 4, 4, h},      // bottom-left corner
        {4, 0, w - 4, 4},      // top edge
        {0, 4, 4, h - 4},      // left edge
        {w - 4, 4, w, h - 4},  // right edge
        {4, h - 4, w - 4, h},  // bottom edge
    };
    for (int32_t zone = 0; zone < 8; ++zone) {
        if (OffsetRectCopy(zones[zone], shape.left, shape.top).Contains(p)) return zone;
    }
    return -1;
}

CursorId CursorForZone(int32_t zone) {
    switch (zone) {
        case 0:
        case 1:
            return CursorId::SizeNwse;
        case 2:
        case 3:
            return CursorId::SizeNesw;
        case 4:
        case 7:
            return CursorId::SplitUpDown;
        case 5:
        case 6:
            return CursorId::SplitLeftRight;
        default:
            return CursorId::Cross;
    }
}

void TFrmEdit::RefreshOutline() {
    if (!shapeActive_) return;
    Surface& w = window_.WindowSurface();
    w.SetMix(PenMix::NotXor);
    w.SetFill(Fill::Hollow, kBlack);
    if (outlineShown_) {
        w.SetPenWidth(outlineWidth_);
        w.SetPenColor(outlineColor_);
        DrawShape(w, currentTool_, outlineRect_);
    }
    w.SetPenWidth(lineWidth_);
    w.SetPenColor(penColor_);
    DrawShape(w, currentTool_, shapeRect_);
    outlineRect_ = shapeRect_;
    outlineColor_ = penColor_;
    outlineWidth_ = lineWidth_;
    outlineShown_ = true;
}

void TFrmEdit::ShapeMouseDown(Point p) {
    if (!shapeActive_) {
        shapeActive_ = true;
        dragging_ = true;
        shapeRect_ = outlineRect_ = {p.x, p.y, p.x, p.y};
        outlineShown_ = false;  // nothing is on the window yet
    } else if (hitZone_ != -1) {
        resizing_ = true;
    } else if (InflateRectCopy(shapeRect_, kGrip, kGrip).Contains(p)) {
        moving_ = true;
        lastMovePoint_ = p;
    }
    // Anywhere else the active shape stays as it is, and no second one can be started.
}

void TFrmEdit::ShapeMouseMove(Point p) {
    RefreshOutline();
    if (dragging_) {
        shapeRect_.right = p.x;
        shapeRect_.bottom = p.y;
        RefreshOutline();
        return;
    }
    if (moving_ && InflateRectCopy(shapeRect_, kGrip, kGrip).Contains(p)) {
        // The outline follows at the next event's refresh.
        shapeRect_ = OffsetRectCopy(shapeRect_, p.x - lastMovePoint_.x, p.y - lastMovePoint_.y);
        lastMovePoint_ = p;
        return;
    }
    if (!resizing_) {
        hitZone_ = shapeActive_ ? HitZoneAt(shapeRect_, p) : -1;
        window_.SetWindowCursor(CursorForZone(hitZone_));
        return;
    }
    ResizeShape(p);
    RefreshOutline();
}

void TFrmEdit::ResizeShape(Point p) {
    Rect& r = shapeRect_;
    switch (hitZone_) {
        case 0:
            r.left = p.x;
            r.top = p.y;
            break;
        case 1:
            r.right = p.x;
            r.bottom = p.y;
            break;
        case 2:
            r.right = p.x;
            r.top = p.y;
            break;
        case 3:
            r.left = p.x;
            r.bottom = p.y;
            break;
        case 4:
            r.top = p.y;
            break;
        case 5:
            r.left = p.x;
            break;
        case 6:
            r.right = p.x;
            break;
        case 7:
            r.bottom = p.y;
            break;
        default:
            break;
    }
}

void TFrmEdit::ShapeMouseUp() {
    const bool keep = std::abs(shapeRect_.right - shapeRect_.left) > kMinShapeSide &&
                      std::abs(shapeRect_.bottom - shapeRect_.top) > kMinShapeSide;
    if (!keep) {
        // Nothing is committed and no undo step recorded; the repaint removes the previews.
        shapeActive_ = dragging_ = resizing_ = moving_ = false;
        ClearShape();
        window_.Repaint();
        return;
    }
    Surface& w = window_.WindowSurface();
    if (!handleRect_.IsEmpty()) {
        w.SetPenWidth(handleWidth_);
        DrawHandles(w, handleRect_);
    }
    w.SetPenWidth(lineWidth_);
    DrawHandles(w, shapeRect_);
    handleRect_ = shapeRect_;
    handleWidth_ = lineWidth_;
    dragging_ = resizing_ = moving_ = false;
    NormalizeRect(shapeRect_);
}

void TFrmEdit::CommitShape(Step step) {
    if (step == Step::Record) RecordUndoStep();
    Surface& c = picture_.Canvas();
    c.SetPenWidth(lineWidth_);
    c.SetMix(PenMix::Copy);
    c.SetFill(Fill::Hollow, kBlack);
    c.SetPenColor(penColor_);
    DrawShape(c, currentTool_, shapeRect_);
}

bool TFrmEdit::EndActiveShape(Step step) {
    if (!shapeActive_) return false;
    // Committed first: a commit that fails leaves the shape active, not lost.
    CommitShape(step);
    shapeActive_ = dragging_ = resizing_ = moving_ = false;
    ClearShape();
    return true;
}

void TFrmEdit::ClearShape() {
    shapeRect_ = outlineRect_ = handleRect_ = {};
    hitZone_ = -1;
    outlineShown_ = false;
}

void TFrmEdit::FormDblClick(const MouseEvent& e) {
    if (!IsShapeTool(currentTool_) || !shapeActive_ || !shapeRect_.Contains(e.pos)) return;
    EndActiveShape();
    window_.Repaint();
}

}  // namespace mrv::editor
